// Saving and opening through the real file dialogs, typed into as a user would, and the
// level browser with its preview.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

namespace e2e {
namespace {

class LevelFiles : public EditorSession {};

constexpr qsizetype LevelFileSize = 45 * 66;

TEST_P(LevelFiles, SaveWritesTheLevelShownUnderTheNameTyped) {
    click(onTools(tools::paletteTile(45)), Left);
    Level level = Level::fresh();
    ASSERT_TRUE(stroke(level, {{7, 8}, {8, 8}}, Left, 45));

    click(onTools(tools::Save));
    ASSERT_NO_FATAL_FAILURE(answerFileDialog(QStringLiteral("Save As"), QStringLiteral("saved")));
    EXPECT_EQ(waitForWorkFile(QStringLiteral("saved.qre"), LevelFileSize), levelFile(level));
    EXPECT_TRUE(waitForWindow(QStringLiteral("QorvEdit - saved.qre")));
    // The dialog covered the raster; it is painted again, unchanged.
    EXPECT_TRUE(rasterShows(level));
}

TEST_P(LevelFiles, OpenShowsTheFileChosenAndUndoBringsBackTheLevelBefore) {
    const Level other = Level::patterned(3);
    writeWorkFile(QStringLiteral("other.qre"), levelFile(other));

    click(onTools(tools::Open));
    // Wherever the open dialog starts, the full path finds the file.
    ASSERT_NO_FATAL_FAILURE(
        answerFileDialog(QStringLiteral("Open"), workPath(QStringLiteral("other.qre"))));
    EXPECT_TRUE(rasterShows(other));
    EXPECT_TRUE(waitForWindow(QStringLiteral("QorvEdit - other.qre")));

    click(onTools(tools::Undo));
    EXPECT_TRUE(rasterShows(Level::fresh()));
}

TEST_P(LevelFiles, TheOpenDialogStartsInTheWorkingDirectory) {
    // The program's folder (the build folder) holds no tile sheet, so the dialog starts
    // where the levels are: the bare name finds the file.
    const Level other = Level::patterned(4);
    writeWorkFile(QStringLiteral("other.qre"), levelFile(other));
    click(onTools(tools::Open));
    ASSERT_NO_FATAL_FAILURE(answerFileDialog(QStringLiteral("Open"), QStringLiteral("other.qre")));
    EXPECT_TRUE(rasterShows(other));
    EXPECT_TRUE(waitForWindow(QStringLiteral("QorvEdit - other.qre")));
}

TEST_P(LevelFiles, TheBrowserListsTheLevelsAndPreviewsTheOneSelected) {
    const Level alpha = Level::patterned(1);
    const Level beta = Level::patterned(2);
    writeWorkFile(QStringLiteral("beta.qre"), levelFile(beta));
    writeWorkFile(QStringLiteral("alpha.qre"), levelFile(alpha));
    writeWorkFile(QStringLiteral("gamma.qrl"), levelFile(Level::fresh()));

    controlClick(onTools(tools::Open));
    const auto browser = waitForWindow(QStringLiteral("View"));
    ASSERT_TRUE(browser);
    EXPECT_FALSE(visibleWindow(QStringLiteral("Open")));
    // At its first opening already, its frame stands under the tools window's frame and
    // ends 30 pixels above the screen's bottom edge. Under a window manager the frame is
    // known only once the window is mapped; wait for the window manager to settle.
    const auto tools = visibleWindow(QStringLiteral("Tools"));
    ASSERT_TRUE(tools);
    const QRect toolsFrame = frameGeometry(*tools);
    QRect placed;
    pollUntil([&] {
        placed = frameGeometry(*browser);
        return placed.topLeft() == QPoint(0, toolsFrame.bottom() + 1) &&
               placed.bottom() + 1 == ScreenHeight - 30;
    });
    EXPECT_EQ(placed.topLeft(), QPoint(0, toolsFrame.bottom() + 1));
    EXPECT_EQ(placed.bottom() + 1, ScreenHeight - 30) << "frame height " << placed.height();

    // The sorted list's first item, then the next one by keyboard.
    click({20, geometry(*browser).top() + 6});
    const auto preview = waitForWindow(QStringLiteral("Preview level"));
    ASSERT_TRUE(preview);
    // On the main window's top-left corner, frame on frame.
    const auto main = visibleWindow(QStringLiteral("QorvEdit"));
    ASSERT_TRUE(main);
    QRect previewArea;
    pollUntil([&] {
        previewArea = geometry(*preview);
        return frameGeometry(*preview).topLeft() == frameGeometry(*main).topLeft();
    });
    EXPECT_EQ(frameGeometry(*preview).topLeft(), frameGeometry(*main).topLeft());
    EXPECT_EQ(previewArea.size(), rasterArea().size());
    EXPECT_TRUE(screenShows(previewArea, levelPicture(alpha)));
    pressKey(QStringLiteral("Down"));
    EXPECT_TRUE(screenShows(previewArea, levelPicture(beta)));

    // Behind the preview the level being edited is untouched.
    xdo({QStringLiteral("windowunmap"), *preview});
    EXPECT_TRUE(rasterShows(Level::fresh()));
    EXPECT_TRUE(visibleWindow(QStringLiteral("QorvEdit")));
}

TEST_P(LevelFiles, UnderALowToolsWindowTheBrowserMovesUpToEnd30PixelsAboveTheBottom) {
    // Below the tools window there is no room for the browser's least height of 120 pixels:
    // it keeps that height and moves up to end 30 pixels above the screen's bottom edge.
    ASSERT_TRUE(moveToolsWindow({0, 650}));
    controlClick(onTools(tools::Open));
    const auto browser = waitForWindow(QStringLiteral("View"));
    ASSERT_TRUE(browser);
    QRect placed;
    pollUntil([&] {
        placed = frameGeometry(*browser);
        return placed.left() == 0 && placed.height() == 120 &&
               placed.bottom() + 1 == ScreenHeight - 30;
    });
    EXPECT_EQ(placed.left(), 0);
    EXPECT_EQ(placed.height(), 120);
    EXPECT_EQ(placed.bottom() + 1, ScreenHeight - 30);
}

INSTANTIATE_TEST_SUITE_P(Desktops, LevelFiles,
                         ::testing::Values(Desktop::Bare, Desktop::WindowManager), desktopName);

} // namespace
} // namespace e2e
