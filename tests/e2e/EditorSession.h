#pragma once
// One run of the real editor program on a private X display, driven from outside with
// xdotool as a user would: pointer moves, button presses, keys. Each test gets a fresh
// display, a fresh working directory holding the synthetic tile sheet, and a fresh editor.
// Without Xvfb, xdpyinfo or xdotool the tests are skipped.

#include "e2e/ExpectedLevel.h"
#include "e2e/VirtualDisplay.h"

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// Places in the tools window's client area. The screen positions follow from where the
// window stands: at the screen's origin on a bare X server, inside its frame under a
// window manager.
namespace tools {
inline constexpr QPoint New{20, 13};
inline constexpr QPoint Open{43, 13};
inline constexpr QPoint Save{66, 13};
inline constexpr QPoint Fill{89, 39};
inline constexpr QPoint Undo{120, 39};
inline constexpr QPoint Redo{143, 39};
inline constexpr QPoint Select{20, 66};
inline constexpr QPoint Brush{43, 66};
inline constexpr QPoint Line{66, 66};
inline constexpr QPoint EyeDropper{89, 66};
inline constexpr QRect ForeSwatch{115, 6, 13, 13};
inline constexpr QRect BackSwatch{134, 6, 13, 13};
// The status bar, and the first pixel column of its second panel.
inline constexpr QRect StatusBar{0, 157, 163, 19};
inline constexpr int SecondPanelLeft = 55;
inline constexpr QSize ClientSize{163, 176};

// The middle of tile `tile`'s square in the palette at (2, 86).
QPoint paletteTile(int tile);
} // namespace tools

// The desktops the tests run on: a bare X server, and one with a window manager (openbox),
// which puts frames around the windows and tells Qt their sizes only after mapping them.
enum class Desktop { Bare, WindowManager };
std::string desktopName(const ::testing::TestParamInfo<Desktop>& info);
void PrintTo(Desktop desktop, std::ostream* out); // for GoogleTest's messages

enum Button { Left = 1, Right = 3 };

class EditorSession : public ::testing::TestWithParam<Desktop> {
  protected:
    void SetUp() override;
    void TearDown() override;

    // How the editor is started, and what it shows once it has started.
    struct Launch {
        QString program;
        QStringList arguments;
        QString workingDirectory;
        Level shown;
        QString caption;
        QImage picture; // when set, the raster shown instead of `shown` on the test's sheet
    };
    // By default the built program, with no arguments, in the working directory, showing a
    // new level. Called once the working directory holds the tile sheet.
    virtual Launch launch();
    // Whether SetUp starts the editor and waits until it shows `launch().shown`; a test
    // whose start shows something else starts it itself.
    virtual bool startsAtSetUp() const { return true; }

    // --- Starting and ending --------------------------------------------------------------
    // Starts the editor as launch() says and waits until its windows are in place and show
    // what they should; empty, or what went wrong.
    QString startEditor();
    // Only starts the program as launch() says, for a start that first asks a question.
    QString startProgram();
    // Finds the windows of the started editor (the main one by its caption).
    QString findPlaces(const QString& caption);
    // Ends the editor with `signal` (SIGKILL: as a crash does) and waits until it has ended.
    void endEditor(int signal);
    // The running editor's process id, for a signal sent from another thread.
    qint64 editorProcessId() const;
    // The editor's output on standard output and standard error.
    QString editorLog() const;
    // The exit code once ended normally; -1 after a crash or a signal not handled.
    int exitCode() const;
    // The folder of the editors' recovery files (the tests' own XDG_STATE_HOME).
    QString recoveryFolder() const { return state_->filePath(QStringLiteral("qorvedit")); }

    // --- The working directory -----------------------------------------------------------
    QString workPath(const QString& name) const { return work_->filePath(name); }
    void writeWorkFile(const QString& name, const QByteArray& bytes) const;
    // The file's bytes, once it exists and holds `size` bytes (waiting for the editor).
    QByteArray waitForWorkFile(const QString& name, qsizetype size) const;

    // --- Input -----------------------------------------------------------------------------
    void xdo(const QStringList& arguments) const;
    void click(QPoint at, Button button = Left) const;
    void controlClick(QPoint at) const;
    void press(QPoint at, Button button) const;
    void moveTo(QPoint at) const;
    void release(Button button) const;
    void pressKey(const QString& key) const;
    // A move whose only visible effect is the cursor cell in the status bar: returns once
    // the status bar has changed, so later checks see the move handled.
    void moveAndWaitForStatus(QPoint at) const;
    // A brush stroke of size 1 through `cells`: pressed on the first, moved to the others,
    // released. Each stamp is seen on the screen before the next move; `level` follows.
    ::testing::AssertionResult stroke(Level& level, std::initializer_list<QPoint> cells,
                                      Button button, std::uint8_t tile) const;
    // Types `text` into the file dialog titled `title` and confirms it with Return; returns
    // once the dialog has gone.
    void answerFileDialog(const QString& title, const QString& text) const;

    // --- Places on the screen ----------------------------------------------------------------
    QPoint onTools(QPoint inClient) const { return toolsClient_.topLeft() + inClient; }
    QRect onTools(QRect inClient) const { return inClient.translated(toolsClient_.topLeft()); }
    // Raster pixel `pixel` of the main window on the screen.
    QPoint raster(QPoint pixel) const { return rasterArea_.topLeft() + pixel; }
    // The middle of cell (x, y) of the raster on the screen.
    QPoint cell(int x, int y) const { return raster({x * Cell + Cell / 2, y * Cell + Cell / 2}); }
    QRect rasterArea() const { return rasterArea_; }

    // --- Windows ---------------------------------------------------------------------------
    // The X window ids of the mapped windows whose title is exactly `title`.
    QStringList visibleWindows(const QString& title) const;
    std::optional<QString> visibleWindow(const QString& title) const;
    // Whether the keyboard focus is on `window`.
    bool focused(const QString& window) const;
    std::optional<QString> waitForWindow(const QString& title) const;
    // Waits for a box of the editor (an error box, a question): a window with the title
    // "QorvEdit" that the main window, which shares the title, is not.
    std::optional<QString> waitForBox() const;
    // The window's client area on the screen.
    QRect geometry(const QString& window) const;
    // The window's outer frame on the screen, as the window manager reports it; the client
    // area where there is no window manager.
    QRect frameGeometry(const QString& window) const;
    // Moves the tools window's frame to `topLeft`, as a user dragging it would, and waits
    // until it stands there; later clicks on the tools window aim at its new place.
    ::testing::AssertionResult moveToolsWindow(QPoint topLeft);

    // --- The screen ------------------------------------------------------------------------
    // Waits until `area` of the screen equals `expected`; on a timeout names the first
    // difference and keeps both pictures for a look.
    ::testing::AssertionResult screenShows(const QRect& area, const QImage& expected) const;
    ::testing::AssertionResult rasterShows(const QImage& expected) const {
        return screenShows(rasterArea_, expected);
    }
    ::testing::AssertionResult rasterShows(const Level& level) const {
        return rasterShows(levelPicture(level));
    }
    ::testing::AssertionResult swatchesShow(int foreTile, int backTile) const;

    bool editorRunning() const;
    // The parts of `area` (in its own coordinates) that the windows kept in front cover.
    std::vector<QRect> windowsOnTop(const QRect& area) const;
    // The screen's pixels in `area`, as they are now.
    QImage grab(const QRect& area) const;

  private:
    void stopEditor();
    void keepPictures(const QImage& actual, const QImage& expected) const;

    std::unique_ptr<VirtualDisplay> display_;
    std::unique_ptr<QTemporaryDir> work_;
    std::unique_ptr<QTemporaryDir> state_;
    std::unique_ptr<QProcess> editor_;
    bool endedByTest_ = false;
    QString xdotool_;
    QRect toolsClient_;
    QRect rasterArea_;
};

} // namespace e2e
