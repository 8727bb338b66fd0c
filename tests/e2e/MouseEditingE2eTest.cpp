// Editing with the real pointer: palette picks, brush strokes with either button, a dragged
// selection that bounds Fill and the brush, Undo and Redo; every step checked on the screen.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"
#include "e2e/TextInk.h"

namespace e2e {
namespace {

class MouseEditing : public EditorSession {};

// A dragged selection between the grid lines nearest the press and the release.
struct Drag {
    QPoint from, through, to; // raster pixels
    int x1, y1, x2, y2;       // the grid lines they snap to
};
constexpr Drag SelectionDrag{{52, 33}, {100, 60}, {151, 88}, 5, 3, 15, 9};

TEST_P(MouseEditing, StartsWithTheNewLevelAndTheDefaultSwatches) {
    // The set-up has already seen the new level and both windows in place.
    EXPECT_TRUE(swatchesShow(2, 0));
    EXPECT_TRUE(visibleWindow(QStringLiteral("QorvEdit")));
    EXPECT_FALSE(visibleWindow(QStringLiteral("View")));
    EXPECT_FALSE(visibleWindow(QStringLiteral("Preview level")));
}

TEST_P(MouseEditing, PalettePicksSetTheTilesOfBothButtons) {
    struct Pick {
        int tile;
        Button button;
        int fore, back; // swatches afterwards
    };
    const Pick picks[] = {
        {37, Left, 37, 0},
        {20, Right, 37, 20},
        {111, Left, 111, 20},
        {0, Right, 111, 0},
    };
    for (const Pick& pick : picks) {
        SCOPED_TRACE(pick.tile);
        click(onTools(tools::paletteTile(pick.tile)), pick.button);
        EXPECT_TRUE(swatchesShow(pick.fore, pick.back));
    }
    EXPECT_TRUE(rasterShows(Level::fresh())); // a pick changes no cell
}

TEST_P(MouseEditing, BrushStrokesPaintTheButtonsTilesAndUndoTakesTheLastOneBack) {
    click(onTools(tools::paletteTile(37)), Left);
    click(onTools(tools::paletteTile(20)), Right);
    ASSERT_TRUE(swatchesShow(37, 20));

    // A left stroke: a stamp at the press and one at every cell the pointer moves to.
    Level level = Level::fresh();
    ASSERT_TRUE(stroke(level, {{10, 10}, {11, 10}, {12, 11}, {13, 12}, {20, 12}}, Left, 37));
    const Level afterLeftStroke = level;
    // A right stroke paints the background tile; it is the last undo step.
    ASSERT_TRUE(stroke(level, {{30, 20}, {30, 21}}, Right, 20));

    click(onTools(tools::Undo));
    EXPECT_TRUE(rasterShows(afterLeftStroke));
    click(onTools(tools::Redo));
    EXPECT_TRUE(rasterShows(level));
}

TEST_P(MouseEditing, ADraggedSelectionIsOutlinedAndBoundsFillAndBrush) {
    const Drag& drag = SelectionDrag;
    click(onTools(tools::Select));
    const QImage fresh = levelPicture(Level::fresh());

    press(raster(drag.from), Left);
    ASSERT_TRUE(rasterShows(withOutline(fresh, drag.x1, drag.y1, drag.x1, drag.y1)));
    moveTo(raster(drag.through));
    ASSERT_TRUE(rasterShows(withOutline(fresh, drag.x1, drag.y1, 10, 6)));
    moveTo(raster(drag.to));
    ASSERT_TRUE(rasterShows(withOutline(fresh, drag.x1, drag.y1, drag.x2, drag.y2)));
    release(Left);

    // Fill writes the foreground tile into the selected cells; the outline stays.
    click(onTools(tools::Fill));
    Level filled = Level::fresh();
    filled.fill(drag.x1, drag.y1, drag.x2 - 1, drag.y2 - 1, 2);
    const auto outlined = [&](const Level& level) {
        return withOutline(levelPicture(level), drag.x1, drag.y1, drag.x2, drag.y2);
    };
    ASSERT_TRUE(rasterShows(outlined(filled)));
    click(onTools(tools::Undo));
    ASSERT_TRUE(rasterShows(outlined(Level::fresh())));
    click(onTools(tools::Redo));
    ASSERT_TRUE(rasterShows(outlined(filled)));

    // The brush writes inside the selection only: the moves outside it change nothing.
    click(onTools(tools::Brush));
    press(cell(13, 5), Right);
    filled.at(13, 5) = 0;
    ASSERT_TRUE(rasterShows(outlined(filled)));
    moveAndWaitForStatus(cell(16, 5));
    moveAndWaitForStatus(cell(20, 6));
    moveAndWaitForStatus(cell(14, 10));
    moveTo(cell(12, 6));
    filled.at(12, 6) = 0;
    EXPECT_TRUE(rasterShows(outlined(filled)));
    release(Right);
}

TEST_P(MouseEditing, ASecondButtonDuringASelectDragLeavesExactlyOneOutline) {
    click(onTools(tools::Select));
    const QImage fresh = levelPicture(Level::fresh());
    press(raster({31, 42}), Left);
    moveTo(raster({98, 87}));
    ASSERT_TRUE(rasterShows(withOutline(fresh, 3, 4, 10, 9)));
    moveTo(raster({205, 155}));
    ASSERT_TRUE(rasterShows(withOutline(fresh, 3, 4, 20, 16)));
    // The right button, pressed while the left is held, starts a new selection there: the
    // outline of the drag in progress goes.
    xdo({QStringLiteral("mousedown"), QString::number(Right)});
    ASSERT_TRUE(rasterShows(withOutline(fresh, 20, 16, 20, 16)));
    moveTo(raster({302, 248}));
    release(Left);
    EXPECT_TRUE(rasterShows(withOutline(fresh, 20, 16, 30, 25)));
    release(Right);
    EXPECT_TRUE(rasterShows(withOutline(fresh, 20, 16, 30, 25)));
}

TEST_P(MouseEditing, TheEyeDropperPicksTheCellUnderThePointer) {
    click(onTools(tools::paletteTile(45)), Left);
    click(onTools(tools::Fill)); // the whole interior becomes tile 45
    ASSERT_TRUE(rasterShows(Level::fresh().fill(1, 1, 62, 43, 45)));

    click(onTools(tools::EyeDropper));
    click(cell(0, 7), Left); // the border
    EXPECT_TRUE(swatchesShow(1, 0));
    click(cell(30, 30), Right);
    EXPECT_TRUE(swatchesShow(1, 45));
}

TEST_P(MouseEditing, ABurstOfMovesStampsEveryCellItPasses) {
    // 52 moves along a row sent at once, without waiting for the editor between them: each
    // move the X server delivers stamps, none is merged into a later one.
    constexpr int Row = 20, First = 5, Last = 57;
    QStringList moves;
    for (int x = First + 1; x <= Last; ++x) {
        const QPoint at = cell(x, Row);
        moves << QStringLiteral("mousemove") << QString::number(at.x()) << QString::number(at.y());
    }
    press(cell(First, Row), Left);
    // A window manager that focuses on click holds the pointer frozen until it has passed the
    // press on. A real pointer's moves are queued meanwhile; xdotool's are warps, which the
    // server applies at once, so that the editor would see only the last of them. The burst
    // starts once the press has reached the editor: its stamp shows.
    ASSERT_TRUE(rasterShows(Level::fresh().fill(First, Row, First, Row, 2)));
    xdo(moves);
    release(Left);
    EXPECT_TRUE(rasterShows(Level::fresh().fill(First, Row, Last, Row, 2)));
}

TEST_P(MouseEditing, TheWidestStatusTextsAreDrawnWhole) {
    // A selection 53 cells wide and 37 high, then the Line tool held down and dragged to the
    // cell (-15, 44), left of the raster: both texts among the widest a user meets.
    click(onTools(tools::Select));
    press(raster({50, 40}), Left);
    moveTo(raster({300, 300}));
    moveTo(raster({580, 410}));
    release(Left);
    click(onTools(tools::Line));
    press(raster({300, 200}), Left);
    moveTo(raster({100, 445}));
    moveAndWaitForStatus(raster({-155, 445}));

    const QRect bar = onTools(tools::StatusBar);
    const QRect cursorPanel(bar.left(), bar.top(), tools::SecondPanelLeft, bar.height());
    const QRect sizePanel(bar.left() + tools::SecondPanelLeft, bar.top(),
                          bar.width() - tools::SecondPanelLeft, bar.height());
    // Glyphs are told apart by the empty columns between them; "-15 : 44" has six, "(53 x
    // 37)" seven. A text cut at its panel's edge loses glyphs or ends at the panel's frame.
    TextInk cursor, size;
    pollUntil([&] {
        cursor = textInk(grab(cursorPanel));
        size = textInk(grab(sizePanel));
        return cursor.glyphs == 6 && size.glyphs == 7;
    });
    release(Left);
    EXPECT_EQ(cursor.glyphs, 6) << "\"-15 : 44\" is not drawn whole";
    EXPECT_TRUE(cursor.endsInSpace) << "\"-15 : 44\" reaches its panel's edge";
    EXPECT_EQ(size.glyphs, 7) << "\"(53 x 37)\" is not drawn whole";
    EXPECT_TRUE(size.endsInSpace) << "\"(53 x 37)\" reaches its panel's edge";
}

INSTANTIATE_TEST_SUITE_P(Desktops, MouseEditing,
                         ::testing::Values(Desktop::Bare, Desktop::WindowManager), desktopName);

} // namespace
} // namespace e2e
