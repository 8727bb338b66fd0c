// Every control of the four windows has a name for assistive technology.

#include "EditorFixture.h"

#include "ui/SpinEdit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QLabel>

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

QString accessibleName(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

} // namespace

TEST_F(EditorFixture, EveryControlHasAnAccessibleName) {
    int controls = 0;
    for (QWidget* window : {static_cast<QWidget*>(MainForm), static_cast<QWidget*>(ToolsForm),
                            static_cast<QWidget*>(ViewForm), static_cast<QWidget*>(View1)}) {
        for (QWidget* w : window->findChildren<QWidget*>()) {
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
