#pragma once
// Where the tile sheet "all.bmp" is found, for the editor and the command line alike: the
// sheet named by the user; else the one beside the level; else the working directory's; else
// the project's own sheet, installed with the program.

#include <QString>
#include <QStringList>

namespace qorv {

inline constexpr char TileSheetFileName[] = "all.bmp";

struct TileSheetSearch {
    QString found;        // the sheet to load; empty when none of the places has one
    QStringList lookedIn; // the folders looked in, in order, for the message when none had one
};

// The sheet for a level in `levelFolder` (empty: no level, as when the editor starts):
// `given` when it is not empty, whether or not it exists (loading it says what is wrong);
// else the first of levelFolder, the working directory and `installedFolder` that holds
// "all.bmp", each folder looked in once; an "all.bmp" that another account planted in a shared
// folder (sticky and world-writable, as /tmp) is passed over, as a rules file there is. The sheet
// beside the level or in the working directory keeps the relative form it was named by ("all.bmp",
// "levels/all.bmp").
TileSheetSearch findTileSheet(const QString& given, const QString& levelFolder,
                              const QString& installedFolder);

// The same, with the data folder installed beside the program (../share/qorvedit from its bin
// folder, whatever the install prefix). Needs no application object.
TileSheetSearch findTileSheet(const QString& given, const QString& levelFolder);

// That data folder.
QString installedDataFolder();

} // namespace qorv
