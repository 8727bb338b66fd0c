// Tile sheets made to break the loader: claimed sizes far beyond the file, runs aimed
// past a row or the image, absurd palettes and header fields. Each one either loads
// with exactly the expected pixels or is "Bitmap image is not valid" before anything is
// decoded (so no huge image is allocated); none may crash or leave a pixel undefined.
// Run under valgrind too (see README): a pixel the decoder left unset shows there.

#include "render/TileSheet.h"

#include "core/LevelGrid.h"
#include "render/BmpWriter.h"
#include "render/Raster.h"
#include "errors/IoError.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace qorv {
namespace {

using namespace qorv::test;

const std::string NotValid = "Bitmap image is not valid";

// The pixels a hostile file must load as, top row first; none: it must be refused.
struct Expected {
    int width = 0;
    int height = 0;
    std::vector<QRgb> pixels;
};

struct HostileCase {
    const char* name;
    QByteArray bytes;
    std::optional<Expected> loads;
};

QByteArray withU16(QByteArray bytes, int offset, std::uint32_t value) {
    QByteArray field;
    putU16(field, value);
    return bytes.replace(offset, 2, field);
}

QByteArray withU32(QByteArray bytes, int offset, std::uint32_t value) {
    patchU32(bytes, offset, value);
    return bytes;
}

// A 4 x 3 24-bit image whose pixels say where they are.
QRgb gridColour(int x, int y) {
    return qRgb(40 * x + 10, 60 * y + 20, 0x5A);
}

std::vector<std::uint32_t> gridValues(int w, int h) {
    std::vector<std::uint32_t> values;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            values.push_back(gridColour(x, y) & 0xFFFFFF);
    return values;
}

const QByteArray Sound24 = bmpFromPixels(4, 3, 24, {}, gridValues(4, 3));

// The header of a 24-bit image of w x h pixels followed by `fill` bytes of pixel data:
// a file that claims far more than it holds.
QByteArray claims(int w, int h, int fillBytes) {
    return bmpFile(w, h, 24, 0, {}, QByteArray(fillBytes, '\x33'));
}

const std::vector<QRgb> FourGreys = {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF};

// An 8-bit run-length image of 4 x 2 pixels from the given runs.
QByteArray rle8(const QByteArray& runs) {
    return bmpFile(4, 2, 8, 1, FourGreys, runs);
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values)
        out.append(char(v));
    return out;
}

// A 16-bit image of 2 x 2 pixels with the given colour masks after the 40-byte header:
// red and green on top, blue and white below.
QByteArray bitfields565(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    // Pixels of 2 bytes, 2 x 2, rows padded to 4 bytes; bottom row first.
    QByteArray data;
    for (const std::uint32_t v : {0x001Fu, 0xFFFFu, 0xF800u, 0x07E0u})
        putU16(data, v);
    // The writer stores a palette entry as its low three bytes, little-endian, and a
    // zero byte: exactly how a mask is stored.
    QByteArray file = bmpFile(2, 2, 16, 3, {red, green, blue}, data);
    return withU32(file, bmpfield::ColoursUsed, 0);
}

std::vector<HostileCase> hostileCases() {
    const std::vector<std::uint32_t> oneBitValues = {1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 1,
                                                     0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 1,
                                                     1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1};
    std::vector<QRgb> oneBitPixels;
    for (const std::uint32_t v : oneBitValues)
        oneBitPixels.push_back(v ? qRgb(255, 255, 255) : qRgb(0, 0, 0));

    std::vector<std::uint32_t> sixteen;
    std::vector<QRgb> sixteenPixels;
    const std::vector<QRgb> palette = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    for (int i = 0; i < 256; ++i) {
        sixteen.push_back(std::uint32_t((i / 16 + i % 16) % 4));
        sixteenPixels.push_back(palette[sixteen.back()] | 0xFF000000);
    }

    // Top-down: the rows stored first are the top rows, so the image is the stored one
    // upside down.
    std::vector<QRgb> topDown;
    for (int y = 2; y >= 0; --y)
        for (int x = 0; x < 4; ++x)
            topDown.push_back(gridColour(x, y));

    const QRgb dark = qRgb(0x55, 0x55, 0x55), light = qRgb(0xAA, 0xAA, 0xAA),
               white = qRgb(255, 255, 255);

    return {
        {"5000 x 5000 in a 2 KB file", claims(5000, 5000, 2048 - 54), {}},
        {"4096 x 4096, the largest side, in a 2 KB file", claims(4096, 4096, 2048 - 54), {}},
        {"4097 x 1 is one pixel too wide", claims(4097, 1, 4100 * 3), {}},
        {"4096 x 1 is as wide as allowed",
         bmpFromPixels(4096, 1, 24, {}, std::vector<std::uint32_t>(4096, 0x0A0B0C)),
         Expected{4096, 1, std::vector<QRgb>(4096, qRgb(0x0A, 0x0B, 0x0C))}},
        {"5000 x 5000 run-length in a 2 KB file",
         bmpFile(5000, 5000, 8, 1, FourGreys, QByteArray(2048 - 70, '\x01')),
         {}},
        {"cut inside the palette",
         bmpFromPixels(2, 2, 8, FourGreys, {0, 1, 2, 3}).left(14 + 40 + 7),
         {}},
        {"cut inside the last row", Sound24.chopped(5), {}},
        {"run past the end of a row", rle8(bytes({9, 1, 0, 0, 4, 2, 0, 1})), {}},
        {"literal run past the end of a row",
         rle8(bytes({4, 1, 0, 0, 0, 6, 1, 2, 3, 1, 2, 3, 0, 1})),
         {}},
        {"jump past the image", rle8(bytes({4, 1, 0, 0, 0, 2, 0, 9, 0, 1})), {}},
        {"runs after the last row are never decoded",
         rle8(bytes({4, 1, 0, 0, 2, 2, 2, 3, 0, 0, 200, 3, 0, 0, 200, 3, 0, 1})),
         Expected{4, 2, {light, light, white, white, dark, dark, dark, dark}}},
        {"palette of 100,000 entries",
         withU32(bmpFromPixels(2, 2, 8, FourGreys, {0, 1, 2, 3}), bmpfield::ColoursUsed, 100000),
         {}},
        {"zero width", withU32(Sound24, bmpfield::Width, 0), {}},
        {"zero height", withU32(Sound24, bmpfield::Height, 0), {}},
        {"negative width", withU32(Sound24, bmpfield::Width, std::uint32_t(-4)), {}},
        {"negative height: rows stored top-down",
         withU32(Sound24, bmpfield::Height, std::uint32_t(-3)), Expected{4, 3, topDown}},
        {"1 bit, 33 pixels wide: a row of two words",
         bmpFromPixels(33, 1, 1, {0, 0xFFFFFF}, oneBitValues), Expected{33, 1, oneBitPixels}},
        {"8 bits, 16 x 16", bmpFromPixels(16, 16, 8, palette, sixteen),
         Expected{16, 16, sixteenPixels}},
        {"bad magic", withU16(Sound24, 0, 'M' | 'B' << 8), {}},
        {"header size 0", withU32(Sound24, 14, 0), {}},
        {"header size beyond the file", withU32(Sound24, 14, 0x7FFFFFFF), {}},
        {"pixel offset beyond the file", withU32(Sound24, bmpfield::PixelOffset, 1 << 20), {}},
        {"pixel offset inside the header", withU32(Sound24, bmpfield::PixelOffset, 20), {}},
        {"pixel offset -1", withU32(Sound24, bmpfield::PixelOffset, 0xFFFFFFFF), {}},
        {"bit depth 7", withU16(Sound24, bmpfield::BitsPerPixel, 7), {}},
        {"bit depth 0", withU16(Sound24, bmpfield::BitsPerPixel, 0), {}},
        {"compression 99", withU32(Sound24, bmpfield::Compression, 99), {}},
        {"two planes", withU16(Sound24, 26, 2), {}},
        {"bit fields with zero masks", bitfields565(0, 0, 0), {}},
        {"bit fields with one zero mask", bitfields565(0xF800, 0, 0x001F), {}},
        // The decoder widens 5 and 6 bits by a shift alone: a full component is 0xF8
        // or 0xFC, not 0xFF.
        {"bit fields 5-6-5", bitfields565(0xF800, 0x07E0, 0x001F),
         Expected{
             2, 2, {qRgb(0xF8, 0, 0), qRgb(0, 0xFC, 0), qRgb(0, 0, 0xF8), qRgb(0xF8, 0xFC, 0xF8)}}},
        {"0 bytes", QByteArray(), {}},
        {"only the magic", QByteArray("BM"), {}},
    };
}

class HostileBmp : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    QString write(const QByteArray& bytes) {
        const QString path = dir.filePath("all.bmp");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }
};

TEST_F(HostileBmp, EachLoadsItsPixelsOrIsNotValid) {
    for (const HostileCase& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        const QString path = write(c.bytes);
        if (!c.loads) {
            EXPECT_FALSE(isSoundBmp(c.bytes)) << "refused before decoding";
            try {
                loadBitmap(path);
                ADD_FAILURE() << "loaded";
            } catch (const EditorError& e) {
                EXPECT_EQ(e.what(), NotValid);
            }
            continue;
        }
        QImage image;
        ASSERT_NO_THROW(image = loadBitmap(path));
        ASSERT_EQ(image.format(), QImage::Format_RGB888);
        ASSERT_EQ(image.size(), QSize(c.loads->width, c.loads->height));
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != c.loads->pixels[std::size_t(y * image.width() + x)] &&
                    wrong++ < 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                  << image.pixel(x, y);
    }
}

// A valid sheet of only 16 x 16 pixels: tile 0 lies inside it, tiles 1 and 16 reach out
// of it, tile 17 mostly and tile 255 wholly. Every pixel outside is MissingTileColour.
TEST_F(HostileBmp, TilesOutsideASmallSheetDrawTheMissingColour) {
    std::vector<std::uint32_t> values;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            values.push_back(std::uint32_t(x * 16 << 16 | y * 16 << 8 | 0x33));
    const QImage sheet = loadBitmap(write(bmpFromPixels(16, 16, 24, {}, values)));
    ASSERT_EQ(sheet.size(), QSize(16, 16));

    LevelGrid grid;
    const int tiles[] = {0, 1, 16, 17, 255};
    for (int i = 0; i < 5; ++i)
        grid.at(i, 0) = static_cast<TileIndex>(tiles[i]);
    QImage raster = makeRaster();
    for (int i = 0; i < 5; ++i)
        copyCell(grid, sheet, raster, i, 0);

    for (int i = 0; i < 5; ++i) {
        for (int py = 0; py < CellSize; ++py) {
            for (int px = 0; px < CellSize; ++px) {
                const int sx = tileLeft(tiles[i]) + px;
                const int sy = tileTop(tiles[i]) + py;
                const QRgb expected = sx < 16 && sy < 16 ? sheet.pixel(sx, sy) : MissingTileColour;
                ASSERT_EQ(raster.pixel(i * CellSize + px, py), expected)
                    << "tile " << tiles[i] << " pixel " << px << "," << py;
            }
        }
    }
}

} // namespace
} // namespace qorv
