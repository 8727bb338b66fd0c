#pragma once
// GoogleTest prints a finding that differs as its JSON line, not as bytes.

#include "findings/LineReports.h"

#include <ostream>

namespace qorv::findings {

inline void PrintTo(const Finding& finding, std::ostream* out) {
    *out << jsonLine(finding);
}

} // namespace qorv::findings
