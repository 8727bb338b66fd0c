#include "tools/TextConv.h"

#include "core/LevelGrid.h"
#include "tools/CellLines.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"

namespace app {

int runTextConv(const Invocation& invocation, Console& console) {
    qorv::LevelGrid level;
    if (const std::optional<std::string> failure =
            failureOf([&] { level = readLevel(invocation.files.at(0)); })) {
        console.write(*failure + '\n');
        return 0;
    }
    Lines lines(qorv::GridCells);
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x)
            lines.cell(x, y).number(level.at(x, y)).endLine();
    console.write(lines.text());
    return 0;
}

} // namespace app
