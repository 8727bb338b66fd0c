#pragma once
// A Tiled map, TMX or JSON, read into a level.

#include "interchange/MapFacts.h"

#include <QByteArrayView>

#include <functional>

namespace qorv::interchange {

// The map format a file name's extension names: ".tmx" or ".tmj" (or ".json"). Throws
// MapRefused for any other name.
MapFormat mapFormatOf(const QString& fileName);

// The content of a file the map names (a tileset of its own), by the name the map gives,
// which is relative to the map's folder; at most MaxMapBytes (MapLimits.h) are needed.
// Throws EditorError when the file cannot be read.
using ReadMapFile = std::function<QByteArray(const QString& name)>;

// The level the map holds. Throws MapRefused naming every reason it is no level.
ImportedMap importMap(QByteArrayView bytes, MapFormat format, const ReadMapFile& readFile);

} // namespace qorv::interchange
