#include "tools/Remap.h"

#include "levelio/LevelFile.h"
#include "storage/FolderFiles.h"
#include "text/Quoting.h"
#include "tools/Diff.h"
#include "tools/LevelSet.h"
#include "tools/OutputFile.h"
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
    } catch (const RemapTableError& wrong) {
        console.complain(std::string_view(wrong.what()));
        return UsageStatus;
    }
    const bool dryRun = invocation.given(Extra::DryRun);
    // --dry-run writes nothing back, so it reads standard input as every mode does.
    if (!dryRun && invocation.files.contains(QStringLiteral("-"))) {
        console.complain(QStringLiteral("--remap writes each level back: standard input (-) "
                                        "cannot be one."));
        return UsageStatus;
    }
    int status = 0;
    for (const SetLevel* level : eachFileOnce(invocation.levels)) {
        if (const std::optional<std::string> failure =
                failureOf([&] { remapLevel(*level, table, dryRun, console); })) {
            console.complain(*failure);
            status = 1;
        }
    }
    return status;
}

} // namespace app
