#include "render/ExactPalette.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

// A 640 x 450 picture of `colours` colours, each in runs of varying length, so that
// neighbouring pixels both share and change colour.
QImage pictureOf(int colours) {
    QImage image(640, 450, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int n = (x / (1 + y % 3) + y * 7) % colours;
            image.setPixel(x, y, qRgb(n * 37 % 256, n, 255 - n / 2));
        }
    return image;
}

TEST(ExactPalette, KeepsEveryPixelWhenAllColoursFit) {
    for (const int colours : {1, 2, 52, 255, 256}) {
        const QImage image = pictureOf(colours);
        const std::optional<QImage> indexed = withExactPalette(image);
        ASSERT_TRUE(indexed) << colours << " colours";
        EXPECT_EQ(indexed->format(), QImage::Format_Indexed8);
        EXPECT_EQ(indexed->colorCount(), colours);
        EXPECT_EQ(indexed->convertToFormat(QImage::Format_RGB888), image) << colours << " colours";
    }
}

TEST(ExactPalette, RefusesMoreThan256ColoursOrAnotherFormat) {
    EXPECT_FALSE(withExactPalette(pictureOf(257)));
    EXPECT_FALSE(withExactPalette(pictureOf(4000)));
    EXPECT_FALSE(withExactPalette(pictureOf(2).convertToFormat(QImage::Format_ARGB32)));
}

} // namespace
} // namespace qorv
