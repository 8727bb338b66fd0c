#include "tools/Merge.h"

#include "core/LevelMerge.h"
#include "levelio/LevelFile.h"
#include "tools/CellLines.h"
#include "tools/LevelTools.h"
#include "tools/MarkedPicture.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

#include <optional>
#include <sys/stat.h>

namespace app {

namespace {

// An empty file (git's stand-in for a missing common ancestor) gives no level.
std::optional<qorv::LevelGrid> readBaseLevel(const QString& name) {
    struct stat st {};
    if (::stat(fileName(name).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        return std::nullopt;
    return readLevel(name);
}

} // namespace

int runMerge(const Invocation& invocation, Console& console) {
    const QString &baseName = invocation.files.at(0), &oursName = invocation.files.at(1),
                  &theirsName = invocation.files.at(2);
    const QString picture = invocation.value(Extra::Conflicts);
    // Every input is read, every output checked and the picture drawn before anything is
    // written.
    const std::optional<qorv::LevelGrid> base = readBaseLevel(baseName);
    const qorv::LevelGrid ours = readLevel(oursName), theirs = readLevel(theirsName);
    const qorv::LevelMergeResult merge = qorv::mergeLevels(base, ours, theirs);
    const QString sheet = picture.isEmpty() ? QString() : requireSheet(invocation.sheets.at(1));
    checkOutputs(invocation, {baseName, oursName, theirsName, sheet}, console);
    const QByteArray drawn =
        picture.isEmpty() ? QByteArray() : markedPicture(ours, sheet, merge.conflicts, picture);
    // git's driver writes the result over OURS: OUT may be an input.
    writeOutputFile(invocation.output, qorv::formatLevel(merge.merged), {}, &console);
    if (!picture.isEmpty()) writeOutputFile(picture, drawn, {});
    Lines lines(merge.conflicts.size());
    for (const qorv::CellConflict& conflict : merge.conflicts) {
        lines.cell(conflict.x, conflict.y).word("base ");
        conflict.base ? lines.number(*conflict.base) : lines.word("none");
        lines.word(", ours ").number(conflict.ours).word(", theirs ").number(conflict.theirs);
        lines.endLine();
    }
    console.writeError(lines.text());
    return merge.conflicts.empty() ? 0 : 1;
}

} // namespace app
