#pragma once
// The rules file, qorvedit-rules.toml: [[rule]] tables, each with an `id`, an optional `help`
// and exactly one kind of check:
//
//   border = [1]                                          every border cell one of these
//   count = { tile = 2, min = 1, max = 1 }                min or max may be left out
//   forbidden-neighbours = [[3, 4]]                       never side by side, either order
//   reachable = { from = 2, to = [5], through = [0, 2, 5] }
//   tiles-allowed = [0, 1, 2]   or   tiles-forbidden = [7]
//
// Teams share these files, so a file is refused rather than half understood: a syntax error,
// an unknown key (a misspelt rule would otherwise never fail), a rule without an id, with an id
// used before, without a kind or with two, a tile outside 0..255, an empty list of tiles, and
// a file beyond the bounds below.

#include "rules/Rule.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qorv::rules {

inline constexpr std::string_view RulesFileName = "qorvedit-rules.toml";

// A rules file that is refused: the message, and the line it is about (1-based).
class RulesError : public std::runtime_error {
  public:
    RulesError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
    int line() const { return line_; }

  private:
    int line_;
};

// A team's file holds a few dozen rules, each help a sentence or a paragraph: reports print
// the help beside every failure, so each bound also bounds what a failing level costs.
inline constexpr std::size_t MaxRules = 1000;
inline constexpr std::size_t MaxHelpBytes = 4096;

// The rules in `text`, in the file's order. Throws RulesError, also for a file beyond the
// bounds above or those of RulesBounds.h (checked before the TOML reader runs).
RuleSet parseRules(std::string_view text);

// A rules file is a few dozen lines: a larger one is no rules file a team wrote.
inline constexpr std::size_t MaxRulesFileRead = std::size_t{1} << 20;

// The rules in the regular file `path`, read through the one bounded read. Throws IoError,
// or RulesError (a file longer than the limit is refused at the line where it is cut).
RuleSet readRulesFile(const std::string& path);

// The same for the rules file of the open folder `folder` (as RulesFileSearch finds it),
// whose path, of any length, is `path`.
RuleSet readRulesFileIn(int folder, const std::string& path);

} // namespace qorv::rules
