// Recovery with the real program: a level with changes that were not saved comes back
// after Yes at the next start, whether its editor was killed or closed; a saved level is
// never offered; a question closed without an answer keeps the level for the next start.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

#include "core/RecoveryFile.h"

#include <QDir>
#include <QFile>

#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace e2e {
namespace {

class CrashRecovery : public EditorSession {
  protected:
    QStringList recoveryFiles() const {
        return QDir(recoveryFolder()).entryList({QStringLiteral("*.recovery")}, QDir::Files);
    }
    QStringList folderEntries() const {
        return QDir(recoveryFolder())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
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
    // Starts the editor, which asks first, and answers its question with `key`; returns
    // once the question has gone and the windows stand in place.
    void answerQuestionWith(const QString& key) {
        ASSERT_EQ(startProgram(), QString());
        const auto box = waitForBox();
        ASSERT_TRUE(box) << "no question at the start";
        ASSERT_TRUE(pollUntil([&] { return focused(*box); })) << "the question has no focus";
        pressKey(key);
        ASSERT_TRUE(
            pollUntil([&] { return visibleWindows(QStringLiteral("QorvEdit")).size() == 1; }));
        ASSERT_EQ(findPlaces(QStringLiteral("QorvEdit")), QString());
    }
    // A stroke that the editor has recorded, then the editor ended with `signal`.
    void paintAndEnd(Level& level, int signal) {
        ASSERT_TRUE(stroke(level, {{10, 10}, {11, 10}, {12, 11}}, Left, 2));
        ASSERT_TRUE(recorded(level));
        endEditor(signal);
    }
};

// Killed, or closed (each end signal is handled as closing the main window): Yes, the
// default button, brings the level back.
TEST_P(CrashRecovery, ALevelNotSavedComesBackAfterYes) {
    for (const int signal : {SIGKILL, SIGTERM, SIGHUP, SIGINT}) {
        if (signal != SIGKILL) { // after the first round: a fresh start with nothing to offer
            endEditor(SIGKILL);
            QDir(recoveryFolder()).removeRecursively();
            ASSERT_EQ(startEditor(), QString());
        }
        Level level = Level::fresh();
        ASSERT_NO_FATAL_FAILURE(paintAndEnd(level, signal));
        if (signal != SIGKILL) {
            EXPECT_EQ(exitCode(), 0);
            EXPECT_EQ(folderEntries(), recoveryFiles()) << "closed: no lock is left";
        }
        ASSERT_NO_FATAL_FAILURE(answerQuestionWith(QStringLiteral("Return")));
        EXPECT_TRUE(rasterShows(level)) << signal;
        EXPECT_EQ(recoveryFiles().size(), 1) << "this editor's own, holding the level again";
    }
}

// A crash or a close right after Save leaves nothing to offer.
TEST_P(CrashRecovery, ASavedLevelIsNotOffered) {
    for (const int signal : {SIGKILL, SIGTERM}) {
        Level level = Level::fresh();
        ASSERT_TRUE(stroke(level, {{20, 20}}, Left, 2));
        ASSERT_TRUE(recorded(level));
        click(onTools(tools::Save));
        ASSERT_NO_FATAL_FAILURE(
            answerFileDialog(QStringLiteral("Save As"), QStringLiteral("saved")));
        EXPECT_TRUE(pollUntil([&] { return recoveryFiles().isEmpty(); })) << "the record goes";
        endEditor(signal);

        ASSERT_EQ(startEditor(), QString());
        // The start is over once the raster shows the new level; give a question time.
        EXPECT_FALSE(
            pollUntil([&] { return visibleWindows(QStringLiteral("QorvEdit")).size() > 1; }, 1000))
            << signal;
    }
}

// The instant after Save: killed the moment the saved file gets its name, by a thread that
// looks for the name without pausing, the editor leaves nothing to offer. The start after
// each kill takes a stroke on the raster, which an open question would block.
TEST_P(CrashRecovery, AKillTheInstantTheSavedFileAppearsLeavesNothingToOffer) {
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE(round);
        Level level = Level::fresh();
        ASSERT_TRUE(stroke(level, {{20, 20}}, Left, 2)) << "a question blocks the raster";
        ASSERT_EQ(visibleWindows(QStringLiteral("QorvEdit")).size(), 1) << "a question is up";
        ASSERT_TRUE(recorded(level));
        const QString name = QStringLiteral("saved%1.qre").arg(round);
        const QByteArray file = QFile::encodeName(workPath(name));
        const auto editor = pid_t(editorProcessId());
        std::atomic<bool> looking{true};
        std::thread killer([&] {
            struct stat st {};
            while (looking && ::stat(file.constData(), &st) != 0) {
            }
            if (looking) ::kill(editor, SIGKILL);
        });
        click(onTools(tools::Save));
        answerFileDialog(QStringLiteral("Save As"), name);
        ASSERT_TRUE(pollUntil([&] { return QFileInfo::exists(workPath(name)); }));
        looking = false;
        killer.join();
        endEditor(SIGKILL);
        EXPECT_EQ(waitForWorkFile(name, Rows * (Columns + 2)), levelFile(level)) << "saved whole";
        ASSERT_EQ(startEditor().toStdString(), "") << "a question covers the new level";
    }
    Level level = Level::fresh();
    EXPECT_TRUE(stroke(level, {{20, 20}}, Left, 2)) << "a question blocks the raster";
    EXPECT_EQ(visibleWindows(QStringLiteral("QorvEdit")).size(), 1) << "a question is up";
}

// Escape and the window manager's close (Alt+F4, as the title bar's close button) answer
// nothing: the level stays for the next start. Only No throws it away.
TEST_P(CrashRecovery, OnlyNoThrowsTheLevelAway) {
    Level level = Level::fresh();
    ASSERT_NO_FATAL_FAILURE(paintAndEnd(level, SIGKILL));
    const QStringList kept = recoveryFiles();
    for (const char* key : {"Escape", "alt+F4"}) {
        ASSERT_NO_FATAL_FAILURE(answerQuestionWith(QString::fromLatin1(key)));
        EXPECT_TRUE(rasterShows(Level::fresh())) << key;
        EXPECT_EQ(recoveryFiles(), kept) << key;
        endEditor(SIGTERM);
    }
    ASSERT_NO_FATAL_FAILURE(answerQuestionWith(QStringLiteral("n"))); // No's mnemonic
    EXPECT_TRUE(rasterShows(Level::fresh()));
    EXPECT_TRUE(recoveryFiles().isEmpty());
}

// The question is answered by keyboard focus, which needs a window manager.
INSTANTIATE_TEST_SUITE_P(Desktops, CrashRecovery, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e
