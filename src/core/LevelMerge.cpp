#include "core/LevelMerge.h"

namespace qorv {

LevelMergeResult mergeLevels(const std::optional<LevelGrid>& base, const LevelGrid& ours,
                             const LevelGrid& theirs) {
    LevelMergeResult result{ours, {}};
    for (int y = 0; y < GridHeight; ++y) {
        for (int x = 0; x < GridWidth; ++x) {
            const TileIndex mine = ours.at(x, y), other = theirs.at(x, y);
            if (mine == other) continue;
            if (base && base->at(x, y) == mine) {
                result.merged.at(x, y) = other; // only theirs changed it
            } else if (!base || base->at(x, y) != other) {
                const auto original = base ? std::optional(base->at(x, y)) : std::nullopt;
                result.conflicts.push_back({x, y, original, mine, other});
            }
        }
    }
    return result;
}

} // namespace qorv
