#pragma once
// --export and --import: a level as a Tiled map (TMX or JSON, by the map's extension) and
// back.

#include "app/Console.h"
#include "app/Invocation.h"

#include <QString>

namespace app {

// Writes the level as a map to `map`, whose tileset's image is `sheet`, referred to
// relative to the map's folder; the sheet is read for its size. Throws EditorError.
void exportLevelAsMap(const QString& level, const QString& sheet, const QString& map);

// Reads the map (and the tileset file it names, if any) and writes the level it holds to
// `level` (standard output for "-"); notes on what became of empty cells and passed-over
// layers are said on standard error. Throws EditorError, naming every reason the map is no
// level; nothing is written then.
void importMapAsLevel(const QString& map, const QString& level, Console& console);

// The handlers: --export LEVEL OUT and --import IN OUT. 0, or a failure thrown.
int runExport(const Invocation& invocation, Console& console);
int runImport(const Invocation& invocation, Console& console);

} // namespace app
