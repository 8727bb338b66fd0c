#pragma once
// What the map formats and the level share: the two formats, the tile sheet as a map's
// tileset sees it, a refused map, and what an import gives.

#include "core/LevelGrid.h"
#include "errors/IoError.h"

#include <QString>
#include <QStringList>

namespace qorv::interchange {

enum class MapFormat { Tmx, Json };

// The tile sheet as the exported map's one tileset names it.
struct TileSheetFacts {
    QString image; // as the map refers to it: relative to the map's folder
    int width = 0;
    int height = 0;
    int columns() const { return width / CellSize; }
    int tileCount() const { return columns() * (height / CellSize); }
};

// A map that no level can hold, or bytes that are no map; the message is one line that
// names the reason and, where there is one, the first offending cell.
class MapRefused : public EditorError {
  public:
    using EditorError::EditorError;
};

struct ImportedMap {
    LevelGrid grid{};
    int emptyCells = 0; // cells without a tile (gid 0), which became tile 0
    QStringList notes;  // what was passed over: object, image and group layers
};

// Tile flags Tiled keeps in a gid's top bits: flipped horizontally, vertically, diagonally,
// and the hexagonal 120 degree rotation.
inline constexpr quint32 GidFlagBits = 0xF0000000u;

} // namespace qorv::interchange
