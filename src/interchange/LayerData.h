#pragma once
// A tile layer's cells as the map stores them (gids, row by row) and the level made of
// them: every encoding decodes into gids, and one place turns gids into tiles.

#include "interchange/Decompress.h"
#include "interchange/MapFacts.h"

#include <QByteArrayView>

#include <vector>

namespace qorv::interchange {

// Row by row from the top-left cell. Decoders stop after GridCells + 1 gids: one more
// than a level holds already makes the data the wrong length.
using Gids = std::vector<quint32>;

// "x, y" of the cell at `index` in row-by-row order, for messages.
std::string cellName(std::size_t index);

// Comma-separated gids (the TMX "csv" encoding).
Gids gidsFromCsv(QByteArrayView text);

// Base64 of little-endian 32-bit gids, possibly compressed; whitespace around it is
// ignored, as the XML indentation of a TMX file puts it there.
Gids gidsFromBase64(QByteArrayView text, Compression compression);

// One gid written as a decimal number (a <tile> element or a JSON array value);
// `index` names the cell when it is not one.
quint32 gidFromText(QStringView text, std::size_t index);

// The level of exactly GridCells gids of the tileset starting at `firstGid`: gid 0 is an
// empty cell and becomes tile 0. Throws MapRefused for the wrong number of gids, flipped
// or rotated tiles, gids of no tileset and tiles without a character in a level file.
ImportedMap levelFromGids(const Gids& gids, quint32 firstGid);

} // namespace qorv::interchange
