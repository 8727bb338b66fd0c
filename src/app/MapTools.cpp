#include "app/MapTools.h"

#include "app/LevelTools.h"
#include "app/MapCommands.h"
#include "app/RenderMany.h"
#include "storage/IoError.h"

namespace app {

int runMapTool(const Invocation& invocation, Console& console) {
    using Mode = Invocation::Mode;
    const QString& first = invocation.levels.first();
    const QString sheet = invocation.tiles.isEmpty() ? defaultSheetFor(first) : invocation.tiles;
    try {
        switch (invocation.mode) {
        case Mode::RenderMany:
            return renderLevelsIntoFolder(invocation.levels, invocation.tiles, invocation.output,
                                          console)
                       ? 0
                       : 1;
        case Mode::Export:
            exportLevelAsMap(first, sheet, invocation.output);
            return 0;
        case Mode::Import:
            importMapAsLevel(first, invocation.output, console);
            return 0;
        default:
            return 1;
        }
    } catch (const qorv::EditorError& error) {
        console.complain(QString::fromUtf8(error.what()));
        return 1;
    }
}

} // namespace app
