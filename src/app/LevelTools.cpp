#include "app/LevelTools.h"

#include "app/ImageFile.h"
#include "app/InputFile.h"
#include "app/OutputFile.h"
#include "app/Quoting.h"
#include "levelio/LevelFile.h"
#include "render/Raster.h"
#include "render/TileSheet.h"
#include "storage/IoError.h"

#include <QDir>
#include <QFileInfo>

namespace app {

namespace {
// A line merge that could not merge a level leaves its markers in it: short lines the
// reader refuses. Saying so tells the user what happened and where.
std::string failureOf(const qorv::EditorError& error) {
    if (const auto* conflict = dynamic_cast<const qorv::UnresolvedConflict*>(&error))
        return "unresolved merge conflict at line " + std::to_string(conflict->line());
    return error.what();
}

qorv::LevelGrid readInputLevel(const QString& level) {
    return qorv::levelFromFile(readInput(level, qorv::MaxLevelFileRead));
}

[[noreturn]] void fail(const QString& message) {
    throw qorv::EditorError(message.toStdString());
}

} // namespace

QImage loadSheet(const QString& sheet) {
    try {
        return qorv::loadBitmap(sheet);
    } catch (const qorv::EditorError& error) {
        // The loader names the sheet as given, in the editor's own message.
        if (error.what() != "Cannot open file " + sheet.toStdString()) throw;
        fail(QStringLiteral("Cannot open file %1").arg(quotedName(sheet)));
    }
}

bool checkLevels(const QStringList& levels, Console& console) {
    bool allRead = true;
    for (const QString& level : levels) {
        try {
            readInputLevel(level);
        } catch (const qorv::EditorError& error) {
            allRead = false;
            console.print(QStringLiteral("%1: %2\n")
                              .arg(quotedName(level), QString::fromStdString(failureOf(error))));
        }
    }
    return allRead;
}

QString defaultSheetFor(const QString& level) {
    return QFileInfo(level).dir().filePath(QStringLiteral("all.bmp"));
}

qorv::LevelGrid readLevel(const QString& level) {
    try {
        return readInputLevel(level);
    } catch (const qorv::EditorError& error) {
        // The reader's messages do not name the file; with several files about, say which.
        fail(QStringLiteral("%1: %2").arg(quotedName(level), QString::fromUtf8(error.what())));
    }
}

QImage drawLevel(const qorv::LevelGrid& grid, const QImage& sheet) {
    QImage raster = qorv::makeRaster();
    qorv::drawAllCells(grid, sheet, raster);
    return raster;
}

QImage renderLevel(const QString& level, const QString& sheet) {
    const qorv::LevelGrid grid = readLevel(level);
    return drawLevel(grid, loadSheet(sheet));
}

void renderLevelToImage(const QString& level, const QString& sheet, const QString& out) {
    checkOutputFile(out, {level, sheet}); // before its extension is looked at
    const QImage raster = renderLevel(level, sheet);
    writeOutputFile(out, encodeImageFor(raster, out), {level, sheet});
}

} // namespace app
