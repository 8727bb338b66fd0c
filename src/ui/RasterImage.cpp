#include "ui/RasterImage.h"

#include "core/LevelGrid.h"
#include "render/CellMarks.h"

#include <QKeyEvent>
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

namespace {
QRect cellArea(QPoint cell) {
    return {cell.x() * qorv::CellSize, cell.y() * qorv::CellSize, qorv::CellSize, qorv::CellSize};
}
} // namespace

void RasterImage::setMarkedCell(std::optional<QPoint> cell) {
    if (cell == marked_) return;
    if (marked_) update(cellArea(*marked_));
    marked_ = cell;
    if (marked_) update(cellArea(*marked_));
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
        paintMark(painter, dirty);
        return;
    }
    // Qt would convert the whole 24-bit picture for every paint (over a thread pool);
    // converting just the changed part keeps a brush stamp's repaint small.
    if (screenBuffer_.width() < source.width() || screenBuffer_.height() < source.height())
        screenBuffer_ =
            QImage(source.size().expandedTo(screenBuffer_.size()), QImage::Format_RGB32);
    convertToScreen(picture_, source, screenBuffer_);
    painter.drawImage(source.topLeft(), screenBuffer_, QRect(QPoint(0, 0), source.size()));
    paintMark(painter, dirty);
}

void RasterImage::paintMark(QPainter& painter, const QRect& dirty) const {
    if (!marked_) return;
    const QRect area = cellArea(*marked_);
    if (!area.intersects(dirty) || !picture_.rect().contains(area)) return;
    // The cell's own pixels, framed: the painter clips the frame to the area being painted.
    QImage cell = picture_.copy(area).convertToFormat(QImage::Format_RGB32);
    qorv::markCell(cell, 0, 0);
    painter.drawImage(area.topLeft(), cell);
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

void RasterImage::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event->key(), event->modifiers());
}

void RasterImage::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(buttonCode(event->button()), pixelOf(event->position().x()),
                       pixelOf(event->position().y()));
}
