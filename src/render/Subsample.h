#pragma once
// A raster made smaller by a whole factor with exact pixels: every pixel of the result is one
// pixel of the raster, never a blend, so a small picture of a level shows the sheet's own
// colours and stays a palette image.

#include <QImage>

namespace qorv {

// `raster` (Format_RGB888) `factor` times smaller, its size rounded down: pixel (x, y) of the
// result is pixel (x * factor, y * factor) of `raster`. `factor` is at least 1.
QImage subsample(const QImage& raster, int factor);

// The same, written as 24-bit pixels from `topLeft` on, `bytesPerLine` apart: into a part of
// a larger picture that several threads fill at once, each its own part (QImage's own
// access to its pixels counts detaches, which such threads would race on).
void subsampleInto(const QImage& raster, int factor, uchar* topLeft, qsizetype bytesPerLine);

} // namespace qorv
