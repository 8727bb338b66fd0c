#include "tools/Remap.h"

#include "levelio/LevelFile.h"
#include "storage/FolderFiles.h"
#include "text/Quoting.h"
#include "tools/Diff.h"
#include "tools/LevelSet.h"
#include "tools/OutputFile.h"
#include "tools/Progress.h"
#include "tools/RemapTable.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

#include <set>

namespace app {

namespace {

// The levels once each, by the files their names lead to: a second remap would undo a swap.
// Every name is looked at before any level is saved, for a save gives the file a new inode.
std::vector<const SetLevel*> eachFileOnce(const LevelSet& levels) {
    std::set<qorv::FileIdentity> seen;
    std::vector<const SetLevel*> once;
    for (const SetLevel& level : levels) {
        const std::optional<qorv::FileIdentity> identity = qorv::identityOf(level.path);
        if (!identity || seen.insert(*identity).second) once.push_back(&level);
    }
    return once;
}

void remapLevel(const SetLevel& level, const qorv::TileMap& table, bool dryRun, Console& console) {
    // Refused before it is read: a FIFO's reader would wait for a writer for ever, and what
    // cannot be written back cannot be remapped. A dry run writes nothing back: it reads
    // standard input and pipes as every mode does.
    if (!dryRun) checkOutputFile(level.file, {});
    const qorv::LevelGrid grid = requireLevel(level);
    const qorv::LevelGrid remapped = qorv::remapTiles(grid, table);
    if (remapped == grid) return;
    if (dryRun)
        console.write(qorv::text::quoted(level.path) + ":\n" +
                      changeLines(qorv::diffLevels(grid, remapped)));
    else
        writeOutputFile(level.file, qorv::formatLevel(remapped), {});
}

} // namespace

int runRemap(const Invocation& invocation, Console& console) {
    qorv::TileMap table;
    try {
        table = readRemapTable(invocation.argument);
    } catch (const RemapTableError& wrong) { // a file of pairs: only reading it tells
        return refuseUsage(QString::fromStdString(wrong.what()), console);
    }
    const bool dryRun = invocation.given(Extra::DryRun);
    int status = 0;
    const std::vector<const SetLevel*> levels = eachFileOnce(invocation.levels);
    Progress progress(console, qsizetype(levels.size()));
    for (const SetLevel* level : levels) {
        if (const std::optional<std::string> failure =
                failureOf([&] { remapLevel(*level, table, dryRun, console); })) {
            console.complain(*failure);
            status = 1;
        }
        progress.tick();
    }
    return status;
}

} // namespace app
