#pragma once
// The few desktop services the editor's handlers call, on Qt. The modal ones (dialogs and
// boxes) are in Dialogs.h, which the windows receive.

#include <QSize>
#include <QString>
#include <QStringList>

namespace platform {

// --- Keyboard --------------------------------------------------------------------------

inline constexpr int VK_CONTROL = 0x11;

// The state of a key at the input event being handled: negative (top bit set) while it is
// held down, -128; 0 while it is up. Only the Control keys (either of them) are known.
short GetKeyState(int virtualKey);

// --- Screen -----------------------------------------------------------------------------

// Width and height of the primary display in pixels.
QSize screenSize();

// --- The tile sheet ---------------------------------------------------------------------

// The name to load the tile sheet "all.bmp" from, as the command line finds it for a level
// (qorv::findTileSheet) but with no level: the working directory's when it has one, else the
// one in `installedDataFolder` when that has one, else "all.bmp" (whose load then reports the
// missing file by that name).
QString tileSheetName(const QString& installedDataFolder);

// The same, with the data folder installed beside the program.
QString tileSheetName();

// --- Directory search -------------------------------------------------------------------

// The names of every entry of the working directory whose name ends in `extension`
// (e.g. ".qre"), compared without regard to case: files, folders, hidden entries, in the
// order the directory returns them. Names that cannot be represented faithfully (bytes
// that are not valid UTF-8) are left out, so a listed name always opens the same entry.
QStringList findEntries(const QString& extension);

} // namespace platform
