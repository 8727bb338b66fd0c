#include "tools/LevelTools.h"

#include "errors/IoError.h"
#include "levelio/LevelFile.h"
#include "render/Raster.h"
#include "render/TileSheet.h"
#include "tools/InputFile.h"
#include "tools/Reporting.h"

namespace app {

namespace {

QString shownFolder(const QString& folder) {
    return QStringLiteral("in ") +
           (folder == u"." ? QStringLiteral("the working directory") : quotedName(folder));
}

} // namespace

// A line merge that could not merge a level leaves its markers in it: short lines the
// reader refuses. Saying so tells the user what happened and where.
std::string levelFailure(const QString&, const qorv::EditorError& error) {
    if (const auto* conflict = dynamic_cast<const qorv::UnresolvedConflict*>(&error))
        return "unresolved merge conflict at line " + std::to_string(conflict->line());
    return error.what();
}

qorv::LevelGrid readLevel(const QString& level) {
    // The reader's messages do not name the file; with several files about, say which.
    return aboutFile(
        level, [&] { return qorv::levelFromFile(readInput(level, qorv::MaxLevelFileRead)); }, {},
        levelFailure);
}

ShownLevel readShownLevel(const QString& level) {
    return aboutFile(
        level,
        [&] {
            try {
                return ShownLevel{qorv::levelFromFile(readInput(level, qorv::MaxLevelFileRead)),
                                  nullptr};
            } catch (const qorv::UnresolvedConflict& conflict) {
                return ShownLevel{conflict.level().merged, conflict.shared()};
            }
        },
        {}, levelFailure);
}

ShownLevel requireShownLevel(const SetLevel& level) {
    LevelRead read = readSetLevel(level);
    if (const auto* failure = std::get_if<LevelFailure>(&read)) {
        if (!failure->conflicted) throw qorv::EditorError(aboutLevel(level, failure->reason));
        return ShownLevel{failure->conflicted->merged, failure->conflicted};
    }
    return ShownLevel{std::get<qorv::LevelGrid>(std::move(read)), nullptr};
}

std::string conflictedNote(const QString& level, const qorv::ConflictedLevel& conflicted) {
    const std::size_t count = conflicted.conflicts.size();
    return about(level,
                 "unresolved merge conflicts: drawn as ours, its " + std::to_string(count) +
                     (count == 1 ? " conflicting cell framed" : " conflicting cells framed"));
}

const QString& requireSheet(const qorv::TileSheetSearch& search) {
    if (search.found.isEmpty()) {
        QStringList places;
        for (const QString& folder : search.lookedIn)
            places << shownFolder(folder);
        throw qorv::EditorError(
            QStringLiteral("no tile sheet: no %1 %2; name one with --tiles SHEET.bmp")
                .arg(QString::fromLatin1(qorv::TileSheetFileName),
                     listed(places, QStringLiteral("or")))
                .toStdString());
    }
    return search.found;
}

QImage loadSheet(const QString& sheet) {
    return aboutFile(
        sheet, [&] { return qorv::decodeBitmap(readInputFile(sheet, qorv::MaxBitmapFileBytes)); });
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

} // namespace app
