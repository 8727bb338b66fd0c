#pragma once
// The keys of the editing raster, read into the command each stands for. None of them is
// a shortcut of the editor's commands (those are letters F, S, B, L, E and Control with a
// letter), so the shortcuts keep every key they had.
//
//   arrows                 one cell           Shift: extend the selection from the cursor
//   Home, End              the row's first or last cell (Control: the grid's first or last)
//   Page Up, Page Down     ten rows           Control+arrows: the next cell of another tile
//   Space                  stamp the foreground tile (Shift: the background tile)
//   I                      take the tile under the cursor as foreground (Shift: background)
//   0..9 then Return       the foreground tile by its number
//   + (or =), -            the brush size one larger or smaller
//   Escape                 drop the selection

#include "core/CellCursor.h"

#include <Qt>

#include <optional>

namespace ui {

struct CellCommand {
    enum class Kind : std::uint8_t { Move, Stamp, Pick, Digit, PickTyped, BrushSize, Drop };
    Kind kind;
    qorv::CursorStep step = qorv::CursorStep::Left; // Move
    bool extend = false;                            // Move: Shift held
    bool background = false;                        // Stamp, Pick: Shift held
    int value = 0;                                  // Digit: 0..9; BrushSize: +1 or -1
};

// The command of `key` pressed with `modifiers`, or none for a key the raster leaves alone.
std::optional<CellCommand> cellCommandOf(int key, Qt::KeyboardModifiers modifiers);

} // namespace ui
