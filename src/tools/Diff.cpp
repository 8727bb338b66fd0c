#include "tools/Diff.h"

#include "core/LevelDiff.h"
#include "storage/FolderFiles.h"
#include "tools/CellLines.h"
#include "tools/FolderDiff.h"
#include "tools/LevelTools.h"
#include "tools/MarkedPicture.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

namespace app {

int runDiff(const Invocation& invocation, Console& console) {
    const QString &from = invocation.files.at(0), &to = invocation.files.at(1);
    if (qorv::isFolder(fileName(from)) || qorv::isFolder(fileName(to)))
        return runFolderDiff(invocation, console);
    const QString picture = invocation.value(Extra::Png);
    const qorv::LevelGrid a = readLevel(from), b = readLevel(to);
    const std::vector<qorv::CellChange> changes = qorv::diffLevels(a, b);
    if (!picture.isEmpty()) {
        const QString& sheet = requireSheet(invocation.sheets.at(1));
        checkOutputs(invocation, {from, to, sheet}, console);
        writeOutputFile(picture, markedPicture(b, sheet, changes, picture), {});
    }
    console.write(changeLines(changes));
    return changes.empty() ? 0 : 1;
}

std::string changeLines(const std::vector<qorv::CellChange>& changes) {
    Lines lines(changes.size());
    for (const qorv::CellChange& change : changes)
        lines.cell(change.x, change.y).number(change.from).word(" -> ").number(change.to).endLine();
    return std::string(lines.text());
}

} // namespace app
