#include "tools/Import.h"

#include "interchange/MapImport.h"
#include "interchange/MapLimits.h"
#include "levelio/LevelFile.h"
#include "tools/InputFile.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

#include <QDir>
#include <QFileInfo>

namespace app {

using namespace qorv::interchange;

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

int runImport(const Invocation& invocation, Console& console) {
    importMapAsLevel(invocation.files.first(), invocation.output, console);
    return 0;
}

} // namespace app
