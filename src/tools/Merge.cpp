#include "tools/Merge.h"

#include "core/ConflictedLevel.h"
#include "core/LevelMerge.h"
#include "findings/LineReports.h"
#include "levelio/LevelFile.h"
#include "text/Message.h"
#include "text/Quoting.h"
#include "tools/LevelTools.h"
#include "tools/MarkedPicture.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

#include <QProcess>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace app {

namespace {

// The lines of conflicts a level prints at most: a screenful, then how many more there are.
constexpr std::size_t ShownConflicts = 20;

// An empty file (git's stand-in for a missing common ancestor) gives no level.
std::optional<qorv::LevelGrid> readBaseLevel(const QString& name) {
    struct stat st {};
    if (::stat(fileName(name).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        return std::nullopt;
    return readLevel(name);
}

// git tells a merge driver nothing of the conflict style: a driver asks git's configuration,
// as git's own merge reads it. Only a run under git (which sets GIT_EXEC_PATH for the
// commands it runs) and only a level with conflicts asks, so that no other merge pays for
// starting git.
bool gitWantsTheBase() {
    if (!std::getenv("GIT_EXEC_PATH")) return false;
    QProcess git;
    git.start(QStringLiteral("git"), {QStringLiteral("config"), QStringLiteral("--get"),
                                      QStringLiteral("merge.conflictStyle")});
    if (!git.waitForFinished() || git.exitStatus() != QProcess::NormalExit) return false;
    const QByteArray style = git.readAllStandardOutput().trimmed();
    return style == "diff3" || style == "zdiff3";
}

// The file a merge with conflicts leaves: the conflicting rows between markers.
std::string conflictedText(const qorv::LevelMergeResult& merge,
                           const std::optional<qorv::LevelGrid>& base,
                           std::array<int, qorv::GridHeight>& oursLines) {
    const qorv::LevelGrid* withBase = base && gitWantsTheBase() ? &*base : nullptr;
    auto text = qorv::formatConflictedLevel(merge.merged, merge.conflicts, withBase, &oursLines);
    if (std::holds_alternative<qorv::UnwritableCell>(text))
        return qorv::formatLevel(merge.merged); // throws: the tile has no character
    return std::move(std::get<std::string>(text));
}

// "maze.qre:5:13: conflict: base 0, ours 10, theirs 12" a conflict, at OURS's copy of its row
// in the file written, the first screenful of them and then how many more.
std::string conflictLines(const std::string& name, const qorv::LevelMergeResult& merge,
                          const std::array<int, qorv::GridHeight>& oursLines) {
    const std::string shown = qorv::text::quoted(name);
    std::string lines;
    for (std::size_t i = 0; i < merge.conflicts.size() && i < ShownConflicts; ++i) {
        const qorv::CellConflict& conflict = merge.conflicts[i];
        qorv::findings::Finding finding;
        finding.file = name;
        finding.line = oursLines[std::size_t(conflict.y)];
        finding.column = conflict.x + 1;
        finding.message = "conflict: base " +
                          (conflict.base ? std::to_string(*conflict.base) : std::string("none")) +
                          ", ours " + std::to_string(conflict.ours) + ", theirs " +
                          std::to_string(conflict.theirs);
        qorv::findings::appendPlainLine(lines, finding, shown);
    }
    if (merge.conflicts.size() > ShownConflicts)
        lines += qorv::text::about(
                     name, "and " + std::to_string(merge.conflicts.size() - ShownConflicts) +
                               " more conflicts") +
                 "\n";
    return lines;
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
    std::array<int, qorv::GridHeight> oursLines{};
    const std::string text = merge.conflicts.empty() ? qorv::formatLevel(merge.merged)
                                                     : conflictedText(merge, base, oursLines);
    // git's driver writes the result over OURS: OUT may be an input.
    writeOutputFile(invocation.output, std::string_view(text), {}, &console);
    if (!picture.isEmpty()) writeOutputFile(picture, drawn, {});
    if (merge.conflicts.empty()) return 0;
    const QString name = invocation.given(Extra::Path) ? invocation.value(Extra::Path) : oursName;
    console.writeError(conflictLines(fileName(name), merge, oursLines));
    return 1;
}

} // namespace app
