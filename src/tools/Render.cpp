#include "tools/Render.h"

#include "errors/IoError.h"
#include "tools/ImageFile.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/ParallelWork.h"
#include "tools/Reporting.h"
#include "tools/SheetCache.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <optional>
#include <vector>

namespace app {

namespace {

// DIR/NAME.png of every level, in the levels' order; refused when two levels share one.
QStringList outputsFor(const QStringList& levels, const QString& folder) {
    requireFolder(folder, "Cannot render into ");
    QHash<QString, QString> levelOf;
    QStringList outputs;
    for (const QString& level : levels) {
        const QString output = QDir(folder).filePath(QFileInfo(level).completeBaseName() + ".png");
        if (levelOf.contains(output))
            throw qorv::EditorError(
                QStringLiteral("%1 and %2 would both be drawn into %3")
                    .arg(quotedName(levelOf[output]), quotedName(level), quotedName(output))
                    .toStdString());
        levelOf.insert(output, level);
        outputs << output;
    }
    return outputs;
}

struct Picture {
    QString level;
    const qorv::TileSheetSearch& sheet;
    QString output;
};

// Draws one level into its picture file. The output is looked at first, so that the graver
// reason to refuse it is the one reported. A level a merge left conflicted is drawn as OURS
// with its conflicting cells framed, and `note` says so.
void renderOne(const Picture& picture, const SheetCache& sheets, Console* standardOutput,
               std::optional<std::string>& note) {
    const QStringList inputs = {picture.level, picture.sheet.found};
    checkOutputFile(picture.output, inputs, standardOutput);
    const ShownLevel level = readShownLevel(picture.level);
    QImage raster = drawLevel(level.grid, sheets.sheet(picture.sheet));
    if (level.conflicted) {
        raster = withCellsMarked(raster, level.conflicted->conflicts);
        note = conflictedNote(picture.level, *level.conflicted);
    }
    writeOutputFile(picture.output, encodeImageFor(raster, picture.output), inputs, standardOutput);
}

} // namespace

int runRender(const Invocation& invocation, Console& console) {
    const QStringList& levels = invocation.files;
    const bool intoFolder = invocation.given(Extra::OutDir);
    const QStringList outputs =
        intoFolder ? outputsFor(levels, invocation.output) : QStringList{invocation.output};
    const SheetCache sheets(invocation.sheets);
    // One picture may go to standard output; many go into a folder, drawn by several threads.
    Console* standardOutput = intoFolder ? nullptr : &console;
    std::vector<std::optional<std::string>> notes(std::size_t(levels.size()));
    const std::vector<std::optional<std::string>> problems =
        inParallel(levels.size(), [&](qsizetype i) {
            renderOne({levels[i], invocation.sheets[i], outputs[i]}, sheets, standardOutput,
                      notes[std::size_t(i)]);
        });

    bool allDrawn = true;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (notes[i]) console.complain(*notes[i]);
        if (problems[i]) {
            allDrawn = false;
            console.complain(*problems[i]);
        }
    }
    return allDrawn ? 0 : 1;
}

} // namespace app
