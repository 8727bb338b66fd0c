#pragma once
// Text from outside the program in its messages: file names (any bytes but '/' and NUL) and
// words read from files (a map's layer names). A newline in one would forge a line of a
// report, an escape sequence would steer the terminal, a right-to-left override would show
// "gpj.exe" as "exe.jpg". Such text is printed as GNU ls --quoting-style=shell-escape prints a
// name, so it is always one line, nothing in it reaches the terminal as a command, and a shell
// reads the quoted form back as the very bytes.

#include <string>
#include <string_view>

namespace qorv::text {

// The text as it is when every character is printable UTF-8; otherwise the whole of it in shell
// quotes, with control characters (C0, DEL, C1), the line and paragraph separators (U+2028,
// U+2029), bidirectional controls (U+202A..U+202E, U+2066..U+2069) and bytes that are no
// UTF-8 escaped as $'\n', $'\033', $'\342\200\256'.
std::string quoted(std::string_view text);

} // namespace qorv::text
