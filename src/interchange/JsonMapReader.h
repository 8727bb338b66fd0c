#pragma once
// Reading a map in Tiled's JSON format into a level.

#include "interchange/MapFacts.h"

#include <QByteArrayView>

namespace qorv::interchange {

// Throws MapRefused when the bytes are no JSON map or the map is no level.
ImportedMap readJsonMap(QByteArrayView bytes);

} // namespace qorv::interchange
