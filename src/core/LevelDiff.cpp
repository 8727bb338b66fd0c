#include "core/LevelDiff.h"

namespace qorv {

std::vector<CellChange> diffLevels(const LevelGrid& from, const LevelGrid& to) {
    std::vector<CellChange> changes;
    for (int y = 0; y < GridHeight; ++y)
        for (int x = 0; x < GridWidth; ++x)
            if (from.at(x, y) != to.at(x, y)) changes.push_back({x, y, from.at(x, y), to.at(x, y)});
    return changes;
}

} // namespace qorv
