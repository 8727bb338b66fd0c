#include "app/LevelTools.h"

#include "app/FileInOut.h"

#include "core/IoError.h"
#include "core/LevelFile.h"
#include "render/Raster.h"
#include "render/TileSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace app {

namespace {
std::string fileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}
} // namespace

bool checkLevels(const QStringList& levels, std::FILE* out) {
    bool allRead = true;
    qorv::LevelGrid grid{};
    for (const QString& level : levels) {
        try {
            qorv::loadQRE(fileName(level), grid);
        } catch (const qorv::EditorError& error) {
            allRead = false;
            std::fprintf(out, "%s: %s\n", level.toLocal8Bit().constData(), error.what());
        }
    }
    return allRead;
}

QString defaultSheetFor(const QString& level) {
    return QFileInfo(level).dir().filePath(QStringLiteral("all.bmp"));
}

qorv::LevelGrid readLevel(const QString& level) {
    qorv::LevelGrid grid{};
    try {
        qorv::loadQRE(fileName(level), grid);
    } catch (const qorv::EditorError& error) {
        // The reader's messages do not name the file; with several files about, say which.
        throw qorv::EditorError(shownName(level).toStdString() + ": " + error.what());
    }
    return grid;
}

QImage drawLevel(const qorv::LevelGrid& grid, const QImage& sheet) {
    QImage raster = qorv::makeRaster();
    qorv::drawAllCells(grid, sheet, raster);
    return raster;
}

QImage renderLevel(const QString& level, const QString& sheet) {
    const qorv::LevelGrid grid = readLevel(level);
    return drawLevel(grid, qorv::loadBitmap(sheet));
}

void renderLevelToImage(const QString& level, const QString& sheet, const QString& out) {
    refuseInputAsOutput(out, {level, sheet});
    const QImage raster = renderLevel(level, sheet);
    // Written whole under another name and renamed: a failure keeps an earlier picture.
    writeOutputFile(out, encodeImageFor(raster, out), {level, sheet});
}

} // namespace app
