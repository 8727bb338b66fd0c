#pragma once
// The few desktop services the editor's handlers call, on Qt. Everything modal can be
// answered in advance by a test, so window tests never block on a dialog or a box.

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace platform {

// --- Keyboard --------------------------------------------------------------------------

inline constexpr int VK_CONTROL = 0x11;

// The state of a key at the input event being handled: negative (top bit set) while it is
// held down, -128; 0 while it is up. Only the Control keys (either of them) are known.
short GetKeyState(int virtualKey);

// --- Screen -----------------------------------------------------------------------------

// Width and height of the primary display in pixels.
QSize screenSize();

// --- Error box --------------------------------------------------------------------------

// The message as the error box shows it: a full stop is added when the last character
// sorts after "." (letters and digits do, a closing parenthesis does not).
QString errorBoxText(const QString& message);

// Shows the modal error box: the text above, caption "QorvEdit", the error icon, one OK.
void showErrorBox(const QString& message);

// Tests catch error boxes instead of showing them: while a catcher is set, it receives the
// text that would be shown. Pass nullptr to show real boxes again.
using ErrorBoxCatcher = std::function<void(const QString& shownText)>;
void setErrorBoxCatcher(ErrorBoxCatcher catcher);

// --- Yes/No question -----------------------------------------------------------------------

// Asks `question` in a modal box: caption "QorvEdit", the question icon, Yes (the default
// button) and No. True for Yes.
bool askYesNo(const QString& question);

// Tests preset the next question's answer; the box is then not shown. Each preset answers
// one question. What was asked last, and how many questions have been asked (for tests).
void setNextAnswer(bool yes);
QString lastQuestion();
int questionCount();

// --- The tile sheet ---------------------------------------------------------------------

// The name to load the tile sheet "all.bmp" from, as the command line finds it for a level
// (qorv::findTileSheet) but with no level: the working directory's when it has one, else the
// one in `installedDataFolder` when that has one, else "all.bmp" (whose load then reports the
// missing file by that name).
QString tileSheetName(const QString& installedDataFolder);

// The same, with the data folder installed beside the program.
QString tileSheetName();

// --- File dialogs -----------------------------------------------------------------------

struct FileDialogOptions {
    QString filter;        // Qt filter string, e.g. "Qorv Levels (*.qre *.qrl);;All files (*)"
    QString defaultSuffix; // added to a name typed without an extension
    QString initialDir;    // empty: left to the system
};

// The modal open and save dialogs. They return the chosen full path, or nothing when the
// user cancels. The process's working directory is the same afterwards as before.
std::optional<QString> GetOpenFileName(QWidget* parent, const FileDialogOptions& options);
std::optional<QString> GetSaveFileName(QWidget* parent, const FileDialogOptions& options);

// Tests preset the next dialog's answer: a name (as if typed and confirmed) or nothing
// (cancelled). The dialog is then not shown; the answer gets the default suffix as a
// real dialog would add it. Each preset answers one dialog.
void setNextFileName(std::optional<QString> answer);

// What the last dialog was opened with, and how many have run (for tests).
FileDialogOptions lastFileDialogOptions();
int fileDialogCount();

// --- Directory search -------------------------------------------------------------------

// The names of every entry of the working directory whose name ends in `extension`
// (e.g. ".qre"), compared without regard to case: files, folders, hidden entries, in the
// order the directory returns them. Names that cannot be represented faithfully (bytes
// that are not valid UTF-8) are left out, so a listed name always opens the same entry.
QStringList findEntries(const QString& extension);

} // namespace platform
