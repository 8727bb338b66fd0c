#include "tools/Sheet.h"

#include "render/Raster.h"
#include "render/Subsample.h"
#include "tools/Captions.h"
#include "tools/ImageFile.h"
#include "tools/LevelSet.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/ParallelWork.h"
#include "tools/Progress.h"
#include "tools/Reporting.h"
#include "tools/SheetCache.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace app {

namespace {

constexpr int DefaultScale = 4;
constexpr int SheetMargin = 8; // white between and around the places
static_assert(MostSheetScale == qorv::RasterHeight);
// A sheet of 1,000 levels at the default scale is 23 million pixels; QImage allocates no
// more than 2 GiB, and a picture ten times larger than that is no overview.
constexpr qint64 MostSheetPixels = qint64(1) << 28;

// A whole number option, which the parser checked; `fallback` when it is not given.
int wholeNumber(const Invocation& invocation, Extra extra, int fallback) {
    if (!invocation.given(extra)) return fallback;
    bool isNumber = false;
    const int value = invocation.value(extra).toInt(&isNumber);
    if (!isNumber || value < 1)
        throw qorv::EditorError(about(invocation.value(extra), "not a whole number")); // parser's
    return value;
}

struct Layout {
    int count;
    int columns;
    int scale;
    int width() const { return qorv::RasterWidth / scale; }
    int height() const { return qorv::RasterHeight / scale; }
    int rows() const { return (count + columns - 1) / columns; }
    int left(int index) const { return SheetMargin + index % columns * (width() + SheetMargin); }
    int top(int index) const {
        return SheetMargin + index / columns * (height() + CaptionHeight + SheetMargin);
    }
    // In 64 bits: a folder may hold more levels than a side of 31 bits can place.
    qint64 sheetWidth() const { return SheetMargin + qint64(columns) * (width() + SheetMargin); }
    qint64 sheetHeight() const {
        return SheetMargin + qint64(rows()) * (height() + CaptionHeight + SheetMargin);
    }
    QRect place(int index) const { return {left(index), top(index), width(), height()}; }
    QRect caption(int index) const {
        return {left(index), top(index) + height(), width(), CaptionHeight};
    }
};

int defaultColumns(qsizetype count) {
    return int(std::ceil(std::sqrt(double(count))));
}

QStringList inputsOf(const Invocation& invocation) {
    QSet<QString> sheets;
    for (const qorv::TileSheetSearch& search : invocation.sheets)
        if (!search.found.isEmpty()) sheets.insert(search.found);
    return invocation.files + QStringList(sheets.begin(), sheets.end());
}

// The places of the sheet in name order: by file name, then by the whole name, so that
// levels of one name from two folders stand side by side. The value at a place is the
// level's index among the files given.
std::vector<qsizetype> nameOrder(const QStringList& levels) {
    std::vector<qsizetype> order(std::size_t(levels.size()));
    std::iota(order.begin(), order.end(), 0);
    std::ranges::sort(order, [&](qsizetype a, qsizetype b) {
        const QString first = QFileInfo(levels[a]).fileName(),
                      second = QFileInfo(levels[b]).fileName();
        return first != second ? first < second : levels[a] < levels[b];
    });
    return order;
}

QImage blankSheet(const Layout& layout) {
    const qint64 width = layout.sheetWidth();
    const qint64 height = layout.sheetHeight();
    if (width * height > MostSheetPixels)
        throw qorv::EditorError(QStringLiteral("a sheet of %1x%2 pixels is too large; give a "
                                               "larger --scale or fewer levels")
                                    .arg(width)
                                    .arg(height)
                                    .toStdString());
    QImage sheet(int(width), int(height), QImage::Format_RGB888);
    sheet.fill(Qt::white);
    return sheet;
}

} // namespace

int runSheet(const Invocation& invocation, Console& console) {
    const QStringList& levels = invocation.files;
    const int scale = wholeNumber(invocation, Extra::Scale, DefaultScale);
    const int columns = wholeNumber(invocation, Extra::Columns, defaultColumns(levels.size()));
    if (levels.isEmpty())
        throw qorv::EditorError("no level to draw: the folders given hold no *.qre or *.qrl");
    const Layout layout{int(levels.size()), std::min(columns, int(levels.size())), scale};
    const QStringList inputs = inputsOf(invocation);
    checkOutputFile(invocation.argument, inputs, &console);
    QImage sheet = blankSheet(layout);

    const SheetCache sheets(invocation.sheets);
    uchar* const pixels = sheet.bits();
    const qsizetype bytesPerLine = sheet.bytesPerLine();
    const std::vector<qsizetype> order = nameOrder(levels);
    Progress progress(console, levels.size());
    // A place whose level cannot be read or drawn is marked with why, after the others.
    std::vector<std::string> reasons(order.size());
    const auto problems = inParallel(levels.size(), [&](qsizetype i) {
        const auto ticked = qScopeGuard([&] { progress.tick(); });
        const qsizetype level = order[std::size_t(i)];
        const SetLevel& setLevel = invocation.levels[std::size_t(level)];
        const LevelRead read = readSetLevel(setLevel);
        if (const auto* failure = std::get_if<LevelFailure>(&read)) {
            reasons[std::size_t(i)] = failure->reason;
            throw qorv::EditorError(aboutLevel(setLevel, failure->reason));
        }
        const QImage raster =
            drawLevel(std::get<qorv::LevelGrid>(read), sheets.sheet(invocation.sheets[level]));
        qorv::subsampleInto(raster, layout.scale,
                            pixels + layout.top(int(i)) * bytesPerLine + layout.left(int(i)) * 3,
                            bytesPerLine);
    });
    qsizetype failed = 0;
    for (const std::optional<std::string>& problem : problems)
        if (problem) {
            ++failed;
            console.complain(*problem);
        }
    if (failed == levels.size()) return 1;
    const Captions captions;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const std::size_t at = std::size_t(i);
        const SetLevel& level = invocation.levels[std::size_t(order[at])];
        const std::string& path = level.path;
        captions.draw(sheet, layout.caption(int(i)),
                      quotedName(QByteArray::fromStdString(path.substr(path.rfind('/') + 1))));
        if (problems[at])
            captions.mark(
                sheet, layout.place(int(i)),
                QString::fromStdString(reasons[at].empty() ? *problems[at] : reasons[at]));
    }
    writeOutputFile(invocation.argument, encodeImageFor(sheet, invocation.argument), inputs,
                    &console);
    return failed == 0 ? 0 : 1;
}

} // namespace app
