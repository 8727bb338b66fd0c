#pragma once
// Small TMX and JSON maps written out as text, with the level's cells filled in by the
// encoding under test, and the level those maps hold.

#include "core/LevelGrid.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace qorv::test {

// Gid of each cell, row by row: tiles with a character in a level file (tile + 1), and
// an empty cell (gid 0) at (5, 0).
std::vector<quint32> sampleGids();

// The level sampleGids() gives: the empty cell as tile 0.
LevelGrid sampleLevel();

// The gids as the "csv" encoding writes them, and as base64 of little-endian 32-bit
// values compressed with "zlib", "gzip", "zstd" or "" (none).
QByteArray csvOf(const std::vector<quint32>& gids);
QByteArray base64Of(const std::vector<quint32>& gids, const QString& compression);

// `text` with every "$NAME" replaced by its value, in the order given.
QByteArray filled(QByteArray text, const std::vector<std::pair<QByteArray, QByteArray>>& values);

} // namespace qorv::test
