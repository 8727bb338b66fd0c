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

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

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

// The output's short lines, written straight into one buffer made long enough for all of
// them beforehand: no temporary string or growth per line, for a level's text has 2,880.
class Lines {
  public:
    explicit Lines(std::size_t count)
        : text_(std::make_unique_for_overwrite<char[]>(count * MaxLine)), end_(text_.get()) {}
    // Every number of these lines is a column, a row or a tile: below 1,000.
    Lines& number(unsigned value) {
        if (value >= 100) *end_++ = char('0' + value / 100);
        if (value >= 10) *end_++ = char('0' + value / 10 % 10);
        *end_++ = char('0' + value % 10);
        return *this;
    }
    Lines& word(std::string_view word) {
        end_ = std::copy(word.begin(), word.end(), end_);
        return *this;
    }
    Lines& cell(unsigned x, unsigned y) { return number(x).word(",").number(y).word(": "); }
    void endLine() { *end_++ = '\n'; }
    std::string_view text() const { return {text_.get(), std::size_t(end_ - text_.get())}; }

  private:
    static constexpr std::size_t MaxLine = 40; // "63,44: base none, ours 255, theirs 255\n"
    std::unique_ptr<char[]> text_;
    char* end_;
};

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
        Lines lines(changes.size());
        for (const qorv::CellChange& change : changes)
            lines.cell(change.x, change.y)
                .number(change.from)
                .word(" -> ")
                .number(change.to)
                .endLine();
        writeText(out, lines.text());
        return changes.empty() ? 0 : 1;
    } catch (const qorv::EditorError& error) {
        report(err, error);
        return Trouble;
    }
}

int runTextConv(const Invocation& invocation, std::FILE* out, std::FILE* err) {
    try {
        const qorv::LevelGrid level = readLevelNamed(invocation.levels.at(0));
        Lines lines(qorv::GridCells);
        for (int y = 0; y < qorv::GridHeight; ++y)
            for (int x = 0; x < qorv::GridWidth; ++x)
                lines.cell(x, y).number(level.at(x, y)).endLine();
        writeText(out, lines.text());
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
        Lines lines(merge.conflicts.size());
        for (const qorv::CellConflict& conflict : merge.conflicts) {
            lines.cell(conflict.x, conflict.y).word("base ");
            conflict.base ? lines.number(*conflict.base) : lines.word("none");
            lines.word(", ours ").number(conflict.ours).word(", theirs ").number(conflict.theirs);
            lines.endLine();
        }
        writeText(err, lines.text());
        return merge.conflicts.empty() ? 0 : 1;
    } catch (const qorv::EditorError& error) {
        report(err, error);
        return Trouble;
    }
}

} // namespace app
