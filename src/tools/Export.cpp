#include "tools/Export.h"

#include "interchange/MapExport.h"
#include "interchange/MapImport.h"
#include "interchange/MapLimits.h"
#include "levelio/LevelFile.h"
#include "tools/InputFile.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

#include <QDir>
#include <QFileInfo>

namespace app {

using namespace qorv::interchange;

void exportLevelAsMap(const QString& level, const QString& sheet, const QString& map) {
    const MapFormat format = aboutFile(
        map, [&] { return mapFormatOf(map); }, "Cannot export to ");
    const qorv::LevelGrid grid = readLevel(level);
    const QImage tiles = loadSheet(sheet);
    // Tiled finds the image relative to the map, wherever the map is opened from.
    const TileSheetFacts facts{
        QDir(QFileInfo(map).absolutePath()).relativeFilePath(QFileInfo(sheet).absoluteFilePath()),
        tiles.width(), tiles.height()};
    const QByteArray bytes = aboutFile(
        map, [&] { return exportMap(grid, facts, format); }, "Cannot export to ");
    writeOutputFile(map, bytes, {level, sheet});
}

int runExport(const Invocation& invocation, Console&) {
    const QString& level = invocation.files.first();
    exportLevelAsMap(level, requireSheet(invocation.sheets.first()), invocation.output);
    return 0;
}

} // namespace app
