#pragma once
// A Tiled map, TMX or JSON, read into a level.

#include "interchange/MapFacts.h"

#include <QByteArrayView>

namespace qorv::interchange {

// The map format a file name's extension names: ".tmx" or ".tmj" (or ".json"). Throws
// MapRefused for any other name.
MapFormat mapFormatOf(const QString& fileName);

// The level the map holds. Throws MapRefused with the first reason it is no level.
ImportedMap importMap(QByteArrayView bytes, MapFormat format);

} // namespace qorv::interchange
