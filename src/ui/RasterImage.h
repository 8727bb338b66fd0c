#pragma once
// An image control: shows its picture unscaled from the top-left corner, clipped to the
// control, and reports mouse presses, moves and releases in the picture's pixels, and the
// keys pressed while it has the focus. It can mark one 10-pixel cell of its picture on the
// screen without changing the picture.

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <optional>

class RasterImage : public QWidget {
    Q_OBJECT
  public:
    explicit RasterImage(QWidget* parent = nullptr);

    // The picture is drawn into directly; after changing pixels, call showChanged with
    // the area that changed so the screen catches up.
    QImage& picture() { return picture_; }
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    void showChanged(const QRect& pictureArea);

    // The cell (x, y) of the picture's 10-pixel grid framed on the screen, or none. The frame
    // is drawn over the picture as it is painted; the picture itself stays as it is.
    void setMarkedCell(std::optional<QPoint> cell);
    std::optional<QPoint> markedCell() const { return marked_; }

    // Mouse buttons as the handlers know them: left 0, right 1, middle 2, others 3.
    static int buttonCode(Qt::MouseButton button);

  signals:
    void mousePressed(int button, int x, int y);
    void mouseMoved(int x, int y);
    void mouseReleased(int button, int x, int y);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void paintMark(QPainter& painter, const QRect& dirty) const;

    QImage picture_;
    std::optional<QPoint> marked_;
    QImage screenBuffer_; // the changed part, converted for painting; reused between paints
};
