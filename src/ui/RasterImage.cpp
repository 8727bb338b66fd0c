#include "ui/RasterImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

RasterImage::RasterImage(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // moves without a button update the status bar
    // Every pixel of a paint is drawn here, so the window's background need not be.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RasterImage::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void RasterImage::showChanged(const QRect& pictureArea) {
    if (!pictureArea.isEmpty()) update(pictureArea);
}

int RasterImage::buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 0;
    case Qt::RightButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    default:
        return 3; // extra buttons count as "not left", like right and middle
    }
}

namespace {
// Writes the part of a 24-bit picture inside `area` into the top-left corner of
// `screen`, in the screen's 32-bit format.
void convertToScreen(const QImage& picture, const QRect& area, QImage& screen) {
    for (int row = 0; row < area.height(); ++row) {
        const uchar* from = picture.constScanLine(area.top() + row) + area.left() * 3;
        auto* to = reinterpret_cast<QRgb*>(screen.scanLine(row));
        for (int column = 0; column < area.width(); ++column, from += 3)
            to[column] = qRgb(from[0], from[1], from[2]);
    }
}
} // namespace

void RasterImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    const QRect source = dirty.intersected(picture_.rect());
    if (source != dirty) painter.fillRect(dirty, palette().button());
    // Screens with a device pixel ratio draw the picture enlarged by whole factors
    // without smoothing, so tiles stay crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (source.isEmpty()) return;
    if (picture_.format() != QImage::Format_RGB888) {
        painter.drawImage(source.topLeft(), picture_, source);
        return;
    }
    // Qt would convert the whole 24-bit picture for every paint (over a thread pool);
    // converting just the changed part keeps a brush stamp's repaint small.
    if (screenBuffer_.width() < source.width() || screenBuffer_.height() < source.height())
        screenBuffer_ =
            QImage(source.size().expandedTo(screenBuffer_.size()), QImage::Format_RGB32);
    convertToScreen(picture_, source, screenBuffer_);
    painter.drawImage(source.topLeft(), screenBuffer_, QRect(QPoint(0, 0), source.size()));
}

namespace {
// Positions in whole picture pixels, also beyond the control while a button is held.
int pixelOf(qreal position) {
    return int(std::floor(position));
}
} // namespace

void RasterImage::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(buttonCode(event->button()), pixelOf(event->position().x()),
                      pixelOf(event->position().y()));
}

void RasterImage::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(pixelOf(event->position().x()), pixelOf(event->position().y()));
}

void RasterImage::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(buttonCode(event->button()), pixelOf(event->position().x()),
                       pixelOf(event->position().y()));
}
