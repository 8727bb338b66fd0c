#pragma once
// --check: every level read and checked against its team's rules, every failure reported in
// the format its reader wants (people and editors, GitHub, GitLab, other glue).

#include "tools/Console.h"
#include "tools/Invocation.h"

#include "errors/IoError.h"
#include "findings/Finding.h"

#include <QStringList>

#include <vector>

namespace app {

// --check LEVEL... [--rules FILE] [--format FORMAT]: 0 when every level reads and keeps its
// rules, 1 otherwise, 2 when a rules file cannot be read or parsed (nothing is checked then).
int runCheck(const Invocation& invocation, Console& console);

// --check LEVEL... as given alone: its report as text. Returns whether every level passed.
bool checkLevels(const QStringList& levels, Console& console);

// A rules file that cannot be read or parsed, with the message that names it: wrong input
// rather than a failed level, for every mode that meets it.
class UnusableRules : public qorv::EditorError {
    using qorv::EditorError::EditorError;
};

// The failures of each level as --check LEVEL... finds them, with the nearest rules file of
// each. Throws UnusableRules, before any level is read, when a rules file cannot be used.
std::vector<std::vector<qorv::findings::Finding>> failuresOfEach(const QStringList& levels);

} // namespace app
