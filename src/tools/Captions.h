#pragma once
// Names written under pictures. Qt draws text only with its GUI application's fonts, which
// the headless tools otherwise never need: the captions make one, on the offscreen platform,
// for as long as they are drawn.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

namespace app {

inline constexpr int CaptionPixelSize = 11;
inline constexpr int CaptionHeight = 14;
inline constexpr QRgb MarkColour = 0xfff4c7c3; // a pale red: no level is drawn in it

class Captions {
  public:
    // Throws EditorError when the process has an application object without fonts.
    Captions();
    ~Captions();
    Captions(const Captions&) = delete;
    Captions& operator=(const Captions&) = delete;

    // `text` in black, centred in `box` of `image`, shortened in its middle to fit. Without
    // smoothing: the sheet keeps few colours, and so a palette.
    void draw(QImage& image, const QRect& box, const QString& text) const;

    // The place of a picture that could not be drawn: filled with MarkColour, `text` (why)
    // in black within it, wrapped where it must be.
    void mark(QImage& image, const QRect& place, const QString& text) const;

  private:
    // Qt's messages silenced from before the application is made until after it is gone.
    struct Quiet {
        Quiet();
        ~Quiet();
        QtMessageHandler previous;
    } quiet_;
    int argc_ = 3;
    char* argv_[4];
    std::unique_ptr<QGuiApplication> application_;
    QFont font_;
};

} // namespace app
