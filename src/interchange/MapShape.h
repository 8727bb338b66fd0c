#pragma once
// The checks both map formats share: is this map the shape of a level, with one tile layer
// and one tileset of its tiles? Every reason a map is no level is gathered, so that one
// refusal names them all.

#include "interchange/LayerData.h"
#include "interchange/MapFacts.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qorv::interchange {

// The reasons found so far; each is said once however often it is found.
class Refusals {
  public:
    void add(const std::string& reason);

    // What `read` gives, or nothing when it throws MapRefused, whose reason is added.
    template <class Read> auto attempt(Read read) -> std::optional<decltype(read())> {
        try {
            return read();
        } catch (const MapRefused& refused) {
            add(refused.what());
            return std::nullopt;
        }
    }

    // Throws MapRefused naming every reason, "; " between them, when there is any.
    void refuseIfAny() const;

  private:
    std::vector<std::string> reasons_;
};

struct MapShape {
    QString orientation;
    qint64 width = 0, height = 0;         // in tiles
    qint64 tileWidth = 0, tileHeight = 0; // in pixels
    bool infinite = false;
};

struct TileSize {
    qint64 width = 0, height = 0; // in pixels
};

// The tile size stated in the tileset file a map names (its "source"), relative to the
// map's folder. Throws MapRefused when the file cannot be read or is no tileset.
using TilesetFile = std::function<TileSize(const QString& source)>;

// What a reader found in a map, to be made into a level once the whole map is read.
struct MapParts {
    Refusals refusals;
    bool hasLayer = false;
    bool hasTileset = false;
    std::optional<Gids> gids;        // the tile layer's cells, when its data could be read
    std::optional<quint32> firstGid; // the tileset's, when it is one a tile can have
    QStringList notes;               // what was passed over

    // Whether a tile layer / tileset met now is the map's first; a second one is refused.
    bool firstLayer();
    bool firstTileset();
};

// Adds a reason for each way the map is not orthogonal, finite, 64 x 45 tiles of 10 x 10.
void checkLevelShape(const MapShape& map, Refusals& refusals);

// Checks the tileset: its first gid, and its tiles, read from its own file when `source`
// names one and given by `inner` otherwise.
void checkTileset(qint64 firstGid, const QString& source, TileSize inner, const TilesetFile& file,
                  MapParts& parts);

// Whether the tile layer is 64 x 45 tiles; adds the reason when it is not.
bool checkLevelLayer(const QString& name, qint64 width, qint64 height, Refusals& refusals);

// The level the parts make; throws MapRefused naming every reason gathered.
ImportedMap levelOf(MapParts& parts);

// The note for a layer that is passed over: "<kind> layer "<name>" passed over".
QString passedOver(const QString& kind, const QString& name);

} // namespace qorv::interchange
