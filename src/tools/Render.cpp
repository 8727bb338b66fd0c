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
    prepareOutputFolder(folder); // made only for levels that can all be drawn into it
    return outputs;
}

struct Picture {
    QString level;
    const qorv::TileSheetSearch& sheet;
    QString output;
};

// Draws one level into its picture file. The output is looked at first, so that the graver
// reason to refuse it is the one reported.
void renderOne(const Picture& picture, const SheetCache& sheets, Console* standardOutput) {
    const QStringList inputs = {picture.level, picture.sheet.found};
    checkOutputFile(picture.output, inputs, standardOutput);
    const qorv::LevelGrid grid = readLevel(picture.level);
    const QImage raster = drawLevel(grid, sheets.sheet(picture.sheet));
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
    const std::vector<std::optional<std::string>> problems =
        inParallel(levels.size(), [&](qsizetype i) {
            renderOne({levels[i], invocation.sheets[i], outputs[i]}, sheets, standardOutput);
        });

    bool allDrawn = true;
    for (const std::optional<std::string>& problem : problems)
        if (problem) {
            allDrawn = false;
            console.complain(*problem);
        }
    return allDrawn ? 0 : 1;
}

} // namespace app
