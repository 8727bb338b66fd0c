// The tools window's commands, driven through its real buttons and controls.

#include "EditorFixture.h"

#include "levelio/LevelFile.h"
#include "storage/SyscallFaults.h"
#include "ui/SpinEdit.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QMenu>
#include <QWheelEvent>

#include <functional>

#include <cerrno>

using namespace testing_ui;

class ToolsWindowTest : public EditorFixture {
  protected:
    static qorv::LevelGrid newLevel() {
        qorv::LevelGrid grid;
        qorv::ClearFull(grid);
        return grid;
    }
    void saveLevelFile(const QString& name, const qorv::LevelGrid& grid) {
        qorv::saveQRE(path(name).toStdString(), grid);
    }
    void openThroughDialog(const QString& name) {
        dialogs_.nextFileName = path(name);
        clickButton(ToolsForm->ToolButton2);
    }
};

TEST_F(ToolsWindowTest, UndoAndRedoAreOneExchange) {
    const qorv::LevelGrid fresh = newLevel();
    clickButton(ToolsForm->ToolButton5); // Undo right after start-up: the all-zero backup
    EXPECT_EQ(MainForm->Map, qorv::LevelGrid{});
    EXPECT_EQ(MainForm->BackupMap, fresh);
    EXPECT_TRUE(sameImage(raster(), expectedRaster(qorv::LevelGrid{})));
    clickButton(ToolsForm->ToolButton6); // Redo: back again
    EXPECT_EQ(MainForm->Map, fresh);
    EXPECT_TRUE(sameImage(raster(), expectedRaster(fresh)));
}

TEST_F(ToolsWindowTest, NewTakesABackupAndResetsTheSelection) {
    MainForm->Map = patternedLevel(3);
    MainForm->Sel = {5, 5, 10, 10, true};
    clickButton(ToolsForm->ToolButton1);
    EXPECT_EQ(MainForm->Map, newLevel());
    EXPECT_EQ(MainForm->BackupMap, patternedLevel(3));
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
    EXPECT_TRUE(sameImage(raster(), expectedRaster(newLevel())));
    clickButton(ToolsForm->ToolButton5);
    EXPECT_EQ(MainForm->Map, patternedLevel(3)) << "Undo brings back the level before New";
}

TEST_F(ToolsWindowTest, OpenLoadsTheLevelAndUndoBringsBackThePreviousOne) {
    saveLevelFile("castle.qre", patternedLevel(5));
    MainForm->Sel = {5, 5, 10, 10, true};
    openThroughDialog("castle.qre");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(MainForm->Map, patternedLevel(5));
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit - castle.qre");
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
    EXPECT_TRUE(sameImage(raster(), expectedRaster(patternedLevel(5))));
    EXPECT_EQ(dialogs_.lastOptions.defaultSuffix, "qre");
    EXPECT_EQ(dialogs_.lastOptions.filter, "Qorv Levels (*.qre *.qrl);;All files (*)");
    EXPECT_EQ(dialogs_.lastOptions.initialDir, QDir::currentPath())
        << "the test program's folder holds no tile sheet";

    clickButton(ToolsForm->ToolButton5);
    EXPECT_EQ(MainForm->Map, newLevel());
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit - castle.qre") << "the caption stays";
}

TEST(OpenDialogStartFolder, IsTheProgramsFolderOnlyWhereItHoldsTheTileSheet) {
    const QString working = QStringLiteral("/working/dir");
    const std::tuple<const char*, bool, bool> rows[] = {
        // what the program's folder holds, a file?, start in the program's folder?
        {"nothing", false, false}, {"all.bmp", true, true},
        {"all.bmp", false, false}, // a folder of that name
        {"ALL.BMP", true, false},  {"all.bmp.txt", true, false},
    };
    for (const auto& [name, isFile, inProgram] : rows) {
        QTemporaryDir folder;
        QDir dir(folder.path());
        if (isFile)
            QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
        else if (std::string_view(name) != "nothing")
            dir.mkdir(name);
        EXPECT_EQ(openDialogStartFolder(folder.path(), working),
                  inProgram ? folder.path() : working)
            << name << (isFile ? " file" : " folder");
    }
}

TEST_F(ToolsWindowTest, AFailedOpenLeavesLevelUndoStepAndCaption) {
    writeFile("short.qre", QByteArray(64, '3') + "\r\n" + QByteArray(10, '3'));
    writeFile("converted.qre", QByteArray(64, '3').append('\n').repeated(45));
    struct Row {
        const char* file;
        const char* message;
    };
    const Row rows[] = {{"missing.qre", "File not found."},
                        {"short.qre", "Read beyond end of file."},
                        {"converted.qre", "line endings were converted (LF instead of CR LF), as "
                                          "git's text conversion does: see README, Levels in git."},
                        {"nofolder/x.qre", "Invalid filename."}};
    MainForm->BackupMap = patternedLevel(9);
    for (const Row& row : rows) {
        errors_.clear();
        openThroughDialog(row.file);
        EXPECT_EQ(errors_, QStringList{row.message}) << row.file;
        EXPECT_EQ(MainForm->Map, newLevel()) << row.file;
        EXPECT_EQ(MainForm->BackupMap, patternedLevel(9)) << row.file;
        EXPECT_EQ(MainForm->windowTitle(), "QorvEdit") << row.file;
        EXPECT_TRUE(sameImage(raster(), expectedRaster(newLevel()))) << row.file;
    }
}

TEST_F(ToolsWindowTest, CancelledDialogsChangeNothing) {
    MainForm->Map = patternedLevel(2);
    for (QToolButton* button : {ToolsForm->ToolButton2, ToolsForm->ToolButton3}) {
        dialogs_.nextFileName = std::nullopt;
        clickButton(button);
        EXPECT_EQ(MainForm->Map, patternedLevel(2));
        EXPECT_EQ(MainForm->BackupMap, qorv::LevelGrid{});
        EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
    }
    EXPECT_EQ(QDir(path("")).entryList(QDir::Files), QStringList{"all.bmp"});
}

TEST_F(ToolsWindowTest, SaveWritesTheLevelAddsTheExtensionAndSetsTheCaption) {
    MainForm->Map = patternedLevel(4);
    dialogs_.nextFileName = path("dungeon");
    clickButton(ToolsForm->ToolButton3);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit - dungeon.qre");
    EXPECT_EQ(readFile("dungeon.qre"),
              QByteArray::fromStdString(qorv::formatLevel(patternedLevel(4))));
    EXPECT_EQ(MainForm->BackupMap, qorv::LevelGrid{}) << "Save takes no backup";

    dialogs_.nextFileName = path("keep.qrl");
    clickButton(ToolsForm->ToolButton3);
    EXPECT_EQ(readFile("keep.qrl").size(), 2970) << "an extension typed is kept";
}

TEST_F(ToolsWindowTest, AFailedSaveLeavesTheCaption) {
    QDir(path("")).mkdir("folder.qre");
    dialogs_.nextFileName = path("folder.qre");
    clickButton(ToolsForm->ToolButton3);
    EXPECT_EQ(errors_, QStringList{"File access denied."});
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
}

// Once the new level has been renamed into place the save has succeeded, even when the
// folder then fails to sync: no error box, and the caption names the saved file.
TEST_F(ToolsWindowTest, ASaveWhoseFolderFailsToSyncSetsTheCaption) {
    MainForm->Map = patternedLevel(5);
    dialogs_.nextFileName = path("tower.qre");
    {
        qorv::test::InjectedFaults faults(
            qorv::test::Fault{qorv::test::Sys::Fsync, 2, qorv::test::Fault::Fails, EIO});
        clickButton(ToolsForm->ToolButton3);
    }
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit - tower.qre");
    EXPECT_EQ(readFile("tower.qre"),
              QByteArray::fromStdString(qorv::formatLevel(patternedLevel(5))));
}

TEST_F(ToolsWindowTest, FillWritesTheSelectionWithTheForegroundTile) {
    MainForm->ForeTile = 7;
    clickButton(ToolsForm->ToolButton10); // reset selection: the whole interior
    qorv::LevelGrid filled = newLevel();
    for (int x = 1; x <= 62; ++x)
        for (int y = 1; y <= 43; ++y)
            filled.at(x, y) = 7;
    EXPECT_EQ(MainForm->Map, filled);
    EXPECT_EQ(MainForm->BackupMap, newLevel());
    EXPECT_TRUE(sameImage(raster(), expectedRaster(filled)));
    clickButton(ToolsForm->ToolButton5);
    EXPECT_EQ(MainForm->Map, newLevel());
}

TEST_F(ToolsWindowTest, ToolButtonsFormOneGroupAndOnlySetTheTool) {
    const std::pair<QToolButton*, ToolKind> rows[] = {{ToolsForm->ToolButton11, toolSelect},
                                                      {ToolsForm->ToolButton14, toolLine},
                                                      {ToolsForm->ToolButton15, toolEyeDropper},
                                                      {ToolsForm->ToolButton12, toolBrush},
                                                      {ToolsForm->ToolButton12, toolBrush}};
    const QImage before = raster();
    for (const auto& [button, tool] : rows) {
        clickButton(button);
        EXPECT_EQ(MainForm->CurrentTool, tool);
        EXPECT_TRUE(button->isChecked()) << "pressing the button that is down keeps it down";
        int down = 0;
        for (QToolButton* b : {ToolsForm->ToolButton11, ToolsForm->ToolButton12,
                               ToolsForm->ToolButton14, ToolsForm->ToolButton15})
            down += b->isChecked();
        EXPECT_EQ(down, 1);
    }
    EXPECT_TRUE(sameImage(raster(), before));
    EXPECT_EQ(MainForm->BackupMap, qorv::LevelGrid{});
}

TEST_F(ToolsWindowTest, CutCopyPasteAndTheSwatchesDoNothing) {
    const qorv::LevelGrid map = MainForm->Map;
    for (const char* name : {"ToolButton7", "ToolButton8", "ToolButton9"})
        clickButton(ToolsForm->findChild<QToolButton*>(name));
    click(ToolsForm->Image2, Qt::LeftButton, 3, 3);
    click(ToolsForm->Image3, Qt::RightButton, 3, 3);
    EXPECT_EQ(MainForm->Map, map);
    EXPECT_EQ(MainForm->ForeTile, 2);
    EXPECT_EQ(MainForm->BackTile, 0);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(ToolsWindowTest, PalettePicksByPositionAndButton) {
    struct Row {
        int x, y;
        Qt::MouseButton button;
        int fore, back;
    };
    const Row rows[] = {{0, 0, Qt::LeftButton, 0, 0},
                        {25, 13, Qt::LeftButton, 18, 0},
                        {159, 69, Qt::RightButton, 18, 111},
                        {25, 13, Qt::MiddleButton, 18, 18},
                        {159, 69, Qt::LeftButton, 111, 18}};
    for (const Row& row : rows) {
        press(ToolsForm->Image1, row.button, row.x, row.y);
        release(ToolsForm->Image1, row.button, row.x, row.y);
        EXPECT_EQ(MainForm->ForeTile, row.fore) << row.x << "," << row.y;
        EXPECT_EQ(MainForm->BackTile, row.back) << row.x << "," << row.y;
    }
    EXPECT_EQ(MainForm->CurrentTool, toolBrush);
}

TEST_F(ToolsWindowTest, SwatchesShowTheTilesStretchedTo13Pixels) {
    press(ToolsForm->Image1, Qt::LeftButton, 55, 25); // tile 37: column 5, row 2 of the sheet
    press(ToolsForm->Image1, Qt::RightButton, 0, 0);
    const QImage sheet = syntheticSheet();
    for (const auto& [swatch, tile] :
         {std::pair{ToolsForm->Image2, 37}, std::pair{ToolsForm->Image3, 0}}) {
        const QImage& picture = swatch->picture();
        ASSERT_EQ(picture.size(), QSize(14, 14));
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(picture.pixel(x, y), sheet.pixel((tile % 16) * 10 + x * 10 / 13,
                                                           (tile / 16) * 10 + y * 10 / 13))
                    << x << "," << y;
    }
    EXPECT_EQ(ToolsForm->Image1->geometry(), QRect(2, 86, 160, 70));
    EXPECT_EQ(ToolsForm->Image1->picture(), sheet) << "the palette shows the sheet unscaled";
}

TEST_F(ToolsWindowTest, ControlsStandAtTheirLayoutPositions) {
    const std::pair<const char*, QRect> rows[] = {
        {"CoolBar1", {0, 0, 163, 82}},     {"ToolBar1", {9, 0, 146, 24}},
        {"ToolBar2", {9, 26, 146, 25}},    {"ToolBar3", {9, 53, 146, 25}},
        {"ToolButton1", {0, 2, 23, 22}},   {"ToolButton2", {23, 2, 23, 22}},
        {"ToolButton3", {46, 2, 23, 22}},  {"Panel1", {100, 2, 46, 22}},
        {"Image2", {6, 4, 14, 14}},        {"Image3", {25, 4, 14, 14}},
        {"ToolButton10", {69, 2, 23, 22}}, {"ToolButton5", {100, 2, 23, 22}},
        {"ToolButton6", {123, 2, 23, 22}}, {"ToolButton15", {69, 2, 23, 22}},
        {"SpinEdit1", {107, 2, 39, 22}},   {"StatusBar1", {0, 157, 163, 19}},
    };
    for (const auto& [name, geometry] : rows) {
        const QWidget* control = ToolsForm->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), geometry) << name;
    }
    const std::pair<const char*, const char*> hints[] = {
        {"ToolButton1", "New"},
        {"ToolButton2", "Open"},
        {"ToolButton3", "Save"},
        {"ToolButton7", "Cut"},
        {"ToolButton8", "Copy"},
        {"ToolButton9", "Paste"},
        {"ToolButton10", "Fill"},
        {"ToolButton5", "Undo"},
        {"ToolButton6", "Redo"},
        {"ToolButton11", "Select"},
        {"ToolButton12", "Brush"},
        {"ToolButton14", "Line"},
        {"ToolButton15", "Eye dropper"},
        {"SpinEdit1", "Brush size"},
        {"Image2", "Foreground"},
        {"Image3", "Background (Right mouse)"},
        {"Image1", "Left click - foreground, right click - background."}};
    for (const auto& [name, hint] : hints)
        EXPECT_EQ(ToolsForm->findChild<QWidget*>(name)->toolTip(), hint) << name;
    const auto menu = ToolsForm->findChild<QMenu*>("PopupMenu1");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "Set 640x450");
    EXPECT_EQ(menu->actions()[1]->text(), "Set 640x405");
}

class SpinEditTest : public ToolsWindowTest {
  protected:
    void SetUp() override {
        ToolsWindowTest::SetUp();
        QApplication::setActiveWindow(ToolsForm);
        ToolsForm->SpinEdit1->setFocus(Qt::MouseFocusReason);
        ToolsForm->SpinEdit1->findChild<QLineEdit*>()->selectAll();
        QObject::connect(ToolsForm->SpinEdit1, &SpinEdit::changed,
                         [this] { seen_.append(MainForm->BrushSize); });
    }
    QList<int> seen_;
};

TEST_F(SpinEditTest, TypedSizesReachTheBrushAsTyped) {
    QTest::keyClicks(ToolsForm->SpinEdit1, "30");
    EXPECT_EQ(seen_, QList<int>({3, 30}));
    EXPECT_EQ(MainForm->BrushSize, 30);
    // Activating another window keeps the typed size.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(ToolsForm->SpinEdit1, &away);
    EXPECT_EQ(MainForm->BrushSize, 30);
    // Moving to another control of the window brings it into range.
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(ToolsForm->SpinEdit1, &leave);
    EXPECT_EQ(ToolsForm->SpinEdit1->text(), "25");
    EXPECT_EQ(MainForm->BrushSize, 25);
}

// Neither a popup menu taking the focus nor a pick in the palette leaves the field: the
// typed size stays.
TEST_F(SpinEditTest, APopupOrAPalettePickKeepsTheTypedSize) {
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"popup",
         [] {
             ToolsForm->PopupMenu1->popup(ToolsForm->mapToGlobal(QPoint(20, 20)));
             ASSERT_TRUE(QTest::qWaitForWindowExposed(ToolsForm->PopupMenu1));
             ToolsForm->PopupMenu1->close();
         }},
        {"palette", [] { click(ToolsForm->Image1, Qt::LeftButton, 25, 13); }},
    };
    for (const auto& [name, leaveAside] : rows) {
        QApplication::setActiveWindow(ToolsForm);
        ToolsForm->SpinEdit1->setFocus(Qt::MouseFocusReason);
        ToolsForm->SpinEdit1->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(ToolsForm->SpinEdit1, "30");
        leaveAside();
        EXPECT_EQ(ToolsForm->SpinEdit1->text(), "30") << name;
        EXPECT_EQ(MainForm->BrushSize, 30) << name;
    }
    EXPECT_EQ(MainForm->ForeTile, 18) << "the pick was made";
}

TEST_F(SpinEditTest, EmptyOrNonNumericTextGivesOneAndLeavingClampsToTheNearerBound) {
    // Text that is no whole number reads as 1, which is in range: leaving keeps it.
    const std::tuple<const char*, int, const char*> rows[] = {
        {"", 1, ""},     {"abc", 1, "abc"}, {"0", 0, "1"},
        {"-7", -7, "1"}, {"12", 12, "12"},  {"99999999999", 1, "99999999999"},
        {"26", 26, "25"}};
    for (const auto& [typed, size, after] : rows) {
        ToolsForm->SpinEdit1->findChild<QLineEdit*>()->setText(typed);
        EXPECT_EQ(MainForm->BrushSize, size) << typed;
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(ToolsForm->SpinEdit1, &leave);
        EXPECT_EQ(ToolsForm->SpinEdit1->text(), after) << typed;
    }
}

TEST_F(SpinEditTest, SpinButtonsStayWithinOneTo25) {
    ToolsForm->SpinEdit1->setValue(24);
    ToolsForm->SpinEdit1->stepBy(1);
    ToolsForm->SpinEdit1->stepBy(1);
    EXPECT_EQ(MainForm->BrushSize, 25);
    ToolsForm->SpinEdit1->setValue(2);
    QTest::keyClick(ToolsForm->SpinEdit1, Qt::Key_Down);
    QTest::keyClick(ToolsForm->SpinEdit1, Qt::Key_Down);
    EXPECT_EQ(MainForm->BrushSize, 1);
    // From a typed size outside the range, either button steps into it.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down}) {
        ToolsForm->SpinEdit1->setValue(30);
        QTest::keyClick(ToolsForm->SpinEdit1, key);
        EXPECT_EQ(MainForm->BrushSize, 25);
    }
}

TEST_F(SpinEditTest, EveryKeyAndTheWheelStepByOne) {
    const auto wheel = [](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(5, 5);
        QWheelEvent event(at, ToolsForm->SpinEdit1->mapToGlobal(at), {}, {0, delta}, Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ToolsForm->SpinEdit1, &event);
    };
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers) {
        return [=] { QTest::keyClick(ToolsForm->SpinEdit1, k, modifiers); };
    };
    const std::tuple<const char*, std::function<void()>, int> rows[] = {
        {"Page Up", key(Qt::Key_PageUp, {}), 6},
        {"Page Down", key(Qt::Key_PageDown, {}), 4},
        {"Control+Up", key(Qt::Key_Up, Qt::ControlModifier), 6},
        {"Control+Down", key(Qt::Key_Down, Qt::ControlModifier), 4},
        {"Control+Page Up", key(Qt::Key_PageUp, Qt::ControlModifier), 6},
        {"wheel up", [&] { wheel(120, {}); }, 6},
        {"wheel down", [&] { wheel(-120, {}); }, 4},
        {"Control+wheel up", [&] { wheel(120, Qt::ControlModifier); }, 6},
        {"Control+wheel down", [&] { wheel(-120, Qt::ControlModifier); }, 4},
    };
    for (const auto& [name, step, size] : rows) {
        ToolsForm->SpinEdit1->setValue(5);
        step();
        EXPECT_EQ(MainForm->BrushSize, size) << name;
        EXPECT_EQ(ToolsForm->SpinEdit1->text(), QString::number(size)) << name;
    }
}
