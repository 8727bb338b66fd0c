#pragma once
// Tile sheets whose every pixel tells where it came from, so that a copied pixel can be
// traced back to its exact sheet position.

#include <QImage>

namespace qorv::test {

inline QRgb sheetPixel(int x, int y) {
    return qRgb(x & 0xFF, y & 0xFF, 0x5A ^ ((x + y) & 0xFF));
}

inline QImage syntheticSheet(int width, int height) {
    QImage sheet(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sheet.setPixel(x, y, sheetPixel(x, y));
    return sheet;
}

// A raster with a pattern that no tile copy produces, to show which pixels were drawn.
inline QImage patternedRaster(int width, int height) {
    QImage raster(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            raster.setPixel(x, y, qRgb(7 * x, 3 * y, 0xC3));
    return raster;
}

} // namespace qorv::test
