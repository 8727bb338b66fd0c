#pragma once
// The characters of text from outside the program, as UTF-8: the one decoder, and the one
// list of the characters that would act on the reader's terminal or page instead of being
// shown (controls, and bidirectional overrides that make a line read differently from what
// it holds). Quoting a name and putting a help text into a report both go through here.

#include <cstddef>
#include <string>
#include <string_view>

namespace qorv::text {

inline constexpr char32_t ReplacementCharacter = U'\uFFFD';

struct DecodedCharacter {
    char32_t code;      // ReplacementCharacter for a byte that starts no valid sequence
    std::size_t length; // bytes taken: the sequence, or the one bad byte
};

// The character that starts at `at` (< text.size()).
DecodedCharacter decodeAt(std::string_view text, std::size_t at);

// C0 and C1 controls, DEL, the line and paragraph separators and the bidirectional
// embeddings, overrides and isolates.
bool actsOnDisplay(char32_t code);

void appendUtf8(std::string& out, char32_t code);

// Whether `text` is valid UTF-8 holding no character that acts on the display.
bool isPrintable(std::string_view text);

// `text` with every such character, and every byte that is no UTF-8, as U+FFFD.
std::string printable(std::string_view text);

} // namespace qorv::text
