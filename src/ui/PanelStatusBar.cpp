#include "ui/PanelStatusBar.h"

#include <QEvent>
#include <QLabel>

namespace {
const char* const PanelNames[PanelStatusBar::PanelCount] = {"CursorPanel", "SelectionSizePanel"};
const char* const PanelRoles[PanelStatusBar::PanelCount] = {"Cursor cell", "Selection size"};

// A label's accessible name is its text only while no name is set; the panels' names say
// what the text is and carry the text itself, so a screen reader reads "Cursor cell:
// -15 : 44", and an empty panel still has a name.
QString accessibleNameOf(int index, const QString& text) {
    const QString role = QString::fromLatin1(PanelRoles[index]);
    return text.isEmpty() ? role : role + QStringLiteral(": ") + text;
}
} // namespace

PanelStatusBar::PanelStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false); // the tools window cannot be resized
    for (int i = 0; i < PanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(PanelNames[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(2);
        label->setAccessibleName(accessibleNameOf(i, {}));
        panels_[i] = label;
    }
    fixHeights();
    panels_[0]->setFixedWidth(FirstPanelWidth);
    // The last panel's width follows the window, never its text.
    panels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(panels_[0]);
    addWidget(panels_[1], 1);
}

void PanelStatusBar::fixHeights() {
    // One line of text, at a height fixed by the font: a label whose size could still
    // change would have the bar laid out again at every new text, and the cursor text
    // changes at every mouse move (measured: a tenth of a brush move's cost).
    // From the bar's own font, which the panels inherit: a label's size hint never drops
    // below its fixed height, and with no text it would keep the old height for good.
    for (QLabel* panel : panels_)
        panel->setFixedHeight(fontMetrics().height() + 2 * (panel->frameWidth() + panel->margin()));
}

void PanelStatusBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) fixHeights();
    QStatusBar::changeEvent(event);
}

QString PanelStatusBar::panelText(int index) const {
    return panels_.at(index)->text();
}

void PanelStatusBar::setPanelText(int index, const QString& text) {
    // The cursor's cell is set again on every move: an unchanged text asks for no new
    // layout and no accessibility event.
    if (index < 0 || index >= PanelCount || panels_[index]->text() == text) return;
    panels_[index]->setText(text);
    panels_[index]->setAccessibleName(accessibleNameOf(index, text));
    if (index == 0) widenToFit(panels_[0]);
}

void PanelStatusBar::widenToFit(QLabel* panel) {
    // 50 pixels hold every cursor text on a screen up to 1024 pixels wide at the layout's
    // font size. A wider screen (three-digit cells) or a larger font widens the panel for
    // good rather than cut a text off; the last panel gives up the room.
    const int margins = 2 * panel->frameWidth() + 2 * panel->indent();
    const int needed = panel->fontMetrics().horizontalAdvance(panel->text()) + margins;
    if (needed > panel->width()) panel->setFixedWidth(needed);
}
