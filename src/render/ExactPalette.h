#pragma once
// A raster as an 8-bit palette image with exactly its own colours: a quarter of the bytes
// for a PNG encoder to squeeze, and not one pixel changed.

#include <QImage>

#include <optional>

namespace qorv {

// `image` (Format_RGB888) as Format_Indexed8 whose colour table holds each of its colours
// once, in order of first appearance; every pixel keeps its colour exactly. None when it
// has more than 256 colours or is no RGB888 image.
std::optional<QImage> withExactPalette(const QImage& image);

} // namespace qorv
