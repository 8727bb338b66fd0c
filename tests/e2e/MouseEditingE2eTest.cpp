// Editing with the real pointer: palette picks, brush strokes with either button, a dragged
// selection that bounds Fill and the brush, Undo and Redo; every step checked on the screen.

#include "e2e/EditorSession.h"

namespace e2e {
namespace {

class MouseEditing : public EditorSession {};

// A dragged selection between the grid lines nearest the press and the release.
struct Drag {
    QPoint from, through, to; // raster pixels
    int x1, y1, x2, y2;       // the grid lines they snap to
};
constexpr Drag SelectionDrag{{52, 33}, {100, 60}, {151, 88}, 5, 3, 15, 9};

TEST_F(MouseEditing, StartsWithTheNewLevelAndTheDefaultSwatches) {
    // The set-up has already seen the new level and both windows in place.
    EXPECT_TRUE(swatchesShow(2, 0));
    EXPECT_TRUE(visibleWindow(QStringLiteral("QorvEdit")));
    EXPECT_FALSE(visibleWindow(QStringLiteral("View")));
    EXPECT_FALSE(visibleWindow(QStringLiteral("Preview level")));
}

TEST_F(MouseEditing, PalettePicksSetTheTilesOfBothButtons) {
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
        click(screen::paletteTile(pick.tile), pick.button);
        EXPECT_TRUE(swatchesShow(pick.fore, pick.back));
    }
    EXPECT_TRUE(rasterShows(Level::fresh())); // a pick changes no cell
}

TEST_F(MouseEditing, BrushStrokesPaintTheButtonsTilesAndUndoTakesTheLastOneBack) {
    click(screen::paletteTile(37), Left);
    click(screen::paletteTile(20), Right);
    ASSERT_TRUE(swatchesShow(37, 20));

    // A left stroke: a stamp at the press and one at every cell the pointer moves to.
    Level level = Level::fresh();
    ASSERT_TRUE(stroke(level, {{10, 10}, {11, 10}, {12, 11}, {13, 12}, {20, 12}}, Left, 37));
    const Level afterLeftStroke = level;
    // A right stroke paints the background tile; it is the last undo step.
    ASSERT_TRUE(stroke(level, {{30, 20}, {30, 21}}, Right, 20));

    click(screen::Undo);
    EXPECT_TRUE(rasterShows(afterLeftStroke));
    click(screen::Redo);
    EXPECT_TRUE(rasterShows(level));
}

TEST_F(MouseEditing, ADraggedSelectionIsOutlinedAndBoundsFillAndBrush) {
    const Drag& drag = SelectionDrag;
    click(screen::Select);
    const QImage fresh = levelPicture(Level::fresh());

    press(screen::raster(drag.from), Left);
    ASSERT_TRUE(rasterShows(withOutline(fresh, drag.x1, drag.y1, drag.x1, drag.y1)));
    moveTo(screen::raster(drag.through));
    ASSERT_TRUE(rasterShows(withOutline(fresh, drag.x1, drag.y1, 10, 6)));
    moveTo(screen::raster(drag.to));
    ASSERT_TRUE(rasterShows(withOutline(fresh, drag.x1, drag.y1, drag.x2, drag.y2)));
    release(Left);

    // Fill writes the foreground tile into the selected cells; the outline stays.
    click(screen::Fill);
    Level filled = Level::fresh();
    filled.fill(drag.x1, drag.y1, drag.x2 - 1, drag.y2 - 1, 2);
    const auto outlined = [&](const Level& level) {
        return withOutline(levelPicture(level), drag.x1, drag.y1, drag.x2, drag.y2);
    };
    ASSERT_TRUE(rasterShows(outlined(filled)));
    click(screen::Undo);
    ASSERT_TRUE(rasterShows(outlined(Level::fresh())));
    click(screen::Redo);
    ASSERT_TRUE(rasterShows(outlined(filled)));

    // The brush writes inside the selection only: the moves outside it change nothing.
    click(screen::Brush);
    press(screen::cell(13, 5), Right);
    filled.at(13, 5) = 0;
    ASSERT_TRUE(rasterShows(outlined(filled)));
    moveAndWaitForStatus(screen::cell(16, 5));
    moveAndWaitForStatus(screen::cell(20, 6));
    moveAndWaitForStatus(screen::cell(14, 10));
    moveTo(screen::cell(12, 6));
    filled.at(12, 6) = 0;
    EXPECT_TRUE(rasterShows(outlined(filled)));
    release(Right);
}

TEST_F(MouseEditing, TheEyeDropperPicksTheCellUnderThePointer) {
    click(screen::paletteTile(45), Left);
    click(screen::Fill); // the whole interior becomes tile 45
    ASSERT_TRUE(rasterShows(Level::fresh().fill(1, 1, 62, 43, 45)));

    click(screen::EyeDropper);
    click(screen::cell(0, 7), Left); // the border
    EXPECT_TRUE(swatchesShow(1, 0));
    click(screen::cell(30, 30), Right);
    EXPECT_TRUE(swatchesShow(1, 45));
}

} // namespace
} // namespace e2e
