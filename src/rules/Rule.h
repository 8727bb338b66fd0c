#pragma once
// A team's own rule for its levels, as a rules file states it: an id that every report
// prints, a help text for whoever breaks it, and one kind of check with its tiles, held in
// the form the level checks look up (made once when the file is read).

#include "core/LevelRules.h"
#include "core/TileSet.h"
#include "findings/Finding.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qorv::rules {

// tiles-allowed and tiles-forbidden: the cells holding `failing` break the rule.
struct TilesRule {
    TileSet failing;  // the forbidden tiles, or every tile outside the allowed list
    bool allowedList; // given as the allowed tiles (the messages say "not allowed")
    bool operator==(const TilesRule&) const = default;
};

struct BorderRule {
    TileSet allowed;
    bool operator==(const BorderRule&) const = default;
};

struct CountRule {
    TileIndex tile;
    std::optional<int> min;
    std::optional<int> max;
    bool operator==(const CountRule&) const = default;
};

struct NeighbourRule {
    NeighbourBan ban;
    bool operator==(const NeighbourRule&) const = default;
};

struct ReachRule {
    TileIndex from;
    FloodTiles tiles;
    bool operator==(const ReachRule&) const = default;
};

using RuleKind = std::variant<TilesRule, BorderRule, CountRule, NeighbourRule, ReachRule>;

struct Rule {
    std::string id;
    findings::SharedText help; // may be empty; every finding of the rule shares it
    int line;                  // of the rule's [[rule]] header in its file
    RuleKind kind;
    bool operator==(const Rule&) const = default;
};

using RuleSet = std::vector<Rule>;

} // namespace qorv::rules
