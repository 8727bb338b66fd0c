// The keyboard: every shortcut, pressed in the main window and in the tools window, does
// exactly what its button does.

#include "EditorFixture.h"

#include "core/AsciiGrid.h"
#include "levelio/LevelFile.h"
#include "render/CellMarks.h"
#include "ui/SpinEdit.h"

#include <QKeySequence>
#include <QListWidget>

using namespace testing_ui;

namespace {

// Everything a command may change.
struct Outcome {
    qorv::LevelGrid map, backup;
    qorv::Selection sel;
    ToolKind tool;
    QString caption;
    QImage raster;
    QByteArray saved;
    int dialogs;
    bool browserShown;
    QStringList checkedTools;
    QStringList errors;
    QString brushSize; // the brush-size field's text
};

using Button = QToolButton* TToolsForm::*;

struct Row {
    const char* key;
    Button button;
};

// The desktop's standard keys on Linux, and one letter per tool.
const Row Rows[] = {
    {"Ctrl+N", &TToolsForm::ToolButton1}, {"Ctrl+O", &TToolsForm::ToolButton2},
    {"Ctrl+S", &TToolsForm::ToolButton3}, {"Ctrl+Z", &TToolsForm::ToolButton5},
    {"Ctrl+Y", &TToolsForm::ToolButton6}, {"Ctrl+Shift+Z", &TToolsForm::ToolButton6},
    {"F", &TToolsForm::ToolButton10},     {"S", &TToolsForm::ToolButton11},
    {"B", &TToolsForm::ToolButton12},     {"L", &TToolsForm::ToolButton14},
    {"E", &TToolsForm::ToolButton15},
};

// Where a key is pressed: the editing window, the tools window, and its brush-size field
// with the caret in it, a line edit that has keys of its own.
enum class Place { Main, Tools, BrushSize };

class KeyboardTest : public EditorFixture {
  protected:
    // A level, a different backup, a shown selection and the Line tool, so that every
    // command has something to change; a file to open and a name to save under.
    void prepare() {
        qorv::saveQRE(path("castle.qre").toStdString(), patternedLevel(5));
        MainForm->Map = patternedLevel(3);
        MainForm->BackupMap = patternedLevel(4);
        clickButton(ToolsForm->ToolButton14);
        MainForm->Sel = {5, 5, 20, 12, true};
        MainForm->drawall();
        dialogs_.nextFileName = path("castle.qre");
    }
    void prepareSave() { dialogs_.nextFileName = path("saved.qre"); }

    Outcome outcome() const {
        QStringList checked;
        for (QToolButton* b : {ToolsForm->ToolButton11, ToolsForm->ToolButton12,
                               ToolsForm->ToolButton14, ToolsForm->ToolButton15})
            if (b->isChecked()) checked << b->toolTip();
        return {MainForm->Map,
                MainForm->BackupMap,
                MainForm->Sel,
                MainForm->CurrentTool,
                MainForm->windowTitle(),
                raster(),
                readFile("saved.qre"),
                dialogs_.fileDialogs - dialogsBefore_,
                ViewForm->isVisible(),
                checked,
                errors_,
                ToolsForm->SpinEdit1->text()};
    }

    Outcome byButton(const Row& row) {
        begin(row);
        clickButton(ToolsForm->*row.button);
        return outcome();
    }

    Outcome byKey(const Row& row, Place place) {
        begin(row); // a fresh editor: the windows are new ones
        QWidget* window = place == Place::Main ? static_cast<QWidget*>(MainForm) : ToolsForm;
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        if (place == Place::BrushSize) ToolsForm->SpinEdit1->setFocus(Qt::MouseFocusReason);
        const QKeySequence key = QKeySequence::fromString(QString::fromLatin1(row.key));
        // Keys go where a user's keys go: to the control with the focus, if any.
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != window) target = window;
        if (place == Place::BrushSize) {
            EXPECT_EQ(target, static_cast<QWidget*>(ToolsForm->SpinEdit1));
        }
        QTest::keyClick(target, key[0].key(), key[0].keyboardModifiers());
        return outcome();
    }

  private:
    void begin(const Row& row) {
        startEditor(Sheet::Good);
        prepare();
        if (row.button == &TToolsForm::ToolButton3) prepareSave();
        dialogsBefore_ = dialogs_.fileDialogs;
    }
    int dialogsBefore_ = 0;
};

} // namespace

TEST_F(KeyboardTest, EveryShortcutDoesWhatItsButtonDoesInBothWindows) {
    for (const Row& row : Rows) {
        const Outcome expected = byButton(row);
        for (const Place place : {Place::Main, Place::Tools, Place::BrushSize}) {
            const Outcome got = byKey(row, place);
            const char* where[] = {" in the main window", " in the tools window",
                                   " in the brush-size field"};
            SCOPED_TRACE(std::string(row.key) + where[int(place)]);
            EXPECT_EQ(got.map, expected.map);
            EXPECT_EQ(got.backup, expected.backup);
            EXPECT_EQ(got.sel, expected.sel);
            EXPECT_EQ(got.tool, expected.tool);
            EXPECT_EQ(got.caption, expected.caption);
            EXPECT_TRUE(sameImage(got.raster, expected.raster));
            EXPECT_EQ(got.saved, expected.saved);
            EXPECT_EQ(got.dialogs, expected.dialogs);
            EXPECT_EQ(got.browserShown, expected.browserShown);
            EXPECT_EQ(got.checkedTools, expected.checkedTools);
            EXPECT_EQ(got.errors, expected.errors);
            EXPECT_EQ(got.brushSize, expected.brushSize);
        }
    }
}

// The outcomes above must differ from doing nothing, or the comparison proves little.
TEST_F(KeyboardTest, EveryShortcutChangesSomething) {
    for (const Row& row : Rows) {
        startEditor(Sheet::Good);
        prepare();
        if (row.button == &TToolsForm::ToolButton3) prepareSave();
        const qorv::LevelGrid map = MainForm->Map;
        const ToolKind tool = MainForm->CurrentTool;
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
        const QKeySequence key = QKeySequence::fromString(QString::fromLatin1(row.key));
        QTest::keyClick(MainForm, key[0].key(), key[0].keyboardModifiers());
        const bool changed = MainForm->Map != map || MainForm->CurrentTool != tool ||
                             !readFile("saved.qre").isEmpty();
        EXPECT_TRUE(changed || row.button == &TToolsForm::ToolButton14) << row.key;
    }
}

// A key pressed while a button is held in the editing window waits for the release: the
// drag under way keeps its tool, and the stroke its level and undo step.
TEST_F(KeyboardTest, NoShortcutActsDuringADrag) {
    for (const char* key : {"B", "Ctrl+Z", "F", "Ctrl+N"}) {
        startEditor(Sheet::Good);
        clickButton(ToolsForm->ToolButton11);
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
        press(MainForm->Image, Qt::LeftButton, 55, 55);
        move(MainForm->Image, 155, 125, Qt::LeftButton);
        const qorv::LevelGrid map = MainForm->Map, backup = MainForm->BackupMap;
        const QKeySequence sequence = QKeySequence::fromString(QString::fromLatin1(key));
        QTest::keyClick(MainForm, sequence[0].key(), sequence[0].keyboardModifiers());
        EXPECT_EQ(MainForm->CurrentTool, toolSelect) << key;
        EXPECT_EQ(MainForm->Map, map) << key;
        EXPECT_EQ(MainForm->BackupMap, backup) << key;
        release(MainForm->Image, Qt::LeftButton, 155, 125);
        EXPECT_EQ(MainForm->Sel, (qorv::Selection{6, 6, 16, 12, true})) << key;
    }
}

// The browser and the preview have no shortcuts: a letter goes to the list's type-ahead,
// and no key changes the level, its undo step, the selection, the tool or the caption.
TEST_F(KeyboardTest, NoShortcutActsInTheBrowserOrThePreview) {
    const struct {
        bool inPreview;
        const char* key;
        const char* current; // the list's current item afterwards
    } rows[] = {
        {false, "L", "lake.qre"},     {false, "F", "forest.qre"}, {false, "E", "eel.qre"},
        {false, "Ctrl+Z", "eel.qre"}, {true, "E", "eel.qre"},     {true, "F", "eel.qre"},
        {true, "Ctrl+N", "eel.qre"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) +
                     (row.inPreview ? " in the preview" : " in the browser"));
        startEditor(Sheet::Good);
        for (const char* name : {"eel.qre", "forest.qre", "lake.qre"})
            qorv::saveQRE(path(name).toStdString(), patternedLevel(1));
        MainForm->BackupMap = patternedLevel(4);
        openBrowser();
        select("eel.qre");
        QWidget* window = row.inPreview ? static_cast<QWidget*>(View1) : ViewForm;
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != window) target = window;
        const QKeySequence key = QKeySequence::fromString(QString::fromLatin1(row.key));
        QTest::keyClick(target, key[0].key(), key[0].keyboardModifiers());
        EXPECT_EQ(MainForm->Map, newLevel());
        EXPECT_EQ(MainForm->BackupMap, patternedLevel(4));
        EXPECT_EQ(MainForm->Sel, qorv::selectall());
        EXPECT_EQ(MainForm->CurrentTool, toolBrush);
        EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
        EXPECT_EQ(ViewForm->LBox->currentItem()->text().toStdString(), row.current);
    }
}

// --- The cell cursor -----------------------------------------------------------------------

namespace {

// Keys pressed where a user's keys go, with the main window active: the raster has the focus.
void typeKeys(const char* keys) {
    MainForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    ASSERT_EQ(QApplication::focusWidget(), MainForm->Image);
    for (const QString& name : QString::fromLatin1(keys).split(' ', Qt::SkipEmptyParts)) {
        const QKeySequence key = QKeySequence::fromString(name);
        ASSERT_FALSE(key.isEmpty()) << name.toStdString();
        QTest::keyClick(QApplication::focusWidget(), key[0].key(), key[0].keyboardModifiers());
    }
}

// The level after the keys: `rows` over the top-left corner of a new level.
struct CellKeysRow {
    const char* keys;
    qorv::CellCursor cursor;
    qorv::test::Rows map;
    qorv::Selection sel;
    int fore, back, brush;
};

const qorv::Selection None = qorv::selectall();

// Each row starts from a new level with the cursor at (1, 1), foreground tile 2, background
// tile 7 and a brush of size 1.
const CellKeysRow CellKeysRows[] = {
    {"Right Right Down", {3, 2}, {}, None, 2, 7, 1},
    {"Left Up Left", {0, 0}, {}, None, 2, 7, 1},
    {"Ctrl+End Home PgUp", {0, 34}, {}, None, 2, 7, 1},
    {"PgDown End Ctrl+Home", {0, 0}, {}, None, 2, 7, 1},
    {"Ctrl+Right", {63, 1}, {}, None, 2, 7, 1},
    {"Ctrl+Left Ctrl+Down", {0, 44}, {}, None, 2, 7, 1},
    // Stamps: the foreground and the background tile; never on the border.
    {"Space", {1, 1}, {"1111", "1200"}, None, 2, 7, 1},
    {"Right Shift+Space", {2, 1}, {"1111", "1070"}, None, 2, 7, 1},
    {"Ctrl+Home Space Down Space", {0, 1}, {}, None, 2, 7, 1},
    // A selection from the cursor bounds a larger stamp.
    {"Shift+Right Shift+Down = = Space",
     {2, 2},
     {"11111", "12200", "12200", "10000"},
     {1, 1, 3, 3, true},
     2,
     7,
     3},
    {"Shift+Down Shift+Down Escape Space", {1, 3}, {"111", "100", "100", "120"}, None, 2, 7, 1},
    {"= = = - Space", {1, 1}, {"1111", "1220", "1220", "1000"}, None, 2, 7, 3},
    {"- Space", {1, 1}, {"111", "120"}, None, 2, 7, 1},
    // Picks: under the cursor, and by number within the palette.
    {"Shift+Space I", {1, 1}, {"111", "170"}, None, 7, 7, 1},
    {"Left Shift+I", {0, 1}, {}, None, 2, 1, 1},
    {"4 5 Return Space", {1, 1}, {"111", "1j0"}, None, 45, 7, 1},
    {"1 1 2 Return", {1, 1}, {}, None, 2, 7, 1},
    {"1 1 1 Return", {1, 1}, {}, None, 111, 7, 1},
    {"4 Right 5 Return", {2, 1}, {}, None, 5, 7, 1}, // a move drops the digits before it
    // One undo step per key.
    {"Space Right Space Ctrl+Z", {2, 1}, {"1111", "1200"}, None, 2, 7, 1},
};

} // namespace

TEST_F(EditorFixture, CellKeysMoveStampSelectAndPickAsTheMouseDoes) {
    for (const CellKeysRow& row : CellKeysRows) {
        SCOPED_TRACE(row.keys);
        startEditor(Sheet::Good);
        MainForm->BackTile = 7;
        typeKeys(row.keys);
        EXPECT_EQ(MainForm->Cursor, row.cursor)
            << "(" << MainForm->Cursor.x << ", " << MainForm->Cursor.y << ")";
        EXPECT_EQ(MainForm->Map, qorv::test::grid(row.map, newLevel()));
        EXPECT_EQ(MainForm->Sel, row.sel);
        EXPECT_EQ(std::tuple(int(MainForm->ForeTile), int(MainForm->BackTile), MainForm->BrushSize),
                  std::tuple(row.fore, row.back, row.brush));
        EXPECT_EQ(panel(0), QStringLiteral("%1 : %2").arg(row.cursor.x).arg(row.cursor.y));
        EXPECT_EQ(panel(1), QString::fromStdString(row.sel.SelectionShown ? qorv::sizeText(row.sel)
                                                                          : std::string()));
        // The picture is the level and the selection's outline; the cursor is drawn over it.
        QImage expected = expectedRaster(MainForm->Map);
        if (row.sel.SelectionShown) qorv::drawFocusRect(expected, qorv::outlineRect(row.sel));
        EXPECT_TRUE(sameImage(raster(), expected));
    }
}

// Until a key is used on the raster it shows the level alone, also after the mouse has given
// it the focus; the first key frames the cursor's cell over the picture.
TEST_F(EditorFixture, TheCursorIsDrawnOnlyOnceAKeyIsUsedOnTheRaster) {
    const auto shown = [] {
        return MainForm->Image->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    move(MainForm->Image, 155, 125);
    click(MainForm->Image, Qt::LeftButton, 155, 125); // a stamp of the brush at (15, 12)
    QImage stamped = expectedRaster(qorv::test::withCell(newLevel(), 15, 12, 2))
                         .convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(sameImage(shown(), stamped));
    EXPECT_EQ(panel(0), "15 : 12");

    typeKeys("Down");
    qorv::markCell(stamped, 1, 2);
    EXPECT_TRUE(sameImage(shown(), stamped));
    EXPECT_EQ(panel(0), "1 : 2");
    EXPECT_TRUE(sameImage(raster(), expectedRaster(qorv::test::withCell(newLevel(), 15, 12, 2))));
}

// Keys while a button is held in the raster wait for the release, as the shortcuts do.
TEST_F(EditorFixture, NoCellKeyActsDuringADrag) {
    press(MainForm->Image, Qt::LeftButton, 55, 55);
    typeKeys("Right Space Shift+Down I 4 Return");
    release(MainForm->Image, Qt::LeftButton, 55, 55);
    EXPECT_EQ(MainForm->Cursor, (qorv::CellCursor{1, 1}));
    EXPECT_EQ(MainForm->Map, qorv::test::withCell(newLevel(), 5, 5, 2));
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
    EXPECT_EQ(MainForm->ForeTile, 2);
}
