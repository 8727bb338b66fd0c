#pragma once
// JSON string literals for text of any bytes: a file name need not be UTF-8, and a report
// with one bad byte in it must still be JSON that every reader takes.

#include <string>
#include <string_view>

namespace qorv::findings {

// Appends `text` as a quoted JSON string: bytes that are no UTF-8 become U+FFFD; controls,
// separators and bidirectional controls are written as \u escapes.
void appendJsonString(std::string& out, std::string_view text);

} // namespace qorv::findings
