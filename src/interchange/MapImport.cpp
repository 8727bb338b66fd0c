#include "interchange/MapImport.h"

#include "interchange/JsonMapReader.h"
#include "interchange/MapWords.h"
#include "interchange/TmxReader.h"

namespace qorv::interchange {

namespace {

// The tiles of a tileset file, TSX or JSON by its extension as Tiled tells them apart.
TileSize tilesetFileTiles(const QString& source, const ReadMapFile& readFile) {
    try {
        const QString name = source.toLower();
        if (name.endsWith(u".tsx")) return readTsx(readFile(source));
        if (name.endsWith(u".tsj") || name.endsWith(u".json"))
            return readJsonTileset(readFile(source));
        throw MapRefused("the extension names no tileset format: .tsx (TMX) or .tsj (JSON)");
    } catch (const EditorError& error) {
        throw MapRefused("tileset file " + mapWord(source) + ": " + error.what());
    }
}

} // namespace

MapFormat mapFormatOf(const QString& fileName) {
    const QString name = fileName.toLower();
    if (name.endsWith(u".tmx")) return MapFormat::Tmx;
    if (name.endsWith(u".tmj") || name.endsWith(u".json")) return MapFormat::Json;
    throw MapRefused("the extension names no map format: .tmx (TMX) or .tmj (JSON)");
}

ImportedMap importMap(QByteArrayView bytes, MapFormat format, const ReadMapFile& readFile) {
    const TilesetFile tilesetFile = [&](const QString& source) {
        return tilesetFileTiles(source, readFile);
    };
    return format == MapFormat::Tmx ? readTmx(bytes, tilesetFile) : readJsonMap(bytes, tilesetFile);
}

} // namespace qorv::interchange
