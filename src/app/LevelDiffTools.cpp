#include "app/LevelDiffTools.h"

#include "app/LevelTools.h"
#include "app/ToolFiles.h"
#include "core/IoError.h"
#include "core/LevelDiff.h"
#include "core/LevelFile.h"
#include "core/LevelMerge.h"
#include "render/CellMarks.h"
#include "render/Raster.h"
#include "render/TileSheet.h"

#include <string>

namespace app {

namespace {

constexpr int Trouble = 2;

void report(std::FILE* err, const qorv::EditorError& error) {
    std::fprintf(err, "%s\n", error.what());
}

QString sheetFor(const Invocation& invocation, const QString& drawn) {
    return invocation.tiles.isEmpty() ? defaultSheetFor(drawn) : invocation.tiles;
}

// `grid` as --render draws it, with `cells` framed.
template <typename Cells>
std::string markedPicture(const qorv::LevelGrid& grid, const QString& sheet, const Cells& cells) {
    QImage raster = qorv::makeRaster();
    qorv::drawAllCells(grid, qorv::loadBitmap(sheet), raster);
    for (const auto& cell : cells)
        qorv::markCell(raster, cell.x, cell.y);
    return pngBytes(raster);
}

std::string cellText(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y) + ": ";
}

} // namespace

int runDiff(const Invocation& invocation, std::FILE* out, std::FILE* err) {
    const QString &from = invocation.levels.at(0), &to = invocation.levels.at(1);
    try {
        const qorv::LevelGrid a = readLevelNamed(from), b = readLevelNamed(to);
        const std::vector<qorv::CellChange> changes = qorv::diffLevels(a, b);
        if (!invocation.picture.isEmpty()) {
            const QString sheet = sheetFor(invocation, to);
            requireNoInput(invocation.picture, {from, to, sheet});
            writeOutputFile(invocation.picture, markedPicture(b, sheet, changes));
        }
        std::string text;
        for (const qorv::CellChange& change : changes)
            text += cellText(change.x, change.y) + std::to_string(change.from) + " -> " +
                    std::to_string(change.to) + "\n";
        writeText(out, text);
        return changes.empty() ? 0 : 1;
    } catch (const qorv::EditorError& error) {
        report(err, error);
        return Trouble;
    }
}

int runTextConv(const Invocation& invocation, std::FILE* out, std::FILE* err) {
    try {
        const qorv::LevelGrid level = readLevelNamed(invocation.levels.at(0));
        std::string text;
        text.reserve(qorv::GridCells * 10);
        for (int y = 0; y < qorv::GridHeight; ++y)
            for (int x = 0; x < qorv::GridWidth; ++x)
                text += cellText(x, y) + std::to_string(level.at(x, y)) + "\n";
        writeText(out, text);
        return 0;
    } catch (const qorv::EditorError& error) {
        report(err, error);
        return 1;
    }
}

int runMerge(const Invocation& invocation, std::FILE* err) {
    const QString &baseName = invocation.levels.at(0), &oursName = invocation.levels.at(1),
                  &theirsName = invocation.levels.at(2);
    try {
        // Every input is read, and the picture drawn, before anything is written.
        const std::optional<qorv::LevelGrid> base = readBaseLevel(baseName);
        const qorv::LevelGrid ours = readLevelNamed(oursName), theirs = readLevelNamed(theirsName);
        const qorv::LevelMergeResult merge = qorv::mergeLevels(base, ours, theirs);
        std::string picture;
        if (!invocation.picture.isEmpty()) {
            const QString sheet = sheetFor(invocation, oursName);
            requireNoInput(invocation.picture,
                           {baseName, oursName, theirsName, sheet, invocation.output});
            picture = markedPicture(ours, sheet, merge.conflicts);
        }
        writeOutputFile(invocation.output, qorv::formatLevel(merge.merged));
        if (!invocation.picture.isEmpty()) writeOutputFile(invocation.picture, picture);
        std::string text;
        for (const qorv::CellConflict& conflict : merge.conflicts)
            text += cellText(conflict.x, conflict.y) + "base " +
                    (conflict.base ? std::to_string(*conflict.base) : std::string("none")) +
                    ", ours " + std::to_string(conflict.ours) + ", theirs " +
                    std::to_string(conflict.theirs) + "\n";
        writeText(err, text);
        return merge.conflicts.empty() ? 0 : 1;
    } catch (const qorv::EditorError& error) {
        report(err, error);
        return Trouble;
    }
}

} // namespace app
