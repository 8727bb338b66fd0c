#include "render/TileSheetSearch.h"

#include "storage/PlantedEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qorv {

namespace {

// A sheet that is there and that no other account planted in a shared folder such as /tmp
// (storage/PlantedEntry.h): such a sheet is passed over as a rules file is, and the search goes
// on to the next place.
bool usableSheet(const QString& sheet) {
    return QFileInfo::exists(sheet) && trustedEntryExists(QFile::encodeName(sheet).toStdString());
}

} // namespace

TileSheetSearch findTileSheet(const QString& given, const QString& levelFolder,
                              const QString& installedFolder) {
    TileSheetSearch search;
    if (!given.isEmpty()) {
        search.found = given;
        return search;
    }
    QStringList places;
    if (!levelFolder.isEmpty()) places << levelFolder;
    places << QStringLiteral(".") << installedFolder;
    QStringList seen; // by absolute path: the level's folder is often the working directory
    for (const QString& folder : places) {
        const QString absolute = QDir(folder).absolutePath();
        if (seen.contains(absolute)) continue;
        seen << absolute;
        search.lookedIn << folder;
        // "./all.bmp" is the working directory's sheet by the name the editor always gave it.
        const QString sheet = folder == u"."
                                  ? QString::fromLatin1(TileSheetFileName)
                                  : QDir(folder).filePath(QString::fromLatin1(TileSheetFileName));
        if (usableSheet(sheet)) {
            search.found = sheet;
            break;
        }
    }
    return search;
}

TileSheetSearch findTileSheet(const QString& given, const QString& levelFolder) {
    return findTileSheet(given, levelFolder, installedDataFolder());
}

QString installedDataFolder() {
    // The link names the running program itself, without an application object (the command
    // line has none) and whatever folder the program was started from.
    const QFileInfo program(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    return QDir::cleanPath(program.absolutePath() + QStringLiteral("/" QORV_DATA_FROM_PROGRAM));
}

} // namespace qorv
