#pragma once
// The one shape of a message about a file or a piece of text: "NAME: reason", the name quoted,
// and the one prefix of every line the program itself says on standard error.

#include <string>
#include <string_view>

namespace qorv::text {

// What starts a line the program says on standard error, as GNU tools start theirs.
inline constexpr std::string_view ProgramPrefix = "qorvedit: ";

// "NAME: reason", NAME as quoted() shows it.
std::string about(std::string_view name, std::string_view reason);

// "NAME:LINE: reason", as GNU tools point at a line of a file.
std::string aboutLine(std::string_view name, int line, std::string_view reason);

// The message as a line of standard error: ProgramPrefix, the message, a newline.
std::string complaint(std::string_view message);

} // namespace qorv::text
