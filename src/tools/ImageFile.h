#pragma once
// Pictures in the format their file name asks for.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace app {

// zlib's level 2 on Qt's PNG scale of 0 to 100 (level = value * 9 / 91). Measured on
// levels of random tiles: as fast as level 1 and a tenth smaller; the default level 6
// costs four times as long for files a third smaller.
inline constexpr int PngCompression = 30;

// The image as the PNG encoder is handed it: a copy with an exact 8-bit palette when it
// has at most 256 colours (a third of the bytes to compress and to write), else itself.
QImage pngReady(const QImage& image);

// The image encoded in the format that `output`'s extension names (PNG when it has
// none; PNG as pngReady gives it, at PngCompression). Throws EditorError when no image
// writer of that format is at hand.
QByteArray encodeImageFor(const QImage& image, const QString& output);

} // namespace app
