#include "app/MapCommands.h"

#include "app/ImageFile.h"
#include "app/InputFile.h"
#include "app/LevelTools.h"
#include "app/OutputFile.h"
#include "app/Quoting.h"
#include "interchange/MapExport.h"
#include "interchange/MapImport.h"
#include "levelio/LevelFile.h"

#include <QDir>
#include <QFileInfo>

namespace app {

namespace {

using namespace qorv::interchange;

[[noreturn]] void fail(const char* what, const QString& name, const char* why) {
    throw qorv::EditorError(
        QStringLiteral("Cannot %1 %2: %3").arg(what, quotedName(name), why).toStdString());
}

} // namespace

void exportLevelAsMap(const QString& level, const QString& sheet, const QString& map) {
    MapFormat format;
    try {
        format = mapFormatOf(map);
    } catch (const MapRefused& refused) {
        fail("export to", map, refused.what());
    }
    const qorv::LevelGrid grid = readLevel(level);
    const QImage tiles = loadSheet(sheet);
    // Tiled finds the image relative to the map, wherever the map is opened from.
    const TileSheetFacts facts{
        QDir(QFileInfo(map).absolutePath()).relativeFilePath(QFileInfo(sheet).absoluteFilePath()),
        tiles.width(), tiles.height()};
    writeOutputFile(map, exportMap(grid, facts, format), {level, sheet});
}

void importMapAsLevel(const QString& map, const QString& level, Console& console) {
    ImportedMap imported;
    try {
        const MapFormat format = mapFormatOf(map);
        imported = importMap(readInputFile(map, MaxMapFileBytes), format);
    } catch (const MapRefused& refused) {
        fail("import", map, refused.what());
    } catch (const qorv::EditorError& error) {
        fail("import", map, error.what());
    }
    writeOutputFile(level, QByteArray::fromStdString(qorv::formatLevel(imported.grid)), {map});
    for (const QString& note : imported.notes)
        console.complain(QStringLiteral("note: %1").arg(note));
    if (imported.emptyCells > 0)
        console.complain(
            QStringLiteral("note: %1 empty cells became tile 0").arg(imported.emptyCells));
}

} // namespace app
