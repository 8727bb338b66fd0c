#include "app/LevelTools.h"

#include "core/ConflictMarkers.h"
#include "core/IoError.h"
#include "core/LevelFile.h"
#include "render/Raster.h"
#include "render/TileSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <filesystem>

namespace app {

namespace {
std::string fileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}
// A line merge that could not merge a level leaves its markers in it: short lines the
// reader refuses. Saying so tells the user what happened and where.
std::string failureOf(const std::string& level, const qorv::EditorError& error) {
    const auto* io = dynamic_cast<const qorv::IoError*>(&error);
    if (io && io->code() == qorv::iocode::ReadBeyondEnd)
        if (const std::optional<int> line = qorv::conflictMarkerLineInFile(level))
            return "unresolved merge conflict at line " + std::to_string(*line);
    return error.what();
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
            std::fprintf(out, "%s: %s\n", level.toLocal8Bit().constData(),
                         failureOf(fileName(level), error).c_str());
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
    // A slip of the arguments ("--render maze.qre maze.qre") must not turn a level or the
    // tile sheet into a picture: compared by file, so another name or link of it counts.
    for (const QString& input : {level, sheet}) {
        std::error_code unknown;
        if (std::filesystem::equivalent(fileName(input), fileName(png), unknown))
            throw qorv::EditorError("Cannot write " + png.toStdString() + ": it is the input " +
                                    input.toStdString());
    }
    // Written whole under another name and renamed: a failure keeps an earlier picture.
    QSaveFile file(png);
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(raster) || !file.commit()) {
        const QString why = writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                         : file.errorString();
        throw qorv::EditorError("Cannot write " + png.toStdString() + ": " + why.toStdString());
    }
}

} // namespace app
