#include "ui/PanelStatusBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

PanelStatusBar::PanelStatusBar(QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < PanelCount; ++i)
        texts_.append(QString());
}

void PanelStatusBar::setPanelText(int panel, const QString& text) {
    if (panel < 0 || panel >= PanelCount || texts_[panel] == text) return;
    texts_[panel] = text;
    update(panelRect(panel));
}

QRect PanelStatusBar::panelRect(int panel) const {
    return QRect(panel * PanelWidth, 0, PanelWidth, height());
}

void PanelStatusBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    // The cursor text changes on every mouse move: only the panel that changed is drawn.
    for (int i = 0; i < PanelCount; ++i) {
        if (!event->rect().intersects(panelRect(i))) continue;
        const QRect box = panelRect(i).adjusted(0, 2, -2, 0);
        qDrawShadePanel(&painter, box, palette(), true, 1);
        painter.drawText(box.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, texts_[i]);
    }
}
