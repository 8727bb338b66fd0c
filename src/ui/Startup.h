#pragma once
// The program's four windows, created in their fixed order and alive together: the main
// window first (it owns the editing state), then the tools window, which reads it, then
// the hidden browser and preview.

#include "ui/Shortcuts.h"

#include <QString>

#include <memory>

class QApplication;
class TMainForm;

namespace ui {

// The application, with the settings the editor relies on. `argc` must outlive it.
std::unique_ptr<QApplication> makeApplication(int& argc, char** argv);

class WindowSet {
  public:
    WindowSet();
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    // Opens a level as the Open command does once its file is chosen; an error shows in
    // the error box and leaves the level as it was.
    void open(const QString& path);

  private:
    std::unique_ptr<TMainForm> main_; // owns the other three as its child windows
};

} // namespace ui
