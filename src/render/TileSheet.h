#pragma once
// Loading the tile sheet: a BMP image of 10 x 10 pixel tiles, 16 to a row.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace qorv {

// Tile t's square in the sheet: left (t mod 16) * 10, top (t div 16) * 10.
constexpr int tileLeft(int tile) {
    return (tile % 16) * 10;
}
constexpr int tileTop(int tile) {
    return (tile / 16) * 10;
}

// Loads a BMP file as a 24-bit image (QImage::Format_RGB888), whatever its colour
// depth. Throws EditorError "Cannot open file <name>" (the name quoted as messages quote
// names) when it cannot be opened and
// "Bitmap image is not valid" when it is not a sound BMP image. The header is checked
// against the file's size before decoding, and decoding has a small allocation limit.
QImage loadBitmap(const QString& name);

// What loadBitmap does once the file's bytes are read: checks them with isSoundBmp,
// decodes them and converts the image to QImage::Format_RGB888. Throws EditorError
// "Bitmap image is not valid" when they do not make a sound BMP image.
QImage decodeBitmap(QByteArray bytes);

// Whether `bytes` hold a BMP file whose headers are consistent and whose pixel data is
// all present, so that decoding leaves no pixel undefined: "BM", a core, info, V4 or V5
// header, a sane size and depth, a known compression, a palette that fits, pixel rows
// within the file, and run-length data that covers every pixel.
bool isSoundBmp(QByteArrayView bytes);

// The largest width or height accepted, and the largest file read.
inline constexpr int MaxBitmapSide = 4096;
inline constexpr qsizetype MaxBitmapFileBytes = 16 * 1024 * 1024;

} // namespace qorv
