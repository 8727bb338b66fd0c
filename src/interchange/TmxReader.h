#pragma once
// Reading a TMX map (Tiled's XML format) into a level.

#include "interchange/MapFacts.h"

#include <QByteArrayView>

namespace qorv::interchange {

// Throws MapRefused when the bytes are no well-formed TMX map or the map is no level.
ImportedMap readTmx(QByteArrayView bytes);

} // namespace qorv::interchange
