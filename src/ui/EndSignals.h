#pragma once
// SIGTERM, SIGINT and SIGHUP end the editor as closing its main window does, so that a
// logout, a Ctrl-C or a kill ends it normally: its lock goes, and a level with changes
// that were not saved stays for the next start. They are handled from before the first
// window is made, so a signal while a start-up box is open ends the editor normally too.

#include <memory>

class QSocketNotifier;
namespace platform {
class QtDialogs;
}

namespace ui {

class EndSignals {
  public:
    // From now on each of the three signals closes what `dialogs` has open, unanswered,
    // keeps any more from opening, and ends the event loop. Needs the application.
    explicit EndSignals(platform::QtDialogs& dialogs);
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // Whether one of them came: a start that is not over yet goes no further.
    bool received() const { return received_; }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
    bool received_ = false;
};

} // namespace ui
