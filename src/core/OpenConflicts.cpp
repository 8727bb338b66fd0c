#include "core/OpenConflicts.h"

#include <algorithm>

namespace qorv {

namespace {
// Reading order: rows top to bottom, each left to right.
bool before(const CellConflict& conflict, int x, int y) {
    return conflict.y < y || (conflict.y == y && conflict.x < x);
}
} // namespace

void OpenConflicts::show(std::vector<CellConflict> conflicts) {
    state_.resolving = !conflicts.empty();
    state_.conflicts = std::move(conflicts);
}

void OpenConflicts::resolveAll() {
    state_ = {};
    backup_ = {};
}

const CellConflict* OpenConflicts::at(int x, int y) const {
    const auto& list = state_.conflicts;
    const auto found = std::lower_bound(
        list.begin(), list.end(), 0, [&](const CellConflict& c, int) { return before(c, x, y); });
    return found != list.end() && found->x == x && found->y == y ? &*found : nullptr;
}

const CellConflict* OpenConflicts::next(int x, int y) const {
    const auto& list = state_.conflicts;
    if (list.empty()) return nullptr;
    const auto found = std::find_if(list.begin(), list.end(), [&](const CellConflict& c) {
        return !before(c, x, y) && !(c.x == x && c.y == y);
    });
    return found != list.end() ? &*found : &list.front();
}

const CellConflict* OpenConflicts::previous(int x, int y) const {
    const auto& list = state_.conflicts;
    if (list.empty()) return nullptr;
    const auto found = std::find_if(list.rbegin(), list.rend(),
                                    [&](const CellConflict& c) { return before(c, x, y); });
    return found != list.rend() ? &*found : &list.back();
}

std::vector<CellConflict> OpenConflicts::take(LevelGrid& grid, ConflictSide side,
                                              const std::function<bool(int x, int y)>& chosen) {
    std::vector<CellConflict> taken, kept;
    for (const CellConflict& conflict : state_.conflicts) {
        const std::optional<TileIndex> tile = sideTile(conflict, side);
        if (tile && chosen(conflict.x, conflict.y)) {
            grid.at(conflict.x, conflict.y) = *tile;
            taken.push_back(conflict);
        } else {
            kept.push_back(conflict);
        }
    }
    state_.conflicts = std::move(kept);
    return taken;
}

std::string conflictTiles(const CellConflict& conflict) {
    std::string text =
        "ours " + std::to_string(conflict.ours) + ", theirs " + std::to_string(conflict.theirs);
    return text + (conflict.base ? ", base " + std::to_string(*conflict.base) : ", no base");
}

} // namespace qorv
