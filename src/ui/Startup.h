#pragma once
// The program's four windows, created in their fixed order and alive together: the main
// window first (it owns the editing state), then the tools window, which reads it, then
// the hidden browser and preview; and the recovery of levels after a crash, which the
// main window records into and the start offers back.

#include "platform/NoDisplay.h"
#include "recovery/LatestWriter.h"
#include "ui/Shortcuts.h"

#include <QString>

#include <memory>

class QApplication;
class TMainForm;
namespace platform {
class Dialogs;
}
namespace recovery {
class Session;
}

namespace ui {

// The application, with the settings the editor relies on. `argc` must outlive it. When the
// display does not answer, `sayNoDisplay` says so and the program ends with status 1 (nullptr:
// Qt's own abort).
std::unique_ptr<QApplication> makeApplication(int& argc, char** argv,
                                              platform::NoDisplaySaying sayNoDisplay);

class WindowSet {
  public:
    // `dialogs`: the dialogs and boxes every window shows; `makeWriter` makes the writer of
    // the recovery records (a test keeps it at hand to wait for it).
    explicit WindowSet(platform::Dialogs& dialogs,
                       const recovery::MakeRecordWriter& makeWriter = recovery::makeLatestWriter);
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    // Opens a level as the Open command does once its file is chosen; an error shows in
    // the error box and leaves the level as it was.
    void open(const QString& path);

    // Offers back the level of an editor that ended with changes that were not saved
    // (closed, or a crash, kill -9, the display going away), asking first; Yes or No
    // removes its file, a question closed without an answer keeps it for the next start.
    void offerRecovery();

  private:
    platform::Dialogs& dialogs_;
    std::unique_ptr<recovery::Session> recovery_; // outlives the windows that record into it
    std::unique_ptr<TMainForm> main_;             // owns the other three as its child windows
};

// The question that offers a recovered level: `name` is its file name as recorded (any
// bytes), empty for a level that never had one; `closed`: its editor was closed normally,
// rather than ending by a crash.
QString recoveryQuestion(const QByteArray& name, bool closed);

} // namespace ui
