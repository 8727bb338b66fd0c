#include "tools/Remap.h"

#include "levelio/LevelFile.h"
#include "storage/FolderFiles.h"
#include "text/Quoting.h"
#include "tools/Diff.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/RemapTable.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

#include <set>

namespace app {

namespace {

// The levels once each, by the files their names lead to: a second remap would undo a swap.
// Every name is looked at before any level is saved, for a save gives the file a new inode.
QStringList eachFileOnce(const QStringList& levels) {
    std::set<qorv::FileIdentity> seen;
    QStringList once;
    for (const QString& level : levels) {
        const std::optional<qorv::FileIdentity> identity = qorv::identityOf(fileName(level));
        if (!identity || seen.insert(*identity).second) once << level;
    }
    return once;
}

void remapLevel(const QString& level, const qorv::TileMap& table, bool dryRun, Console& console) {
    // Refused before it is read: a FIFO's reader would wait for a writer for ever, and what
    // cannot be written back cannot be remapped (a dry run refuses what the run would).
    checkOutputFile(level, {});
    const qorv::LevelGrid grid = readLevel(level);
    const qorv::LevelGrid remapped = qorv::remapTiles(grid, table);
    if (remapped == grid) return;
    if (dryRun)
        console.write(qorv::text::quoted(fileName(level)) + ":\n" +
                      changeLines(qorv::diffLevels(grid, remapped)));
    else
        writeOutputFile(level, qorv::formatLevel(remapped), {});
}

} // namespace

int runRemap(const Invocation& invocation, Console& console) {
    qorv::TileMap table;
    try {
        table = readRemapTable(invocation.argument);
    } catch (const RemapTableError& wrong) {
        console.complain(std::string_view(wrong.what()));
        return UsageStatus;
    }
    if (invocation.files.contains(QStringLiteral("-"))) {
        console.complain(QStringLiteral("--remap writes each level back: standard input (-) "
                                        "cannot be one."));
        return UsageStatus;
    }
    const bool dryRun = invocation.given(Extra::DryRun);
    int status = 0;
    for (const QString& level : eachFileOnce(invocation.files)) {
        if (const std::optional<std::string> failure =
                failureOf([&] { remapLevel(level, table, dryRun, console); })) {
            console.complain(*failure);
            status = 1;
        }
    }
    return status;
}

} // namespace app
