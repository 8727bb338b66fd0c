#pragma once
// The TABLE of --remap: which tile becomes which, given on the command line as
// "OLD=NEW[,OLD=NEW...]" or in a file of "OLD NEW" lines.

#include "core/TileRemap.h"
#include "errors/IoError.h"

#include <QString>

#include <string>
#include <string_view>

namespace app {

// A TABLE that cannot be used: its message names the entry or the file's line.
class RemapTableError : public qorv::EditorError {
    using qorv::EditorError::EditorError;
};

// The table TABLE gives. TABLE that starts with a digit is the table itself; anything else
// names a file (read as every input is, to 1 MiB) of one "OLD NEW" pair a line, where blank
// lines and lines starting with "#" are left out. Tiles are whole numbers 0 to 255; a tile
// given twice as OLD, and a NEW tile no level file can hold, are refused. Throws
// RemapTableError.
qorv::TileMap readRemapTable(const QString& table);

// What is wrong with a TABLE given as the table itself ("ENTRY: reason"); empty when it can be
// used or names a file, which is read with the levels.
std::string remapTableProblem(std::string_view table);

} // namespace app
