#include "tools/TextConv.h"

#include "core/LevelGrid.h"
#include "tools/CellLines.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"

namespace app {

// A level a merge left in conflict is shown as OURS with every change only one side made, and
// each conflicting cell as "X,Y: conflict: ours O, theirs T", so that git diff shows what is
// left to resolve.
int runTextConv(const Invocation& invocation, Console& console) {
    ShownLevel level;
    if (const std::optional<std::string> failure =
            failureOf([&] { level = readShownLevel(invocation.files.at(0)); })) {
        console.write(*failure + '\n');
        return 0;
    }
    static const std::vector<qorv::CellConflict> none;
    const auto& conflicts = level.conflicted ? level.conflicted->conflicts : none;
    auto next = conflicts.begin(); // the conflicts are in reading order, as the lines
    Lines lines(qorv::GridCells);
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x) {
            lines.cell(x, y);
            if (next != conflicts.end() && next->x == x && next->y == y) {
                lines.word("conflict: ours ").number(next->ours).word(", theirs ");
                lines.number(next->theirs);
                ++next;
            } else {
                lines.number(level.grid.at(x, y));
            }
            lines.endLine();
        }
    console.write(lines.text());
    return 0;
}

} // namespace app
