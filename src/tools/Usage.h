#pragma once
// Wrong arguments: the exit status and the one way they are reported.

#include <QString>

namespace app {

class Console;

// Wrong arguments, or a file that says how to run (a rules file) that cannot be used.
inline constexpr int UsageStatus = 2;

// Reports wrong arguments, with the hint every usage error ends with; returns UsageStatus.
int refuseUsage(const QString& problem, Console& console);

} // namespace app
