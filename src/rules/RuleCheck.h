#pragma once
// A level checked against a team's rules: one finding for each rule it breaks, at the first
// offending cell in reading order, with the number of offending cells in the message.

#include "core/LevelGrid.h"
#include "findings/Finding.h"
#include "rules/Rule.h"

#include <string>
#include <vector>

namespace qorv::rules {

// Appends to `out` a finding for each rule of `rules` that `grid` breaks, in the rules'
// order; `file` names the level in them. A passing level allocates nothing.
void checkRules(const LevelGrid& grid, const RuleSet& rules, const std::string& file,
                std::vector<findings::Finding>& out);

} // namespace qorv::rules
