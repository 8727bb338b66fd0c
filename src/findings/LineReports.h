#pragma once
// The reports of one line per failure: text for people and editors, JSON for any other glue.

#include "findings/Finding.h"

#include <string>
#include <string_view>

namespace qorv::findings {

// "FILE:LINE:COL: message [rule: help]\n", as GNU tools write it so that editors jump to the
// cell; "FILE: message\n" where the failure has no place. `shownFile` is the file's name as
// messages show it (quoted where it must be).
std::string plainLine(const Finding& finding, std::string_view shownFile);

// The same line appended to `out`, for reports of many lines.
void appendPlainLine(std::string& out, const Finding& finding, std::string_view shownFile);

// {"file":..,"line":..,"column":..,"cell":{"x":..,"y":..},"rule":..,"message":..,"help":..}
// and a newline; null for what the failure does not have.
std::string jsonLine(const Finding& finding);

} // namespace qorv::findings
