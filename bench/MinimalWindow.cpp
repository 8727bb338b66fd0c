// The baseline of the start-up benchmark (bench/startup.sh): the least a Qt Widgets program
// does to show what the editor shows at start-up. A small window with one line of text
// (which loads the font machinery, as the editor's tools window does) and a 640 x 450
// window with an image.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    QLabel text(QStringLiteral("(53 x 37)"));
    text.setWindowTitle(QStringLiteral("Text"));
    text.move(0, 0);
    text.show();

    QImage image(640, 450, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x / 3, y / 2, 77));
    QLabel picture;
    picture.setPixmap(QPixmap::fromImage(image));
    picture.setFixedSize(image.size());
    picture.setWindowTitle(QStringLiteral("Minimal"));
    picture.move(160, 0);
    picture.show();
    return application.exec();
}
