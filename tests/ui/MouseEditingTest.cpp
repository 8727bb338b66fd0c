// Editing with the mouse in the main window: brush strokes, selections, the eye dropper
// and the status texts, through real mouse events sent to the raster control.

#include "EditorFixture.h"

#include "core/Brush.h"
#include "ui/SpinEdit.h"

#include <QMouseEvent>

using namespace testing_ui;

namespace {

// The grid after stamping each (cx, cy) with `size` and `tile` inside `sel`.
qorv::LevelGrid stamped(qorv::LevelGrid grid, const std::vector<QPoint>& centres, int size,
                        qorv::TileIndex tile, const qorv::Selection& sel = qorv::selectall()) {
    for (const QPoint& c : centres)
        qorv::applybrush(grid, sel, c.x(), c.y(), size, tile);
    return grid;
}

// Draws the outline of `sel` by XOR onto `image`, as the editor does.
QImage withOutline(QImage image, const qorv::Selection& sel) {
    qorv::drawFocusRect(image, qorv::outlineRect(sel));
    return image;
}
} // namespace

class MouseEditingTest : public EditorFixture {
  protected:
    RasterImage* image() const { return MainForm->Image; }
    void chooseTool(QToolButton* button) { clickButton(button); }
    void setBrushSize(int size) { ToolsForm->SpinEdit1->setValue(size); }
};

TEST_F(MouseEditingTest, ABrushClickIsOneDiscAndOneUndoStep) {
    setBrushSize(5);
    MainForm->Map = patternedLevel(1);
    MainForm->drawall();
    click(image(), Qt::LeftButton, 205, 157); // cell (20, 15)
    const qorv::LevelGrid expected = stamped(patternedLevel(1), {{20, 15}}, 5, 2);
    EXPECT_EQ(MainForm->Map, expected);
    EXPECT_EQ(MainForm->BackupMap, patternedLevel(1));
    EXPECT_TRUE(sameImage(raster(), expectedRaster(expected)));
    // As painted on the screen: in pieces of changing shapes (tall and narrow, then wide and
    // flat), then whole.
    for (const QRect piece : {QRect(0, 0, 10, 450), QRect(0, 0, 640, 10), image()->rect()}) {
        const QImage shown = image()->grab(piece).toImage().convertToFormat(QImage::Format_RGB888);
        EXPECT_TRUE(sameImage(shown, expectedRaster(expected).copy(piece)));
    }
    clickButton(ToolsForm->ToolButton5);
    EXPECT_EQ(MainForm->Map, patternedLevel(1));
}

TEST_F(MouseEditingTest, AStrokeIsOneUndoStepAndUsesTheTileOfItsButton) {
    MainForm->BackTile = 9;
    setBrushSize(3);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        const qorv::LevelGrid before = MainForm->Map;
        press(image(), button, 100, 100);
        move(image(), 150, 100, button);
        move(image(), 150, 100, button); // the same cell stamps again
        move(image(), 200, 120, button);
        release(image(), button, 200, 120);
        const qorv::TileIndex tile = button == Qt::LeftButton ? 2 : 9;
        EXPECT_EQ(MainForm->Map, stamped(before, {{10, 10}, {15, 10}, {20, 12}}, 3, tile));
        EXPECT_EQ(MainForm->BackupMap, before) << "one backup, at the press";
        EXPECT_EQ(MainForm->DragButton, RasterImage::buttonCode(button));
        EXPECT_FALSE(MainForm->Dragging);
    }
    EXPECT_TRUE(sameImage(raster(), expectedRaster(MainForm->Map)));
}

TEST_F(MouseEditingTest, AStrokeLeavingTheRasterStampsCentresOutsideAndShowsTheirCells) {
    setBrushSize(7);
    press(image(), Qt::LeftButton, 15, 100);
    const std::tuple<int, int, const char*> moves[] = {{-5, 100, "0 : 10"},   {-15, 100, "-1 : 10"},
                                                       {-25, -25, "-2 : -2"}, {700, 500, "70 : 50"},
                                                       {645, 455, "64 : 45"}, {30, 30, "3 : 3"}};
    std::vector<QPoint> centres{{1, 10}};
    for (const auto& [x, y, text] : moves) {
        move(image(), x, y, Qt::LeftButton);
        EXPECT_EQ(panel(0), text);
        centres.emplace_back(x / 10, y / 10);
    }
    release(image(), Qt::LeftButton, 30, 30);
    EXPECT_EQ(MainForm->Map, stamped(newLevel(), centres, 7, 2));
    EXPECT_TRUE(sameImage(raster(), expectedRaster(MainForm->Map)));
}

TEST_F(MouseEditingTest, ASecondButtonDuringAStrokeTakesAnotherBackupAndItsTile) {
    MainForm->BackTile = 5;
    press(image(), Qt::LeftButton, 100, 100);
    const qorv::LevelGrid afterFirst = MainForm->Map;
    press(image(), Qt::RightButton, 120, 100);
    EXPECT_EQ(MainForm->BackupMap, afterFirst);
    move(image(), 140, 100, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(MainForm->Map.at(14, 10), 5);
    release(image(), Qt::LeftButton, 140, 100);
    EXPECT_FALSE(MainForm->Dragging);
    move(image(), 160, 100, Qt::RightButton);
    EXPECT_EQ(MainForm->Map.at(16, 10), 0) << "the first release ended the stroke";
    release(image(), Qt::RightButton, 160, 100);
}

TEST_F(MouseEditingTest, EveryMoveOfAQueuedBurstStamps) {
    EXPECT_FALSE(QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents))
        << "the window system would merge queued moves";
    press(image(), Qt::LeftButton, 5, 205);
    std::vector<QPoint> centres{{0, 20}};
    for (int cell = 1; cell <= 52; ++cell) {
        const QPointF at(cell * 10 + 5, 205);
        QCoreApplication::postEvent(image(),
                                    new QMouseEvent(QEvent::MouseMove, at, image()->mapToGlobal(at),
                                                    Qt::NoButton, Qt::LeftButton, Qt::NoModifier));
        centres.emplace_back(cell, 20);
    }
    QCoreApplication::processEvents();
    release(image(), Qt::LeftButton, 525, 205);
    EXPECT_EQ(MainForm->Map, stamped(newLevel(), centres, 1, 2));
    EXPECT_TRUE(sameImage(raster(), expectedRaster(MainForm->Map)));
}

TEST_F(MouseEditingTest, MovingWithoutAButtonOnlyChangesTheCursorText) {
    const QImage before = raster();
    const qorv::LevelGrid map = MainForm->Map;
    for (QToolButton* tool : {ToolsForm->ToolButton11, ToolsForm->ToolButton12,
                              ToolsForm->ToolButton14, ToolsForm->ToolButton15}) {
        chooseTool(tool);
        move(image(), 125, 73);
        EXPECT_EQ(panel(0), "12 : 7");
        move(image(), 639, 449);
        EXPECT_EQ(panel(0), "63 : 44");
    }
    EXPECT_EQ(MainForm->Map, map);
    EXPECT_TRUE(sameImage(raster(), before));
    EXPECT_EQ(panel(1), "");
}

TEST_F(MouseEditingTest, TheLineToolChangesNothingButTheCursorText) {
    chooseTool(ToolsForm->ToolButton14);
    const QImage before = raster();
    press(image(), Qt::LeftButton, 100, 100);
    move(image(), 200, 200, Qt::LeftButton);
    release(image(), Qt::LeftButton, 200, 200);
    EXPECT_EQ(panel(0), "20 : 20");
    EXPECT_TRUE(sameImage(raster(), before));
    EXPECT_EQ(MainForm->Map, newLevel());
    EXPECT_EQ(MainForm->BackupMap, qorv::LevelGrid{});
    EXPECT_FALSE(MainForm->Dragging);
}

TEST_F(MouseEditingTest, TheEyeDropperPicksByButtonAndDoesNotDrag) {
    chooseTool(ToolsForm->ToolButton15);
    MainForm->Map.at(5, 5) = 33;
    const std::tuple<int, int, Qt::MouseButton, int, int> rows[] = {
        {55, 55, Qt::LeftButton, 33, 0}, // an interior cell
        {0, 0, Qt::MiddleButton, 33, 1}, // a border cell, middle button: background
        {639, 449, Qt::RightButton, 33, 1},
        {10, 449, Qt::LeftButton, 1, 1}};
    for (const auto& [x, y, button, fore, back] : rows) {
        press(image(), button, x, y);
        EXPECT_EQ(MainForm->ForeTile, fore);
        EXPECT_EQ(MainForm->BackTile, back);
        EXPECT_FALSE(MainForm->Dragging);
        move(image(), x / 2, y / 2, button);
        release(image(), button, x / 2, y / 2);
    }
    EXPECT_EQ(ToolsForm->Image2->picture().pixel(0, 0), syntheticSheet().pixel(10, 0))
        << "the swatches show the picked tiles";
    EXPECT_EQ(MainForm->BackupMap, qorv::LevelGrid{});
}

class SelectionDragTest : public MouseEditingTest {
  protected:
    void SetUp() override {
        MouseEditingTest::SetUp();
        chooseTool(ToolsForm->ToolButton11);
    }
    void drag(int x1, int y1, int x2, int y2) {
        press(image(), Qt::LeftButton, x1, y1);
        move(image(), (x1 + x2) / 2, (y1 + y2) / 2, Qt::LeftButton);
        move(image(), x2, y2, Qt::LeftButton);
        release(image(), Qt::LeftButton, x2, y2);
    }
};

TEST_F(SelectionDragTest, DragsInEveryDirectionAndBeyondEveryEdge) {
    struct Row {
        int x1, y1, x2, y2;
        qorv::Selection sel;
        const char* size;
    };
    const Row rows[] = {
        {31, 42, 98, 87, {3, 4, 10, 9, true}, "(7 x 5)"},
        {98, 87, 31, 42, {10, 9, 3, 4, true}, "(7 x 5)"}, // up and left: reversed
        {98, 42, 31, 87, {10, 4, 3, 9, true}, "(7 x 5)"},
        {31, 87, 98, 42, {3, 9, 10, 4, true}, "(7 x 5)"},
        {100, 100, -300, -300, {10, 10, 1, 1, true}, "(9 x 9)"},
        {100, 100, 900, 900, {10, 10, 63, 44, true}, "(53 x 34)"},
        {3, 3, 400, 300, {0, 0, 40, 30, true}, "(40 x 30)"},
        {639, 449, 0, 0, {64, 45, 1, 1, true}, "(63 x 44)"},
    };
    for (const Row& row : rows) {
        drag(row.x1, row.y1, row.x2, row.y2);
        EXPECT_EQ(MainForm->Sel, row.sel)
            << row.x1 << "," << row.y1 << " to " << row.x2 << "," << row.y2;
        EXPECT_EQ(panel(1), row.size);
        EXPECT_TRUE(sameImage(raster(), withOutline(expectedRaster(MainForm->Map), row.sel)))
            << "exactly one outline, the old one erased";
    }
}

TEST_F(SelectionDragTest, ASecondButtonStartsAfreshAndLeavesExactlyOneOutline) {
    for (const bool finishedBefore : {false, true}) {
        if (finishedBefore) drag(300, 300, 400, 350);
        press(image(), Qt::LeftButton, 31, 42);
        move(image(), 98, 87, Qt::LeftButton);
        press(image(), Qt::RightButton, 205, 155);
        const qorv::Selection started{20, 16, 20, 16, false};
        EXPECT_EQ(MainForm->Sel, started);
        EXPECT_TRUE(sameImage(raster(), withOutline(expectedRaster(MainForm->Map), started)))
            << "the first drag's outline is erased";
        move(image(), 302, 248, Qt::LeftButton | Qt::RightButton);
        release(image(), Qt::LeftButton, 302, 248);
        const qorv::Selection finished{20, 16, 30, 25, true};
        EXPECT_EQ(MainForm->Sel, finished);
        EXPECT_EQ(panel(1), "(10 x 9)");
        EXPECT_TRUE(sameImage(raster(), withOutline(expectedRaster(MainForm->Map), finished)));
        release(image(), Qt::RightButton, 302, 248);
        EXPECT_EQ(MainForm->Sel, finished) << "the second release does nothing";
    }
}

TEST_F(SelectionDragTest, AClickWithoutMovingDropsTheSelection) {
    drag(31, 42, 98, 87);
    press(image(), Qt::LeftButton, 200, 200);
    release(image(), Qt::LeftButton, 200, 200);
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
    EXPECT_EQ(panel(1), "");
    EXPECT_TRUE(sameImage(raster(), expectedRaster(MainForm->Map))) << "no outline left";
    drag(100, 100, 300, 103); // back onto the start's horizontal grid line
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
}

TEST_F(SelectionDragTest, ASelectionFromTheTopRowsLetsFillWriteBorderRowZero) {
    drag(50, 4, 120, 60);
    EXPECT_EQ(MainForm->Sel, (qorv::Selection{5, 0, 12, 6, true}));
    MainForm->ForeTile = 3;
    clickButton(ToolsForm->ToolButton10);
    qorv::LevelGrid expected = newLevel();
    for (int x = 5; x < 12; ++x)
        for (int y = 0; y < 6; ++y)
            expected.at(x, y) = 3;
    EXPECT_EQ(MainForm->Map, expected);
    EXPECT_TRUE(sameImage(raster(), withOutline(expectedRaster(expected), MainForm->Sel)))
        << "Fill redraws inside the outline and keeps it";
    clickButton(ToolsForm->ToolButton5);
    EXPECT_TRUE(sameImage(raster(), withOutline(expectedRaster(newLevel()), MainForm->Sel)))
        << "Undo keeps the outline";
}

TEST_F(SelectionDragTest, TheBrushPaintsOnlyInsideTheSelection) {
    drag(100, 100, 200, 160);
    chooseTool(ToolsForm->ToolButton12);
    EXPECT_EQ(MainForm->Sel.SelectionShown, true) << "choosing a tool keeps the selection";
    setBrushSize(25);
    click(image(), Qt::LeftButton, 105, 105);
    const qorv::Selection sel{10, 10, 20, 16, true};
    EXPECT_EQ(MainForm->Map, stamped(newLevel(), {{10, 10}}, 25, 2, sel));
    EXPECT_TRUE(sameImage(raster(), withOutline(expectedRaster(MainForm->Map), sel)));
}

TEST_F(SelectionDragTest, AReversedSelectionStopsBrushAndFill) {
    drag(200, 200, 100, 100);
    chooseTool(ToolsForm->ToolButton12);
    click(image(), Qt::LeftButton, 150, 150);
    clickButton(ToolsForm->ToolButton10);
    EXPECT_EQ(MainForm->Map, newLevel());
    EXPECT_EQ(panel(1), "(10 x 10)");
}
