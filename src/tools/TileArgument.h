#pragma once
// Tiles as the command line and its small files give them: whole numbers 0 to 255.

#include <optional>
#include <string_view>
#include <vector>

namespace app {

// The tile `text` names, blanks around it allowed; nothing when it is no whole number 0..255.
std::optional<int> tileNumber(std::string_view text);

// The parts of `text` between the separators, empty ones included.
std::vector<std::string_view> splitText(std::string_view text, char separator);

// `text` without the spaces, tabs and carriage returns around it.
std::string_view trimmed(std::string_view text);

} // namespace app
