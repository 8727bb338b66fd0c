#pragma once
// The program's four windows, created in their fixed order and alive together: the main
// window first (it owns the editing state), then the tools window, which reads it, then
// the hidden browser and preview.

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

  private:
    std::unique_ptr<TMainForm> main_; // owns the other three as its child windows
};

} // namespace ui
