#include "app/MapCommands.h"

#include "app/InputFile.h"
#include "app/LevelTools.h"
#include "app/OutputFile.h"
#include "app/Reporting.h"
#include "interchange/MapExport.h"
#include "interchange/MapImport.h"
#include "interchange/MapLimits.h"
#include "levelio/LevelFile.h"

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

void importMapAsLevel(const QString& map, const QString& level, Console& console) {
    const ImportedMap imported = aboutFile(
        map,
        [&] {
            const MapFormat format = mapFormatOf(map); // before the file is read
            // A tileset file is found as Tiled finds it: relative to the map's folder.
            const QDir folder = QFileInfo(map).dir();
            const ReadMapFile readBeside = [&](const QString& name) {
                return readInputFile(folder.filePath(name), MaxMapBytes);
            };
            return importMap(readInputFile(map, MaxMapBytes), format, readBeside);
        },
        "Cannot import ");
    writeOutputFile(level, QByteArray::fromStdString(qorv::formatLevel(imported.grid)), {map},
                    &console);
    for (const QString& note : imported.notes)
        console.complain(QStringLiteral("note: %1").arg(note));
    if (imported.emptyCells > 0)
        console.complain(
            QStringLiteral("note: %1 empty cells became tile 0").arg(imported.emptyCells));
}

int runExport(const Invocation& invocation, Console&) {
    const QString& level = invocation.files.first();
    exportLevelAsMap(level, requireSheet(invocation.sheets.first()), invocation.output);
    return 0;
}

int runImport(const Invocation& invocation, Console& console) {
    importMapAsLevel(invocation.files.first(), invocation.output, console);
    return 0;
}

} // namespace app
