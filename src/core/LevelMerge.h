#pragma once
// The three-way merge of two levels made from a common one, cell by cell: each side's
// change is kept, and only a cell both sides changed to different tiles is a conflict.

#include "core/LevelGrid.h"

#include <optional>
#include <vector>

namespace qorv {

struct CellConflict {
    int x;
    int y;
    std::optional<TileIndex> base; // nothing: the levels have no common ancestor
    TileIndex ours;
    TileIndex theirs;
    bool operator==(const CellConflict&) const = default;
};

struct LevelMergeResult {
    LevelGrid merged;                    // a conflicting cell holds ours's tile
    std::vector<CellConflict> conflicts; // in reading order: rows top to bottom, left to right
};

// Without a base (both sides added the level on their own) every cell where ours and
// theirs differ is a conflict.
LevelMergeResult mergeLevels(const std::optional<LevelGrid>& base, const LevelGrid& ours,
                             const LevelGrid& theirs);

} // namespace qorv
