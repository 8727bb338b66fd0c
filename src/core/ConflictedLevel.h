#pragma once
// A level a merge could not finish, as a file: git-style conflict markers around the rows
// that hold conflicting cells, every other row a row of the level.
//
//   <<<<<<< ours       OURS's copies of the rows
//   ||||||| base       the base's copies (only in git's diff3 style)
//   =======            THEIRS's copies
//   >>>>>>> theirs
//
// QorvEdit's merge driver writes one such block a run of rows with conflicts, each side's rows
// already holding every change that is no conflict; git's own line merge writes the same
// markers around whole rows. Both read alike.

#include "core/LevelMerge.h"
#include "core/LevelText.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qorv {

struct ConflictedLevel {
    LevelGrid merged; // every change only one side made, and OURS's tile in each conflict
    std::vector<CellConflict> conflicts;     // in reading order
    std::array<int, GridHeight> oursLines{}; // the file's line (from 1) of OURS's copy of a row
    // Every block gave the base's rows, as many as each side's: the conflicts know their base.
    // Otherwise every cell the sides differ in is a conflict.
    bool hasBase = false;
};

// How the markers or rows of a file with conflict markers are wrong, and where.
enum class ConflictDamage {
    Unclosed,    // an opening marker without its "=======" or ">>>>>>>": its line, column 0
    StrayMarker, // a marker out of its order: its line, column 0
    ShortRow,    // a row shorter than 64 bytes: the column after its end
    MissingRows, // a side with fewer than 45 rows: the end of the file
};
struct DamagedConflict {
    ConflictDamage damage;
    TextPosition where;
};

struct NoConflictMarkers {};

// Reads `bytes`, a whole file. Nothing but a file with a "<<<<<<<" line is a conflicted level.
// A byte 0x1A ends the file, and each side's lines after its 45th are not looked at, as
// parseLevelText does; a line ends at LF, CR LF or a lone CR, as git splits lines.
std::variant<NoConflictMarkers, ConflictedLevel, DamagedConflict>
parseConflictedLevel(std::string_view bytes);

// The bytes of a conflicted level: `merged`'s rows (OURS's tile in each conflict), and a block
// around each run of rows with conflicts whose sides are those rows with OURS's and THEIRS's
// tiles; with `base` (git's diff3 style), its rows between "|||||||" and "=======" too.
// Lines end with CR LF. `oursLines`, when given, gets the line of OURS's copy of each row.
// Fails as formatLevelText does for a tile no file can hold.
std::variant<std::string, UnwritableCell>
formatConflictedLevel(const LevelGrid& merged, const std::vector<CellConflict>& conflicts,
                      const LevelGrid* base = nullptr,
                      std::array<int, GridHeight>* oursLines = nullptr);

enum class ConflictSide { Ours, Theirs, Base };

// The tile `side` gives the conflict; nothing for the base of a conflict without one.
std::optional<TileIndex> sideTile(const CellConflict& conflict, ConflictSide side);

// `level` with every conflict resolved to `side`; nothing when `side` is the base and a
// conflict has none.
std::optional<LevelGrid> resolvedLevel(const ConflictedLevel& level, ConflictSide side);

} // namespace qorv
