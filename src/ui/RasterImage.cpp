#include "ui/RasterImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

RasterImage::RasterImage(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // moves without a button update the status bar
    setAttribute(Qt::WA_OpaquePaintEvent, false);
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

void RasterImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().button());
    // Only the dirty part of the picture is copied. Screens with a device pixel ratio
    // draw it enlarged by whole factors without smoothing, so tiles stay crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect source = dirty.intersected(picture_.rect());
    if (!source.isEmpty()) painter.drawImage(source.topLeft(), picture_, source);
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
