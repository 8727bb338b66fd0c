#pragma once
// A set of tiles as a table of 256 flags: the level rules ask it once per cell, so asking
// must cost one load, never a search.

#include "core/LevelGrid.h"

#include <array>
#include <initializer_list>

namespace qorv {

struct TileSet {
    std::array<bool, 256> has{};

    TileSet() = default;
    TileSet(std::initializer_list<TileIndex> tiles) {
        for (const TileIndex tile : tiles)
            has[tile] = true;
    }
    bool contains(TileIndex tile) const { return has[tile]; }
    void insert(TileIndex tile) { has[tile] = true; }
    TileSet complement() const {
        TileSet other;
        for (std::size_t tile = 0; tile < has.size(); ++tile)
            other.has[tile] = !has[tile];
        return other;
    }
    bool operator==(const TileSet&) const = default;
};

} // namespace qorv
