#include "tools/FolderDiff.h"

#include "text/Quoting.h"
#include "tools/FolderComparison.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

#include <string>

namespace app {

std::string cellCount(std::size_t cells) {
    return std::to_string(cells) + (cells == 1 ? " cell" : " cells");
}

int runFolderDiff(const Invocation& invocation, Console& console) {
    const QString &before = invocation.files.at(0), &after = invocation.files.at(1);
    if (!namesFolder(before) || !namesFolder(after))
        return refuseUsage(QStringLiteral("--diff compares two levels or two folders of levels, "
                                          "not a level with a folder."),
                           console);
    if (invocation.given(Extra::Png))
        return refuseUsage(QStringLiteral("--png goes with two levels, not two folders."), console);
    const FolderComparison comparison =
        compareFolders(before, after, invocation.given(Extra::Recursive));
    std::string lines;
    for (const ComparedLevel& level : comparison.differing) {
        const std::string name = qorv::text::quoted(level.relative);
        switch (level.fate) {
        case LevelFate::Added:
            lines += "added " + name + '\n';
            break;
        case LevelFate::Removed:
            lines += "removed " + name + '\n';
            break;
        case LevelFate::Changed:
            lines += "changed " + name + ": " + cellCount(level.cells.size()) + '\n';
            break;
        case LevelFate::Unreadable:
            // Standard error tells it as every command does; the list says which it is.
            console.complain(level.failure);
            lines += "unreadable " + name + ": " + level.reason + '\n';
            break;
        }
    }
    lines += std::to_string(comparison.unchanged) + " unchanged\n";
    console.write(lines);
    return comparison.differing.empty() ? 0 : 1;
}

} // namespace app
