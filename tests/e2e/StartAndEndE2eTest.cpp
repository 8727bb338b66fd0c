// The start's edges: an end signal while a start-up box is open ends the editor normally,
// and a display that is named but does not answer is reported in one line.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

#include <QDir>
#include <QFile>

#include <csignal>

namespace e2e {
namespace {

class StartUpBox : public EditorSession {
  protected:
    bool startsAtSetUp() const override { return false; }
};

// Without a tile sheet the start shows "Cannot open file all.bmp." before the main window;
// SIGTERM then ends the editor as a close does, leaving neither a lock nor a record.
TEST_P(StartUpBox, AnEndSignalEndsTheEditorNormally) {
    ASSERT_TRUE(QFile::remove(workPath(QStringLiteral("all.bmp"))));
    ASSERT_EQ(startProgram(), QString());
    ASSERT_TRUE(waitForBox()) << "no box about the tile sheet";
    endEditor(SIGTERM);
    EXPECT_EQ(exitCode(), 0) << editorLog().toStdString();
    EXPECT_TRUE(QDir(recoveryFolder())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Desktops, StartUpBox, ::testing::Values(Desktop::WindowManager),
                         desktopName);

// A display number with no X server behind it (nor one starting there).
QString silentDisplay() {
    for (int number = 500;; ++number) {
        const QString suffix = QString::number(number);
        if (!QFile::exists("/tmp/.X11-unix/X" + suffix) &&
            !QFile::exists("/tmp/.X" + suffix + "-lock"))
            return ':' + suffix;
    }
}

// As without any display (tests/app): one line that says so, and status 1, not Qt's abort.
TEST(NoDisplay, ADisplayThatDoesNotAnswerIsReportedInOneLine) {
    ensureApplication();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("DISPLAY"), silentDisplay());
    const RunResult result = run(QStringLiteral(QORV_EDITOR_PATH), {}, environment);
    EXPECT_TRUE(result.finished) << "ended by itself, not by Qt's abort";
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.errors.count('\n'), 1) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.startsWith("qorvedit: no display found (DISPLAY names a display "
                                         "that does not answer)"))
        << result.errors.toStdString();
}

} // namespace
} // namespace e2e
