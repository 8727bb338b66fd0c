// A level a merge left conflicted, resolved in the editor through real mouse and key events:
// shown as OURS with each conflict marked, sides taken cell by cell and for all, each one
// undo step that brings the marks back, saved without markers; the status line and the
// raster's description name the tiles of the conflict under the pointer.

#include "EditorFixture.h"

#include "core/ConflictedLevel.h"
#include "core/LevelText.h"
#include "render/CellMarks.h"
#include "ui/ConflictPanel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

using namespace testing_ui;

namespace {

// Both sides change three cells differently, and each changes one cell of its own.
struct Conflicted {
    qorv::LevelGrid base = newLevel(), ours = base, theirs = base;
    qorv::LevelMergeResult merge;
    Conflicted() {
        const struct {
            int x, y, ours, theirs;
        } cells[] = {{5, 3, 10, 12}, {20, 10, 2, 3}, {40, 30, 7, 8}, {2, 2, 5, 0}, {50, 40, 0, 4}};
        for (const auto& cell : cells) {
            ours.at(cell.x, cell.y) = qorv::TileIndex(cell.ours);
            theirs.at(cell.x, cell.y) = qorv::TileIndex(cell.theirs);
        }
        merge = qorv::mergeLevels(base, ours, theirs);
    }
    QByteArray file() const {
        return QByteArray::fromStdString(std::get<std::string>(
            qorv::formatConflictedLevel(merge.merged, merge.conflicts, &base)));
    }
};

QPoint pixelOf(int x, int y) {
    return {x * 10 + 4, y * 10 + 6};
}

} // namespace

class ConflictResolutionTest : public EditorFixture {
  protected:
    Conflicted level_;
    void SetUp() override {
        EditorFixture::SetUp();
        writeFile("conflict.qre", level_.file());
        dialogs_.nextFileName = path("conflict.qre");
        clickButton(ToolsForm->ToolButton2);
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    }
    static ui::ConflictPanel& panel() { return *ToolsForm->findChild<ui::ConflictPanel*>(); }
    static QString line() { return panel().line()->isVisible() ? panel().line()->text() : ""; }
    static void key(const char* sequence) {
        const QKeySequence keys = QKeySequence::fromString(QString::fromLatin1(sequence));
        QTest::keyClick(MainForm, keys[0].key(), keys[0].keyboardModifiers());
    }
    // What the editor must show: `grid` with each of `conflicts` framed.
    static QImage marked(const qorv::LevelGrid& grid,
                         const std::vector<qorv::CellConflict>& conflicts) {
        QImage image = expectedRaster(grid);
        qorv::markConflicts(image, conflicts, 0, 0, qorv::GridWidth - 1, qorv::GridHeight - 1);
        return image;
    }
    void pointAt(int x, int y) { move(MainForm->Image, pixelOf(x, y).x(), pixelOf(x, y).y()); }
};

TEST_F(ConflictResolutionTest, OpensAsOursMarkedAndSavesTheSidesTakenWithoutMarkers) {
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    const auto& conflicts = level_.merge.conflicts;
    ASSERT_EQ(conflicts.size(), 3u);
    EXPECT_EQ(MainForm->Map, level_.merge.merged);
    EXPECT_TRUE(sameImage(raster(), marked(level_.merge.merged, conflicts)));
    EXPECT_EQ(line(), "3 conflicts left");

    pointAt(20, 10);
    key("T"); // theirs for the conflict under the pointer
    qorv::LevelGrid expected = level_.merge.merged;
    expected.at(20, 10) = 3;
    EXPECT_EQ(MainForm->Map, expected);
    EXPECT_TRUE(sameImage(raster(), marked(expected, {conflicts[0], conflicts[2]})));
    EXPECT_EQ(line(), "2 conflicts left");

    key("Ctrl+Z"); // the take undone: its tile and its mark are back
    EXPECT_EQ(MainForm->Map, level_.merge.merged);
    EXPECT_TRUE(sameImage(raster(), marked(level_.merge.merged, conflicts)));
    EXPECT_EQ(line(), "3 conflicts left\n20 : 10: ours 2, theirs 3, base 0");
    key("Ctrl+Y");
    EXPECT_EQ(MainForm->Map, expected);

    key("Ctrl+Shift+O"); // ours for the rest
    EXPECT_EQ(MainForm->Map, expected);
    EXPECT_EQ(line(), "0 conflicts left");
    EXPECT_TRUE(sameImage(raster(), expectedRaster(expected)));
    dialogs_.nextFileName = path("resolved.qre");
    key("Ctrl+S");
    EXPECT_EQ(readFile("resolved.qre"),
              QByteArray::fromStdString(std::get<std::string>(qorv::formatLevelText(expected))));
    EXPECT_EQ(line(), "");
    EXPECT_EQ(MainForm->Image->accessibleDescription(), "");
}

TEST_F(ConflictResolutionTest, StatusAndScreenReadersNameTheTilesOfTheConflictUnderThePointer) {
    pointAt(5, 3);
    EXPECT_EQ(line(), "3 conflicts left\n5 : 3: ours 10, theirs 12, base 0");
    EXPECT_EQ(MainForm->Image->accessibleDescription(),
              "3 conflicts left; 5 : 3: ours 10, theirs 12, base 0");
    EXPECT_EQ(panel().line()->accessibleName(),
              "Conflicts: 3 conflicts left; 5 : 3: ours 10, theirs 12, base 0");
    pointAt(6, 3); // no conflict there
    EXPECT_EQ(line(), "3 conflicts left");
    key("Alt+Down"); // the next conflict after the pointer's cell
    EXPECT_EQ(line(), "3 conflicts left\n20 : 10: ours 2, theirs 3, base 0");
    key("Alt+Up");
    key("Alt+Up"); // round the level's start to its last conflict
    EXPECT_EQ(line(), "3 conflicts left\n40 : 30: ours 7, theirs 8, base 0");
}

// Control with the right button opens the conflict's menu; the right button alone still
// paints the background tile over the conflict, which stays marked until a side is taken.
TEST_F(ConflictResolutionTest, ControlRightClickOpensTheMenuAndOtherClicksEditAsUsual) {
    const QPoint at = pixelOf(40, 30);
    press(MainForm->Image, Qt::RightButton, at.x(), at.y(), Qt::ControlModifier);
    release(MainForm->Image, Qt::RightButton, at.x(), at.y());
    ASSERT_TRUE(panel().menu()->isVisible());
    EXPECT_EQ(MainForm->Map, level_.merge.merged);
    for (QAction* act : panel().menu()->actions())
        if (act->text() == "Take base") act->trigger();
    EXPECT_EQ(MainForm->Map.at(40, 30), 0);
    EXPECT_EQ(line(), "2 conflicts left");

    MainForm->BackTile = 9;
    click(MainForm->Image, Qt::RightButton, pixelOf(5, 3).x(), pixelOf(5, 3).y());
    EXPECT_EQ(MainForm->Map.at(5, 3), 9);
    EXPECT_EQ(MainForm->Conflicts.count(), 2);
}

TEST_F(ConflictResolutionTest, TheBrowserPreviewsAConflictedLevelMarked) {
    openBrowser();
    select("conflict.qre");
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_TRUE(
        sameImage(View1->Image->picture(), marked(level_.merge.merged, level_.merge.conflicts)));
}
