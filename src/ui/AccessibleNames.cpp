#include "ui/AccessibleNames.h"

#include "ui/MainUnit.h"
#include "ui/PanelStatusBar.h"
#include "ui/RasterImage.h"
#include "ui/SpinEdit.h"
#include "ui/Tools.h"
#include "ui/view.h"
#include "ui/view1form.h"

#include <QListWidget>
#include <QToolButton>

namespace ui {

namespace {

void name(QWidget* control, const QString& text) {
    if (control && control->accessibleName().isEmpty()) control->setAccessibleName(text);
}

// A control whose hint says what it is.
void nameByHint(QWidget* control) {
    name(control, control->toolTip());
}

} // namespace

void nameControls() {
    name(MainForm->Image, QStringLiteral("Level"));
    for (QToolButton* button : ToolsForm->findChildren<QToolButton*>())
        nameByHint(button);
    nameByHint(ToolsForm->SpinEdit1);
    nameByHint(ToolsForm->Image2);
    nameByHint(ToolsForm->Image3);
    name(ToolsForm->Image1, QStringLiteral("Tile palette"));
    ToolsForm->Image1->setAccessibleDescription(ToolsForm->Image1->toolTip());
    name(ToolsForm->StatusBar1, QStringLiteral("Status bar"));
    // The status bar's text panels name themselves, with their texts.
    name(ViewForm->LBox, QStringLiteral("Levels"));
    name(View1->Image, QStringLiteral("Level preview"));
}

void nameSwatch(QWidget& swatch, const QString& which, int tile) {
    const QString text = QStringLiteral("%1: tile %2").arg(which).arg(tile);
    if (swatch.accessibleName() != text) swatch.setAccessibleName(text); // a change is announced
}

} // namespace ui
