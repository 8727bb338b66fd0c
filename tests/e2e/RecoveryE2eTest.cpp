// Recovery after a crash, with the real program: a level painted and then killed comes
// back after Yes at the next start; a normal end leaves nothing and the next start asks
// nothing.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

#include "core/RecoveryFile.h"

#include <QDir>
#include <QFile>

#include <csignal>

namespace e2e {
namespace {

class CrashRecovery : public EditorSession {
  protected:
    QStringList recoveryFiles() const {
        return QDir(recoveryFolder()).entryList({QStringLiteral("*.recovery")}, QDir::Files);
    }
    // Waits until the editor's recovery file holds `level`.
    ::testing::AssertionResult recorded(const Level& level) const {
        const bool seen = pollUntil([&] {
            for (const QString& name : recoveryFiles()) {
                QFile file(recoveryFolder() + '/' + name);
                if (!file.open(QIODevice::ReadOnly)) continue;
                const auto read = qorv::parseRecoveryFile(file.readAll().toStdString());
                if (read &&
                    std::equal(level.cells.begin(), level.cells.end(), read->grid.cells.begin()))
                    return true;
            }
            return false;
        });
        return seen ? ::testing::AssertionSuccess()
                    : ::testing::AssertionFailure() << "the painted level was not recorded";
    }
    // The start's question, a box with the application's title beside the main window.
    std::optional<QString> question() const {
        std::optional<QString> box;
        pollUntil([&] {
            for (const QString& window : visibleWindows(QStringLiteral("QorvEdit")))
                if (geometry(window).size() != QSize(Columns * Cell, Rows * Cell)) box = window;
            return box.has_value();
        });
        return box;
    }
};

TEST_P(CrashRecovery, AKilledEditorsLevelComesBackAfterYes) {
    Level level = Level::fresh();
    ASSERT_TRUE(stroke(level, {{10, 10}, {11, 10}, {12, 11}}, Left, 2));
    ASSERT_TRUE(recorded(level));
    endEditor(SIGKILL);

    ASSERT_EQ(startProgram(), QString());
    const auto box = question();
    ASSERT_TRUE(box) << "no question at the start after the crash";
    ASSERT_TRUE(pollUntil([&] { return focused(*box); })) << "the question has no focus";
    pressKey(QStringLiteral("Return")); // Yes, the default button
    ASSERT_TRUE(pollUntil([&] { return visibleWindows(QStringLiteral("QorvEdit")).size() == 1; }));
    ASSERT_EQ(findPlaces(QStringLiteral("QorvEdit")), QString());
    EXPECT_TRUE(rasterShows(level));
    EXPECT_EQ(recoveryFiles().size(), 1) << "this editor's own, holding the level again";
}

TEST_P(CrashRecovery, ANormalEndLeavesNothingAndTheNextStartAsksNothing) {
    Level level = Level::fresh();
    ASSERT_TRUE(stroke(level, {{20, 20}}, Left, 2));
    ASSERT_TRUE(recorded(level));
    endEditor(SIGTERM); // handled as closing the main window
    EXPECT_EQ(exitCode(), 0);
    EXPECT_TRUE(QDir(recoveryFolder())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());

    ASSERT_EQ(startEditor(), QString());
    // The start is over once the raster shows the new level; give a question time to come.
    EXPECT_FALSE(
        pollUntil([&] { return visibleWindows(QStringLiteral("QorvEdit")).size() > 1; }, 1000));
}

// The question is answered by keyboard focus, which needs a window manager.
INSTANTIATE_TEST_SUITE_P(Desktops, CrashRecovery, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e
