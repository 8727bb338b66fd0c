#include "app/LevelTools.h"

#include "core/IoError.h"
#include "core/LevelFile.h"
#include "render/Raster.h"
#include "render/TileSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

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

QImage renderLevel(const QString& level, const QString& sheet) {
    qorv::LevelGrid grid{};
    try {
        qorv::loadQRE(fileName(level), grid);
    } catch (const qorv::EditorError& error) {
        // The reader's messages do not name the file; with several files about, say which.
        throw qorv::EditorError(level.toStdString() + ": " + error.what());
    }
    const QImage tiles = qorv::loadBitmap(sheet);
    QImage raster = qorv::makeRaster();
    qorv::drawAllCells(grid, tiles, raster);
    return raster;
}

void renderLevelToPng(const QString& level, const QString& sheet, const QString& png) {
    const QImage raster = renderLevel(level, sheet);
    QImageWriter writer(png, "png");
    if (!writer.write(raster))
        throw qorv::EditorError("Cannot write " + png.toStdString() + ": " +
                                writer.errorString().toStdString());
}

} // namespace app
