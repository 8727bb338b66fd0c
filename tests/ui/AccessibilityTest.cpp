// What assistive technology reads: every control's name, the brush size's value and range,
// the roles of windows, frames and tools, and the swatches' tiles.

#include "EditorFixture.h"

#include "ui/SpinEdit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>

#include <iostream>

using namespace testing_ui;

namespace {

// What a user reaches or reads: buttons, fields, lists, texts and the picture controls.
// Frames that only group other controls are left out, and so are the inner parts of a
// control (the spin edit's text field).
bool isControl(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QAbstractItemView*>(p)) return false;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QLabel*>(w) ||
           qobject_cast<RasterImage*>(w) || qobject_cast<PanelStatusBar*>(w);
}

QAccessibleInterface* face(QWidget* w) {
    return QAccessible::queryAccessibleInterface(w);
}

QString accessibleName(QWidget* w) {
    return face(w) ? face(w)->text(QAccessible::Name) : QString();
}

} // namespace

TEST_F(EditorFixture, EveryControlHasAnAccessibleName) {
    int controls = 0;
    for (QWidget* window : {static_cast<QWidget*>(MainForm), static_cast<QWidget*>(ToolsForm),
                            static_cast<QWidget*>(ViewForm), static_cast<QWidget*>(View1)}) {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->isWindow()) continue;
            if (!isControl(w) || w->window() != window) continue;
            ++controls;
            const QString name = accessibleName(w);
            std::cout << "  " << window->objectName().toStdString() << "."
                      << w->objectName().toStdString() << ": \"" << name.toStdString() << "\"\n";
            EXPECT_FALSE(name.trimmed().isEmpty()) << w->objectName().toStdString();
        }
    }
    // 13 buttons, the spin edit, three images and the status bar; the raster; the list;
    // the preview.
    EXPECT_GE(controls, 21);
}

// A screen reader reads the status texts themselves, not only what the panels are for.
TEST_F(EditorFixture, StatusPanelsAreReadWithTheirTexts) {
    move(MainForm->Image, 155, 125);
    ASSERT_EQ(panel(0), QStringLiteral("15 : 12"));
    EXPECT_EQ(accessibleName(ToolsForm->StatusBar1->panel(0)),
              QStringLiteral("Cursor cell: 15 : 12"));
    EXPECT_EQ(accessibleName(ToolsForm->StatusBar1->panel(1)), QStringLiteral("Selection size"));
}

TEST_F(EditorFixture, IconButtonsAreNamedByTheirHints) {
    for (QToolButton* button : ToolsForm->findChildren<QToolButton*>())
        EXPECT_EQ(button->accessibleName(), button->toolTip())
            << button->objectName().toStdString();
    EXPECT_EQ(ToolsForm->ToolButton6->toolTip(), "Redo");
}

TEST_F(EditorFixture, BrushSizeReadsItsShownValueInTheRangeOneTo25) {
    QAccessibleValueInterface* value = face(ToolsForm->SpinEdit1)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue(), 1);
    EXPECT_EQ(value->minimumValue(), 1);
    EXPECT_EQ(value->maximumValue(), 25);

    QApplication::setActiveWindow(ToolsForm);
    ToolsForm->SpinEdit1->setFocus(Qt::MouseFocusReason);
    ToolsForm->SpinEdit1->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(ToolsForm->SpinEdit1, "30");
    EXPECT_EQ(value->currentValue(), 30);
}

// Screen readers announce Qt's windows and borders as windows ("frame" on AT-SPI): only the
// four windows say they are one; the frames that lay out controls are groupings, or
// separators where they hold nothing; the four tools are one group of radio buttons.
TEST_F(EditorFixture, WindowsFramesAndToolsHaveTheirRoles) {
    const QList<QWidget*> windows{MainForm, ToolsForm, ViewForm, View1};
    for (QWidget* window : windows) {
        EXPECT_EQ(face(window)->role(), QAccessible::Window) << window->objectName().toStdString();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->isWindow()) continue;
            const QAccessible::Role role = face(w)->role();
            EXPECT_TRUE(role != QAccessible::Window && role != QAccessible::Border)
                << w->objectName().toStdString();
        }
    }
    for (QFrame* frame : ToolsForm->findChildren<QFrame*>()) {
        if (frame->metaObject() != &QFrame::staticMetaObject) continue;
        const bool holdsControls = !frame->findChildren<QWidget*>().isEmpty();
        EXPECT_EQ(face(frame)->role(),
                  holdsControls ? QAccessible::Grouping : QAccessible::Separator)
            << frame->objectName().toStdString();
    }
    const QList<QToolButton*> tools{ToolsForm->ToolButton11, ToolsForm->ToolButton12,
                                    ToolsForm->ToolButton14, ToolsForm->ToolButton15};
    for (QToolButton* button : ToolsForm->findChildren<QToolButton*>())
        EXPECT_EQ(face(button)->role() == QAccessible::RadioButton, tools.contains(button))
            << button->objectName().toStdString();
    // Pressed through accessibility, a tool is chosen as by a click, and the group follows.
    face(ToolsForm->ToolButton14)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(MainForm->CurrentTool, toolLine);
    for (QToolButton* button : tools) {
        const QAccessible::State state = face(button)->state();
        EXPECT_TRUE(state.checkable);
        EXPECT_EQ(bool(state.checked), button == ToolsForm->ToolButton14)
            << button->objectName().toStdString();
    }
}

TEST_F(EditorFixture, SwatchesSayWhichTileTheyHold) {
    const auto names = [] {
        return QStringList{accessibleName(ToolsForm->Image2), accessibleName(ToolsForm->Image3)};
    };
    EXPECT_EQ(names(), QStringList({"Foreground: tile 2", "Background: tile 0"}));
    click(ToolsForm->Image1, Qt::RightButton, 25, 13);
    EXPECT_EQ(names(), QStringList({"Foreground: tile 2", "Background: tile 18"}));
    click(ToolsForm->Image1, Qt::LeftButton, 159, 69);
    EXPECT_EQ(names(), QStringList({"Foreground: tile 111", "Background: tile 18"}));
}

// The level is a table of its cells; the cursor's cell is the focused one, and the cells of a
// shown selection are the selected ones.
TEST_F(EditorFixture, TheRasterIsATableOfCellsWithTheCursorsCellFocused) {
    QAccessibleInterface* level = face(MainForm->Image);
    ASSERT_EQ(level->role(), QAccessible::Table);
    QAccessibleTableInterface* table = level->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 45);
    EXPECT_EQ(table->columnCount(), 64);
    EXPECT_EQ(level->childCount(), 45 * 64);
    QAccessibleInterface* cell = table->cellAt(3, 5);
    EXPECT_EQ(cell->text(QAccessible::Name), "column 5, row 3: tile 0");
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(level->indexOfChild(cell), 3 * 64 + 5);
    EXPECT_EQ(level->child(3 * 64 + 5), cell); // one interface per cell, kept
    EXPECT_EQ(table->cellAt(45, 0), nullptr);

    MainForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    for (const auto& [key, name] : {std::pair{Qt::Key_Right, "column 2, row 1: tile 0"},
                                    std::pair{Qt::Key_Up, "column 2, row 0: tile 1"},
                                    std::pair{Qt::Key_Down, "column 2, row 1: tile 0"}}) {
        QTest::keyClick(MainForm->Image, key);
        ASSERT_NE(level->focusChild(), nullptr);
        EXPECT_EQ(level->focusChild()->text(QAccessible::Name), name);
        EXPECT_TRUE(level->focusChild()->state().focused);
    }
    QTest::keyClick(MainForm->Image, Qt::Key_Space);
    EXPECT_EQ(level->focusChild()->text(QAccessible::Name), "column 2, row 1: tile 2");
    EXPECT_EQ(level->focusChild()->text(QAccessible::Description), "Stamped tile 2, size 1");
    QTest::keyClick(MainForm->Image, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(MainForm->Image, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(table->selectedCellCount(), 4);
    EXPECT_TRUE(table->cellAt(2, 3)->tableCellInterface()->isSelected());
    EXPECT_FALSE(table->cellAt(3, 3)->tableCellInterface()->isSelected());
    EXPECT_EQ(level->focusChild()->text(QAccessible::Description), "Selection size: (2 x 2)");
}
