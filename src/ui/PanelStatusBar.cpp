#include "ui/PanelStatusBar.h"

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

void PanelStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < PanelCount; ++i) {
        const QRect box = panelRect(i).adjusted(0, 2, -2, 0);
        qDrawShadePanel(&painter, box, palette(), true, 1);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(box.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, texts_[i]);
    }
}
