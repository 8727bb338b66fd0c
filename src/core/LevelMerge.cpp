#include "core/LevelMerge.h"

#include "core/LevelDiff.h"

namespace qorv {

LevelMergeResult mergeLevels(const std::optional<LevelGrid>& base, const LevelGrid& ours,
                             const LevelGrid& theirs) {
    LevelMergeResult result{ours, {}};
    // Only the cells where the two sides differ need a decision, in reading order.
    for (const auto& [x, y, mine, other] : diffLevels(ours, theirs)) {
        if (base && base->at(x, y) == mine) {
            result.merged.at(x, y) = other; // only theirs changed it
        } else if (!base || base->at(x, y) != other) {
            const auto original = base ? std::optional(base->at(x, y)) : std::nullopt;
            result.conflicts.push_back({x, y, original, mine, other});
        }
    }
    return result;
}

} // namespace qorv
