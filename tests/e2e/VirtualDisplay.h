#pragma once
// A private X display for one test: an Xvfb server on a display number it picks itself,
// whose screen the test reads straight from the server's frame buffer file. Reading the
// pixels needs no X connection of the test's own, so each test can have a fresh server.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace e2e {

inline constexpr int ScreenWidth = 1024;
inline constexpr int ScreenHeight = 768;

class VirtualDisplay {
  public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // Starts the server and waits until it answers; with `windowManager`, starts openbox on
    // it and waits until it manages the screen. On failure returns the reason, which tells a
    // missing or unusable X server apart from a fault of the editor.
    QString start(bool windowManager);

    // ":N", for DISPLAY.
    QString name() const { return name_; }
    // The environment of the test process with DISPLAY pointing at this server.
    QProcessEnvironment environment() const;
    // A private directory that lives as long as the server (0700, fit for XDG_RUNTIME_DIR).
    QString privateDir() const { return dir_->path(); }

    // The screen's pixels in `area`, as 0xffRRGGBB; the whole screen when `area` is empty.
    QImage grab(const QRect& area = QRect()) const;

  private:
    QString waitForDisplayNumber();
    QString startWindowManager();
    QString mapFrameBuffer();
    QString serverLog() const;

    std::unique_ptr<QTemporaryDir> dir_;
    QProcess server_;
    QProcess windowManager_;
    QString name_;
    QFile* frameFile_ = nullptr;
    const uchar* pixels_ = nullptr; // first pixel of the mapped frame buffer
    qsizetype bytesPerLine_ = 0;
};

} // namespace e2e
