#pragma once
// --check: every level read and checked against its team's rules, every failure reported in
// the format its reader wants (people and editors, GitHub, GitLab, other glue).

#include "tools/Console.h"
#include "tools/Invocation.h"

#include "errors/IoError.h"
#include "findings/Finding.h"
#include "rules/Rule.h"
#include "tools/LevelSet.h"

#include <QStringList>

#include <map>
#include <string>
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

// The rules each level of a set is checked against: --rules, else the nearest rules file of
// its folder, each file read once, all of them before any level is read. Throws
// UnusableRules when a rules file cannot be used.
class SetRules {
  public:
    using Files = std::map<std::string, qorv::rules::RuleSet>;
    explicit SetRules(const Invocation& invocation);
    const qorv::rules::RuleSet& of(std::size_t level) const { return *of_[level]; }

  private:
    Files files_;
    std::vector<const qorv::rules::RuleSet*> of_;
};

// The failures of a level read, as --check finds them: why it cannot be read, or the rules
// it breaks.
void checkRead(const SetLevel& level, const LevelRead& read, const qorv::rules::RuleSet& rules,
               std::vector<qorv::findings::Finding>& found);

} // namespace app
