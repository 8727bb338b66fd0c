// Saving and opening through the real file dialogs, typed into as a user would, and the
// level browser with its preview.

#include "e2e/EditorSession.h"

namespace e2e {
namespace {

class LevelFiles : public EditorSession {};

constexpr qsizetype LevelFileSize = 45 * 66;

TEST_F(LevelFiles, SaveWritesTheLevelShownUnderTheNameTyped) {
    click(screen::paletteTile(45), Left);
    Level level = Level::fresh();
    ASSERT_TRUE(stroke(level, {{7, 8}, {8, 8}}, Left, 45));

    click(screen::Save);
    ASSERT_NO_FATAL_FAILURE(answerFileDialog(QStringLiteral("Save As"), QStringLiteral("saved")));
    EXPECT_EQ(waitForWorkFile(QStringLiteral("saved.qre"), LevelFileSize), levelFile(level));
    EXPECT_TRUE(waitForWindow(QStringLiteral("QorvEdit - saved.qre")));
    // The dialog covered the raster; it is painted again, unchanged.
    EXPECT_TRUE(rasterShows(level));
}

TEST_F(LevelFiles, OpenShowsTheFileChosenAndUndoBringsBackTheLevelBefore) {
    const Level other = Level::patterned(3);
    writeWorkFile(QStringLiteral("other.qre"), levelFile(other));

    click(screen::Open);
    // The open dialog starts in the program's folder: the full path finds the file.
    ASSERT_NO_FATAL_FAILURE(
        answerFileDialog(QStringLiteral("Open"), workPath(QStringLiteral("other.qre"))));
    EXPECT_TRUE(rasterShows(other));
    EXPECT_TRUE(waitForWindow(QStringLiteral("QorvEdit - other.qre")));

    click(screen::Undo);
    EXPECT_TRUE(rasterShows(Level::fresh()));
}

TEST_F(LevelFiles, TheBrowserListsTheLevelsAndPreviewsTheOneSelected) {
    const Level alpha = Level::patterned(1);
    const Level beta = Level::patterned(2);
    writeWorkFile(QStringLiteral("beta.qre"), levelFile(beta));
    writeWorkFile(QStringLiteral("alpha.qre"), levelFile(alpha));
    writeWorkFile(QStringLiteral("gamma.qrl"), levelFile(Level::fresh()));

    controlClick(screen::Open);
    const auto browser = waitForWindow(QStringLiteral("View"));
    ASSERT_TRUE(browser);
    EXPECT_FALSE(visibleWindow(QStringLiteral("Open")));
    // Under the tools window, reaching to 30 pixels above the screen's bottom edge.
    const QRect placed = geometry(*browser);
    EXPECT_EQ(placed.topLeft(), QPoint(0, screen::ToolsWindow.height()));
    EXPECT_EQ(placed.bottom() + 1, ScreenHeight - 30);

    // The sorted list's first item, then the next one by keyboard.
    click({20, placed.top() + 6});
    const auto preview = waitForWindow(QStringLiteral("Preview level"));
    ASSERT_TRUE(preview);
    EXPECT_EQ(geometry(*preview), screen::MainWindow);
    EXPECT_TRUE(screenShows(screen::MainWindow, levelPicture(alpha)));
    pressKey(QStringLiteral("Down"));
    EXPECT_TRUE(screenShows(screen::MainWindow, levelPicture(beta)));

    // Behind the preview the level being edited is untouched.
    xdo({QStringLiteral("windowunmap"), *preview});
    EXPECT_TRUE(rasterShows(Level::fresh()));
    EXPECT_TRUE(visibleWindow(QStringLiteral("QorvEdit")));
}

} // namespace
} // namespace e2e
