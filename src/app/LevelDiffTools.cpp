#include "app/LevelDiffTools.h"

#include "app/FolderComparison.h"
#include "app/FolderDiff.h"
#include "app/ImageFile.h"
#include "app/LevelTools.h"
#include "app/OutputFile.h"
#include "app/Reporting.h"
#include "core/LevelDiff.h"
#include "core/LevelMerge.h"
#include "levelio/LevelFile.h"
#include "render/Raster.h"
#include "storage/FolderFiles.h"
#include "storage/IoError.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
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

// `grid` as --render draws it, with `cells` framed.
template <typename Cells>
QByteArray markedPicture(const qorv::LevelGrid& grid, const QString& sheet, const Cells& cells,
                         const QString& output) {
    return encodeImageFor(withCellsMarked(drawLevel(grid, loadSheet(sheet)), cells), output);
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

int runTextConv(const Invocation& invocation, Console& console) {
    qorv::LevelGrid level;
    if (const std::optional<std::string> failure =
            failureOf([&] { level = readLevel(invocation.files.at(0)); })) {
        console.write(*failure + '\n');
        return 0;
    }
    Lines lines(qorv::GridCells);
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x)
            lines.cell(x, y).number(level.at(x, y)).endLine();
    console.write(lines.text());
    return 0;
}

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
