#pragma once
// The conflicts of a level a merge left conflicted, while a person resolves them in the
// editor: which cells still conflict, taking a side for some of them, and the one undo step
// that the level's grid has, kept in step with the grid's own.

#include "core/ConflictedLevel.h"
#include "core/LevelGrid.h"

#include <functional>
#include <optional>
#include <vector>

namespace qorv {

class OpenConflicts {
  public:
    // The conflicts of a level just shown (in reading order); none for a level without.
    void show(std::vector<CellConflict> conflicts);
    // Forgets every conflict, also the undo step's: the level was saved without them.
    void resolveAll();

    int count() const { return int(state_.conflicts.size()); }
    // A level that came with conflicts is being resolved: also once none is left.
    bool resolving() const { return state_.resolving; }
    const std::vector<CellConflict>& all() const { return state_.conflicts; }
    // The conflict of cell (x, y); nothing for a cell without one.
    const CellConflict* at(int x, int y) const;

    // The first conflict after cell (x, y) in reading order, or before it, round the level's
    // end; nothing when there is none. (x, y) may lie outside the grid.
    const CellConflict* next(int x, int y) const;
    const CellConflict* previous(int x, int y) const;

    // Writes `side`'s tile into `grid` for each conflict whose cell `chosen` holds, and drops
    // those conflicts; a conflict without a base is kept when `side` is the base. The cells
    // written, in reading order.
    std::vector<CellConflict> take(LevelGrid& grid, ConflictSide side,
                                   const std::function<bool(int x, int y)>& chosen);

    // The undo step: backUp with the grid's backup, exchange with the grid's exchange.
    void backUp() { backup_ = state_; }
    void exchange() { std::swap(state_, backup_); }

  private:
    struct State {
        std::vector<CellConflict> conflicts; // in reading order
        bool resolving = false;
    };
    State state_, backup_;
};

// What a person reads of a conflict: "ours 10, theirs 12, base 0" ("no base" without one).
std::string conflictTiles(const CellConflict& conflict);

} // namespace qorv
