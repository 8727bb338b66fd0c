// The editor on a Wayland compositor of its own (weston, headless, drawing in software):
// the tools window is made a child of the main window (xdg_toplevel.set_parent), so the
// compositor keeps it above the editor, and its palette is seen whole on the screen.
// Skipped where weston is not installed or cannot run at all.

#include "e2e/ExpectedLevel.h"
#include "e2e/Processes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace e2e {
namespace {

const QString Socket = QStringLiteral("qorv-weston");

void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate(); // weston ends its own clients and removes its socket
    if (!process.waitForFinished(WaitLimitMs)) {
        process.kill();
        process.waitForFinished(WaitLimitMs);
    }
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

// From a WAYLAND_DEBUG=client log: the title of the toplevel that the toplevel titled
// `child` names as its parent, or an empty string where it names none.
QString parentTitleOf(const QString& child, const QString& log) {
    static const QRegularExpression made(QStringLiteral(R"re(new id xdg_toplevel@(\d+)\))re"));
    static const QRegularExpression titled(
        QStringLiteral(R"re(-> xdg_toplevel@(\d+)\.set_title\("(.*)"\))re"));
    static const QRegularExpression parented(
        QStringLiteral(R"re(-> xdg_toplevel@(\d+)\.set_parent\(xdg_toplevel@(\d+)\))re"));
    std::map<QString, QString> title, parent;
    for (const QString& line : log.split('\n')) {
        if (const auto m = made.match(line); m.hasMatch()) { // an id may be used again
            title.erase(m.captured(1));
            parent.erase(m.captured(1));
        }
        if (const auto m = titled.match(line); m.hasMatch()) title[m.captured(1)] = m.captured(2);
        if (const auto m = parented.match(line); m.hasMatch())
            parent[m.captured(1)] = m.captured(2);
    }
    for (const auto& [id, name] : title)
        if (name == child && parent.count(id)) return title[parent[id]];
    return {};
}

// The top-left corner of the tools window's palette (the sheet's first 70 rows, unscaled)
// where it is seen whole in `screen`.
bool paletteSeenWhole(const QImage& screen) {
    const QImage palette = tileSheet().copy(0, 0, 160, 70).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y + palette.height() <= screen.height(); ++y)
        for (int x = 0; x + palette.width() <= screen.width(); ++x)
            if ((screen.pixel(x, y) & 0xffffff) == (palette.pixel(0, 0) & 0xffffff) &&
                samePicture(screen.copy(x, y, palette.width(), palette.height()), palette))
                return true;
    return false;
}

class Wayland : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        const QString weston = findProgram(QStringLiteral("weston"));
        if (weston.isEmpty()) GTEST_SKIP() << "weston is not installed";
        ASSERT_TRUE(runtime_.isValid() && work_.isValid());
        // The compositor's socket lives in a folder of the user's own.
        ASSERT_TRUE(QFile::setPermissions(runtime_.path(),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        compositor_.setProcessEnvironment(environment);
        compositor_.setStandardOutputFile(runtime_.filePath(QStringLiteral("weston.log")));
        compositor_.setStandardErrorFile(runtime_.filePath(QStringLiteral("weston.log")),
                                         QIODevice::Append);
        // --debug admits the screenshot client; --no-config keeps the user's weston.ini out.
        compositor_.start(weston, {QStringLiteral("--backend=headless-backend.so"),
                                   QStringLiteral("--use-pixman"), QStringLiteral("--no-config"),
                                   QStringLiteral("--debug"), QStringLiteral("--width=1024"),
                                   QStringLiteral("--height=768"), QStringLiteral("--idle-time=0"),
                                   QStringLiteral("--socket=") + Socket});
        const bool listening = pollUntil([&] {
            return QFile::exists(runtime_.filePath(Socket)) ||
                   compositor_.state() == QProcess::NotRunning;
        });
        if (!listening || compositor_.state() == QProcess::NotRunning)
            GTEST_SKIP() << "weston cannot run here:\n"
                         << readAll(runtime_.filePath(QStringLiteral("weston.log"))).toStdString();

        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), Socket);
        client_ = environment;
        ASSERT_TRUE(tileSheet().save(work_.filePath(QStringLiteral("all.bmp")), "BMP"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
        for (const char* scaling : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"})
            environment.remove(QString::fromLatin1(scaling));
        editor_.setProcessEnvironment(environment);
        editor_.setWorkingDirectory(work_.path());
        editor_.setStandardErrorFile(editorLog());
        editor_.start(QStringLiteral(QORV_EDITOR_PATH), {});
        ASSERT_TRUE(editor_.waitForStarted(WaitLimitMs));
    }

    void TearDown() override {
        EXPECT_FALSE(readAll(editorLog()).contains(QStringLiteral("Sanitizer")));
        stop(editor_);
        stop(compositor_);
    }

    QString editorLog() const { return runtime_.filePath(QStringLiteral("editor.log")); }

    // The compositor's screen, or a null image where no screenshot can be taken.
    QImage screenshot() const {
        const QString shooter = findProgram(QStringLiteral("weston-screenshooter"));
        if (shooter.isEmpty()) return {};
        QDir shots(work_.filePath(QStringLiteral("shots")));
        shots.mkpath(QStringLiteral("."));
        QProcess process;
        process.setProcessEnvironment(client_);
        process.setWorkingDirectory(shots.path());
        process.start(shooter, {});
        if (!process.waitForFinished(WaitLimitMs)) process.kill();
        QImage screen;
        for (const QString& name : shots.entryList(QDir::Files)) {
            screen.load(shots.filePath(name));
            shots.remove(name);
        }
        return screen;
    }

    QTemporaryDir runtime_;
    QTemporaryDir work_;
    QProcess compositor_;
    QProcess editor_;
    QProcessEnvironment client_;
};

TEST_F(Wayland, TheToolsWindowIsAChildOfTheMainWindowAndSeenAboveIt) {
    QString parent;
    pollUntil([&] {
        parent = parentTitleOf(QStringLiteral("Tools"), readAll(editorLog()));
        return !parent.isEmpty() || editor_.state() == QProcess::NotRunning;
    });
    EXPECT_EQ(parent.toStdString(), "QorvEdit") << readAll(editorLog()).right(3000).toStdString();

    if (findProgram(QStringLiteral("weston-screenshooter")).isEmpty()) return;
    QImage screen;
    const bool seen = pollUntil([&] {
        screen = screenshot();
        return screen.isNull() || paletteSeenWhole(screen);
    });
    ASSERT_FALSE(screen.isNull()) << "weston took no screenshot";
    if (!seen) screen.save(QStringLiteral("wayland-screen.png"));
    EXPECT_TRUE(seen) << "the tools window's palette is not seen whole (wayland-screen.png)";
}

} // namespace
} // namespace e2e
