#pragma once
// Level text files: 45 lines of 64 bytes, each ended by CR LF, one byte per cell.

#include "core/LevelGrid.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qorv {

inline constexpr int LevelFileSize = GridHeight * (GridWidth + 2); // 2,970 bytes

// The reader looks at no more than this many bytes of a file: lines may be long, but
// a file that has not given 45 lines by then is no level ("Not a level: ...").
inline constexpr std::size_t MaxLevelFileRead = std::size_t{4} << 20;

// Reads the level file `name` into `grid`. The whole level is read before `grid` is
// touched: on any failure an IoError is thrown and `grid` is left exactly as it was.
void loadQRE(const std::string& name, LevelGrid& grid);

// Parses a level from bytes already in memory, with the same line rules and errors
// as loadQRE (which reads through the same parser).
LevelGrid parseLevel(std::string_view bytes);

// The 2,970 bytes of the file for `grid`. Throws EditorError naming the tile and
// cell when a tile has no character.
std::string formatLevel(const LevelGrid& grid);

// Writes `grid` to `name`. Where a new file can keep everything the old one was (owner,
// group, mode, attributes, its only name), the level is replaced atomically by rename:
// the old file stays whole until the new one is complete on disk. Otherwise the file is
// overwritten in place and keeps its identity. Throws IoError (or EditorError for an
// unwritable tile).
void saveQRE(const std::string& name, const LevelGrid& grid);

} // namespace qorv
