#pragma once
// --export: a level as a Tiled map (TMX or JSON, by the map's extension).

#include "tools/Console.h"
#include "tools/Invocation.h"

#include <QString>

namespace app {

// Writes the level as a map to `map`, whose tileset's image is `sheet`, referred to
// relative to the map's folder; the sheet is read for its size. Throws EditorError.
void exportLevelAsMap(const QString& level, const QString& sheet, const QString& map);

// --export LEVEL OUT: 0, or a failure thrown.
int runExport(const Invocation& invocation, Console& console);

} // namespace app
