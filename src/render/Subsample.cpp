#include "render/Subsample.h"

#include <cstring>

namespace qorv {

namespace {

constexpr int BytesPerPixel = 3;

} // namespace

QImage subsample(const QImage& raster, int factor) {
    QImage result(raster.width() / factor, raster.height() / factor, QImage::Format_RGB888);
    subsampleInto(raster, factor, result.bits(), result.bytesPerLine());
    return result;
}

void subsampleInto(const QImage& raster, int factor, uchar* topLeft, qsizetype bytesPerLine) {
    const int width = raster.width() / factor;
    const int height = raster.height() / factor;
    for (int y = 0; y < height; ++y) {
        const uchar* from = raster.constScanLine(y * factor);
        uchar* to = topLeft + y * bytesPerLine;
        for (int x = 0; x < width; ++x)
            std::memcpy(to + x * BytesPerPixel, from + x * factor * BytesPerPixel, BytesPerPixel);
    }
}

} // namespace qorv
