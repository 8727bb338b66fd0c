#pragma once
// --import: a Tiled map (TMX or JSON, by its extension) as a level.

#include "tools/Console.h"
#include "tools/Invocation.h"

#include <QString>

namespace app {

// Reads the map (and the tileset file it names, if any) and writes the level it holds to
// `level` (standard output for "-"); notes on what became of empty cells and passed-over
// layers are said on standard error. Throws EditorError, naming every reason the map is no
// level; nothing is written then.
void importMapAsLevel(const QString& map, const QString& level, Console& console);

// --import IN OUT: 0, or a failure thrown.
int runImport(const Invocation& invocation, Console& console);

} // namespace app
