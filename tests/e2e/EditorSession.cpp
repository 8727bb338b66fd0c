#include "e2e/EditorSession.h"

#include "e2e/Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

namespace e2e {

namespace tools {
QPoint paletteTile(int tile) {
    return {2 + (tile % 16) * Cell + Cell / 2, 86 + (tile / 16) * Cell + Cell / 2};
}
} // namespace tools

std::string desktopName(const ::testing::TestParamInfo<Desktop>& info) {
    return info.param == Desktop::Bare ? "BareX" : "Openbox";
}

void PrintTo(Desktop desktop, std::ostream* out) {
    *out << (desktop == Desktop::Bare ? "a bare X server" : "X with openbox");
}

namespace {

QString coordinate(int value) {
    return QString::number(value);
}

// xdotool matches titles as extended regular expressions.
QString exactTitlePattern(const QString& title) {
    QString pattern = QStringLiteral("^");
    for (const QChar c : title) {
        if (QStringLiteral(".[]()*+?{}|^$\\").contains(c)) pattern += '\\';
        pattern += c;
    }
    return pattern + '$';
}

} // namespace

// --- Set-up and tear-down ----------------------------------------------------------------

void EditorSession::SetUp() {
    ensureApplication();
    xdotool_ = findProgram(QStringLiteral("xdotool"));
    if (xdotool_.isEmpty()) GTEST_SKIP() << "xdotool is not installed; no end-to-end tests";
    for (const char* tool : {"xwininfo", "xprop"})
        if (findProgram(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " (x11-utils) is not installed; no end-to-end tests";
    display_ = std::make_unique<VirtualDisplay>();
    if (const QString why = display_->start(GetParam() == Desktop::WindowManager); !why.isEmpty())
        GTEST_SKIP() << "no virtual X display (" << why.toStdString() << "); no end-to-end tests";

    work_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(work_->isValid());
    ASSERT_TRUE(tileSheet().save(workPath(QStringLiteral("all.bmp")), "BMP"));
    state_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(state_->isValid());
    if (!startsAtSetUp()) return;
    const QString why = startEditor();
    ASSERT_TRUE(why.isEmpty()) << why.toStdString() << "\n" << editorLog().toStdString();
}

EditorSession::Launch EditorSession::launch() {
    return {QStringLiteral(QORV_EDITOR_PATH), {},      work_->path(), Level::fresh(),
            QStringLiteral("QorvEdit"),       QImage()};
}

QString EditorSession::startEditor() {
    const Launch how = launch();
    if (QString why = startProgram(); !why.isEmpty()) return why;
    if (QString why = findPlaces(how.caption); !why.isEmpty()) return why;
    if (!rasterShows(how.picture.isNull() ? levelPicture(how.shown) : how.picture))
        return QStringLiteral("the expected level is not shown");
    return {};
}

QString EditorSession::startProgram() {
    const Launch how = launch();
    if (how.program.isEmpty()) return QStringLiteral("nothing to start");
    QProcessEnvironment environment = display_->environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), display_->privateDir());
    environment.insert(QStringLiteral("XDG_STATE_HOME"), state_->path());
    // One screen pixel per raster pixel, whatever the caller's desktop settings are.
    for (const char* scaling : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                                "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING"})
        environment.remove(QString::fromLatin1(scaling));

    editor_ = std::make_unique<QProcess>();
    endedByTest_ = false;
    editor_->setProcessEnvironment(environment);
    editor_->setWorkingDirectory(how.workingDirectory);
    const QString log = display_->privateDir() + QStringLiteral("/editor.log");
    editor_->setStandardOutputFile(log);
    editor_->setStandardErrorFile(log, QIODevice::Append);
    editor_->start(how.program, how.arguments);
    if (!editor_->waitForStarted(WaitLimitMs))
        return QStringLiteral("the editor did not start: ") + editor_->errorString();
    return {};
}

void EditorSession::endEditor(int signal) {
    ::kill(pid_t(editor_->processId()), signal);
    EXPECT_TRUE(editor_->waitForFinished(WaitLimitMs));
    endedByTest_ = true;
}

qint64 EditorSession::editorProcessId() const {
    return editor_->processId();
}

int EditorSession::exitCode() const {
    return editor_->exitStatus() == QProcess::NormalExit ? editor_->exitCode() : -1;
}

QString EditorSession::findPlaces(const QString& caption) {
    const auto tools = waitForWindow(QStringLiteral("Tools"));
    if (!waitForWindow(caption) || !tools)
        return QStringLiteral("the editor's windows did not appear");
    // The outer frames stand where the editor put them: the tools window in the screen's
    // corner, the main window at (160, 0). A window manager frames the windows a moment
    // after they appear. A message box may share the main window's caption.
    QRect mainFrame, toolsFrame;
    const bool placed = pollUntil([&] {
        toolsClient_ = geometry(*tools);
        toolsFrame = frameGeometry(*tools);
        for (const QString& main : visibleWindows(caption)) {
            rasterArea_ = geometry(main);
            mainFrame = frameGeometry(main);
            if (rasterArea_.size() == QSize(Columns * Cell, Rows * Cell)) break;
        }
        return mainFrame.topLeft() == QPoint(160, 0) && toolsFrame.topLeft() == QPoint(0, 0) &&
               rasterArea_.size() == QSize(Columns * Cell, Rows * Cell) &&
               toolsClient_.size() == tools::ClientSize;
    });
    if (placed) return {};
    const auto text = [](const QRect& r) {
        return QStringLiteral("%1x%2 at (%3, %4)")
            .arg(r.width())
            .arg(r.height())
            .arg(r.x())
            .arg(r.y());
    };
    return QStringLiteral("the editor's windows are not where they belong: main window frame %1, "
                          "client %2; tools window frame %3, client %4")
        .arg(text(mainFrame), text(rasterArea_), text(toolsFrame), text(toolsClient_));
}

void EditorSession::TearDown() {
    if (editor_) stopEditor();
    editor_.reset();
    display_.reset();
    work_.reset();
    state_.reset();
}

void EditorSession::stopEditor() {
    // A crash or a sanitizer report fails the test even when every picture was right.
    EXPECT_TRUE(endedByTest_ || editorRunning()) << "the editor ended during the test:\n"
                                                 << editorLog().toStdString();
    const QString log = editorLog();
    EXPECT_FALSE(log.contains(QStringLiteral("Sanitizer")) ||
                 log.contains(QStringLiteral("runtime error")))
        << log.toStdString();
    editor_->kill();
    editor_->waitForFinished(WaitLimitMs);
}

bool EditorSession::editorRunning() const {
    editor_->waitForFinished(0); // notices an exit without waiting
    return editor_->state() == QProcess::Running;
}

QString EditorSession::editorLog() const {
    if (!display_) return {};
    QFile log(display_->privateDir() + QStringLiteral("/editor.log"));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(log.readAll());
}

// --- Files -------------------------------------------------------------------------------

void EditorSession::writeWorkFile(const QString& name, const QByteArray& bytes) const {
    QFile file(workPath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray EditorSession::waitForWorkFile(const QString& name, qsizetype size) const {
    const QString path = workPath(name);
    pollUntil([&] { return QFileInfo(path).size() == size; });
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// --- Input -------------------------------------------------------------------------------

void EditorSession::xdo(const QStringList& arguments) const {
    const RunResult result = run(xdotool_, arguments, display_->environment());
    EXPECT_TRUE(result.finished && result.exitCode == 0)
        << "xdotool " << arguments.join(' ').toStdString()
        << " failed: " << result.errors.toStdString();
}

void EditorSession::click(QPoint at, Button button) const {
    xdo({QStringLiteral("mousemove"), coordinate(at.x()), coordinate(at.y()),
         QStringLiteral("click"), coordinate(button)});
}

void EditorSession::controlClick(QPoint at) const {
    xdo({QStringLiteral("mousemove"), coordinate(at.x()), coordinate(at.y()),
         QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("click"),
         QStringLiteral("1"), QStringLiteral("keyup"), QStringLiteral("ctrl")});
}

void EditorSession::press(QPoint at, Button button) const {
    xdo({QStringLiteral("mousemove"), coordinate(at.x()), coordinate(at.y()),
         QStringLiteral("mousedown"), coordinate(button)});
}

void EditorSession::moveTo(QPoint at) const {
    xdo({QStringLiteral("mousemove"), coordinate(at.x()), coordinate(at.y())});
}

void EditorSession::release(Button button) const {
    xdo({QStringLiteral("mouseup"), coordinate(button)});
}

void EditorSession::pressKey(const QString& key) const {
    xdo({QStringLiteral("key"), key});
}

void EditorSession::moveAndWaitForStatus(QPoint at) const {
    const QRect statusBar = onTools(tools::StatusBar);
    const QImage before = grab(statusBar);
    moveTo(at);
    EXPECT_TRUE(pollUntil([&] { return grab(statusBar) != before; }))
        << "the status bar did not follow the pointer to (" << at.x() << ", " << at.y() << ")";
}

::testing::AssertionResult EditorSession::stroke(Level& level, std::initializer_list<QPoint> cells,
                                                 Button button, std::uint8_t tile) const {
    for (const QPoint& at : cells) {
        if (at == *cells.begin())
            press(cell(at.x(), at.y()), button);
        else
            moveTo(cell(at.x(), at.y()));
        level.at(at.x(), at.y()) = tile;
        if (::testing::AssertionResult shown = rasterShows(level); !shown) {
            release(button);
            return shown << " (stamp at cell " << at.x() << ", " << at.y() << ")";
        }
    }
    release(button);
    return ::testing::AssertionSuccess();
}

void EditorSession::answerFileDialog(const QString& title, const QString& text) const {
    const auto dialog = waitForWindow(title);
    ASSERT_TRUE(dialog) << "no dialog \"" << title.toStdString() << "\" appeared";
    // Keys go to the window with the input focus; wait until that is the dialog.
    ASSERT_TRUE(pollUntil([&] { return focused(*dialog); }))
        << "the dialog did not get the keyboard focus";
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), text});
    pressKey(QStringLiteral("Return"));
    ASSERT_TRUE(pollUntil([&] { return !visibleWindow(title); }))
        << "the dialog \"" << title.toStdString() << "\" stayed open";
}

// --- Windows -----------------------------------------------------------------------------

std::optional<QString> EditorSession::visibleWindow(const QString& title) const {
    const QStringList windows = visibleWindows(title);
    if (windows.isEmpty()) return std::nullopt;
    return windows.first();
}

bool EditorSession::focused(const QString& window) const {
    return run(xdotool_, {QStringLiteral("getwindowfocus")}, display_->environment())
               .output.trimmed() == window.toLatin1();
}

QStringList EditorSession::visibleWindows(const QString& title) const {
    const QStringList search{QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--name"), exactTitlePattern(title)};
    RunResult result;
    // A window destroyed while xdotool walks the tree makes it stop with an X error; the
    // next walk no longer meets it.
    for (int attempt = 0; attempt < 5; ++attempt) {
        result = run(xdotool_, search, display_->environment());
        if (result.errors.isEmpty()) break;
    }
    return QString::fromLatin1(result.output).split('\n', Qt::SkipEmptyParts);
}

std::optional<QString> EditorSession::waitForWindow(const QString& title) const {
    std::optional<QString> window;
    pollUntil([&] { return (window = visibleWindow(title)).has_value() || !editorRunning(); });
    return window;
}

std::optional<QString> EditorSession::waitForBox() const {
    std::optional<QString> box;
    pollUntil([&] {
        for (const QString& window : visibleWindows(QStringLiteral("QorvEdit")))
            if (geometry(window).size() != QSize(Columns * Cell, Rows * Cell)) box = window;
        return box.has_value() || !editorRunning();
    });
    return box;
}

QRect EditorSession::geometry(const QString& window) const {
    const RunResult result =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}, display_->environment());
    QRect rect;
    for (const QString& line : QString::fromLatin1(result.output).split('\n')) {
        const QString key = line.section(':', 0, 0).trimmed();
        const int value = line.section(':', 1).trimmed().toInt();
        if (key == "Absolute upper-left X") rect.moveLeft(value);
        if (key == "Absolute upper-left Y") rect.moveTop(value);
        if (key == "Width") rect.setWidth(value);
        if (key == "Height") rect.setHeight(value);
    }
    return rect;
}

QRect EditorSession::frameGeometry(const QString& window) const {
    // _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    const RunResult result =
        run(QStringLiteral("xprop"),
            {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")},
            display_->environment());
    const QStringList extents = QString::fromLatin1(result.output).section('=', 1).split(',');
    const QRect client = geometry(window);
    if (extents.size() != 4) return client;
    return client.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(),
                           extents[1].trimmed().toInt(), extents[3].trimmed().toInt());
}

::testing::AssertionResult EditorSession::moveToolsWindow(QPoint topLeft) {
    const auto tools = visibleWindow(QStringLiteral("Tools"));
    if (!tools) return ::testing::AssertionFailure() << "no tools window";
    // A move request names the frame's place (the window's gravity is north-west).
    xdo({QStringLiteral("windowmove"), *tools, QString::number(topLeft.x()),
         QString::number(topLeft.y())});
    QRect frame;
    if (!pollUntil([&] { return (frame = frameGeometry(*tools)).topLeft() == topLeft; }))
        return ::testing::AssertionFailure()
               << "the tools window stands at (" << frame.x() << ", " << frame.y() << ")";
    toolsClient_ = geometry(*tools);
    return ::testing::AssertionSuccess();
}

// --- The screen --------------------------------------------------------------------------

::testing::AssertionResult EditorSession::screenShows(const QRect& area,
                                                      const QImage& expected) const {
    std::vector<QRect> hidden;
    QImage actual;
    const bool shown = pollUntil([&] {
        hidden = windowsOnTop(area);
        actual = display_->grab(area);
        return samePicture(actual, expected, hidden) || !editorRunning();
    });
    const ::testing::AssertionResult same = samePicture(actual, expected, hidden);
    if (same) return same;
    keepPictures(actual, expected);
    return ::testing::AssertionFailure()
           << (shown ? "the editor has ended; " : "after waiting, ") << "the screen area at ("
           << area.x() << ", " << area.y() << ") differs: " << same.message();
}

std::vector<QRect> EditorSession::windowsOnTop(const QRect& area) const {
    // The tools window stays on top of the others and covers the first three columns of
    // the raster's top rows; the browser, placed under it, the first two of the others.
    std::vector<QRect> hidden;
    for (const QString& title : {QStringLiteral("Tools"), QStringLiteral("View")})
        if (const auto window = visibleWindow(title))
            hidden.push_back(frameGeometry(*window).intersected(area).translated(-area.topLeft()));
    return hidden;
}

QImage EditorSession::grab(const QRect& area) const {
    return display_->grab(area);
}

::testing::AssertionResult EditorSession::swatchesShow(int foreTile, int backTile) const {
    ::testing::AssertionResult fore = ::testing::AssertionFailure();
    ::testing::AssertionResult back = ::testing::AssertionFailure();
    pollUntil([&] {
        fore = showsTileEnlarged(grab(onTools(tools::ForeSwatch)), foreTile, 13);
        back = showsTileEnlarged(grab(onTools(tools::BackSwatch)), backTile, 13);
        return (fore && back) || !editorRunning();
    });
    if (!fore) return fore << " (foreground)";
    if (!back) return back << " (background)";
    return ::testing::AssertionSuccess();
}

void EditorSession::keepPictures(const QImage& actual, const QImage& expected) const {
    // Left in the test's working directory for a look at what went wrong.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString stem =
        QStringLiteral("e2e-failures/%1.%2")
            .arg(QString::fromLatin1(test->test_suite_name()), QString::fromLatin1(test->name()));
    QDir().mkpath(QStringLiteral("e2e-failures"));
    actual.save(stem + QStringLiteral("-actual.png"));
    expected.save(stem + QStringLiteral("-expected.png"));
}

} // namespace e2e
