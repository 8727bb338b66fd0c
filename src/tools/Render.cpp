#include "tools/Render.h"

#include "errors/IoError.h"
#include "tools/ImageFile.h"
#include "tools/LevelSet.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/ParallelWork.h"
#include "tools/Progress.h"
#include "tools/Reporting.h"
#include "tools/SheetCache.h"

#include <QFileInfo>
#include <QHash>

#include <optional>
#include <vector>

namespace app {

namespace {

// DIR/NAME.png of every level, in the levels' order; refused when two levels share one.
QStringList outputsFor(const QStringList& levels, const QString& folder) {
    QHash<QString, QString> levelOf;
    QStringList outputs;
    for (const QString& level : levels) {
        const QString output = namedIn(folder, QFileInfo(level).completeBaseName() + ".png");
        if (levelOf.contains(output))
            throw qorv::EditorError(
                QStringLiteral("%1 and %2 would both be drawn into %3")
                    .arg(quotedName(levelOf[output]), quotedName(level), quotedName(output))
                    .toStdString());
        levelOf.insert(output, level);
        outputs << output;
    }
    prepareOutputFolder(folder); // made only for levels that can all be drawn into it
    return outputs;
}

struct Picture {
    const SetLevel& level;
    const qorv::TileSheetSearch& sheet;
    QString output;
};

// Draws one level into its picture file. The output is looked at first, so that the graver
// reason to refuse it is the one reported. A level a merge left conflicted is drawn as OURS
// with its conflicting cells framed, and `note` says so.
void renderOne(const Picture& picture, const SheetCache& sheets, Console* standardOutput,
               std::optional<std::string>& note) {
    // A name that is not text is no name to derive an output from.
    if (picture.level.failure) requireLevel(picture.level);
    const QStringList inputs = {picture.level.file, picture.sheet.found};
    checkOutputFile(picture.output, inputs, standardOutput);
    const ShownLevel level = requireShownLevel(picture.level);
    QImage raster = drawLevel(level.grid, sheets.sheet(picture.sheet));
    if (level.conflicted) {
        raster = withCellsMarked(raster, level.conflicted->conflicts);
        note = conflictedNote(picture.level.file, *level.conflicted);
    }
    writeOutputFile(picture.output, encodeImageFor(raster, picture.output), inputs, standardOutput);
}

} // namespace

int runRender(const Invocation& invocation, Console& console) {
    const bool intoFolder = invocation.given(Extra::OutDir);
    const LevelSet& levels = invocation.levels;
    const QStringList outputs = intoFolder ? outputsFor(invocation.files, invocation.output)
                                           : QStringList{invocation.output};
    const SheetCache sheets(invocation.sheets);
    // One picture may go to standard output; many go into a folder, drawn by several threads.
    Console* standardOutput = intoFolder ? nullptr : &console;
    std::vector<std::optional<std::string>> notes(levels.size());
    Progress progress(console, qsizetype(levels.size()));
    const std::vector<std::optional<std::string>> problems =
        inParallel(qsizetype(levels.size()), [&](qsizetype i) {
            renderOne({levels[std::size_t(i)], invocation.sheets[i], outputs[i]}, sheets,
                      standardOutput, notes[std::size_t(i)]);
            progress.tick();
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
