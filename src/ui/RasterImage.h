#pragma once
// An image control: shows its picture unscaled from the top-left corner, clipped to the
// control, and reports mouse presses, moves and releases in the picture's pixels.

#include <QImage>
#include <QWidget>

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

    // Mouse buttons as the handlers know them: left 0, right 1, middle 2, others 3.
    static int buttonCode(Qt::MouseButton button);

  signals:
    void mousePressed(int button, int x, int y);
    void mouseMoved(int x, int y);
    void mouseReleased(int button, int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
    QImage screenBuffer_; // the changed part, converted for painting; reused between paints
};
