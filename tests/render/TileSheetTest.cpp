#include "render/TileSheet.h"

#include "render/BmpWriter.h"
#include "errors/IoError.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>

namespace qorv {
namespace {

using namespace qorv::test;

const std::string NotValid = "Bitmap image is not valid";

// The message that loading fails with, or "" when it loads.
std::string loadError(const QString& path) {
    try {
        loadBitmap(path);
        return "";
    } catch (const EditorError& e) {
        return e.what();
    }
}

class TileSheetFiles : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
};

TEST_F(TileSheetFiles, FilesThatCannotBeOpenedNameTheFileAsGiven) {
    const QString missing = dir.filePath("missing.bmp");
    EXPECT_EQ(loadError(missing), "Cannot open file " + missing.toStdString());
    EXPECT_EQ(loadError("no-such-folder/all.bmp"), "Cannot open file no-such-folder/all.bmp");
    EXPECT_EQ(loadError(""), "Cannot open file ");

    const QString folder = dir.filePath("folder.bmp");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(loadError(folder), "Cannot open file " + folder.toStdString());

    // A FIFO with no writer would block a plain open for ever.
    const QString fifo = dir.filePath("fifo.bmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(loadError(fifo), "Cannot open file " + fifo.toStdString());
}

TEST_F(TileSheetFiles, FilesThatAreNotSoundBitmapsAreNotValid) {
    const QByteArray sound =
        bmpFromPixels(20, 10, 24, {}, std::vector<std::uint32_t>(200, 0x123456));
    ASSERT_EQ(loadError(write("sound.bmp", sound)), "");

    QByteArray huge = sound;
    patchU32(huge, bmpfield::Width, 5000);
    patchU32(huge, bmpfield::Height, 5000);
    QByteArray png;
    {
        QImage image(20, 10, QImage::Format_RGB888);
        image.fill(Qt::red);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("just some text, not a picture\n")},
        {"png", png},
        {"header only", sound.left(54)},
        {"one byte short", sound.chopped(1)},
        {"half the rows", sound.left(54 + 60 * 5)},
        {"huge dimensions", huge},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_EQ(loadError(write(name, bytes)), NotValid) << name;
}

TEST_F(TileSheetFiles, OversizedFileIsNotValidWithoutBeingRead) {
    const QString path = write("big.bmp", bmpFromPixels(2, 2, 24, {}, {0, 0, 0, 0}));
    QFile file(path);
    ASSERT_TRUE(file.resize(MaxBitmapFileBytes + 1));
    EXPECT_EQ(loadError(path), NotValid);
}

struct DepthCase {
    int bitsPerPixel;
    std::vector<QRgb> palette;
};

TEST_F(TileSheetFiles, EveryDepthLoadsToTheSameRgbPixels) {
    // 7 x 3 pixels: an odd width, so that rows need padding at every depth.
    const int w = 7;
    const int h = 3;
    const std::vector<QRgb> colours = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                       0x0000FF, 0x804020, 0x10E0C0, 0xFFFF00};
    const DepthCase cases[] = {
        {1, {0x102030, 0xF0E0D0}},
        {1, {0xF0E0D0, 0x102030}}, // a light first entry, which the decoder swaps
        {4, std::vector<QRgb>(colours.begin(), colours.end())},
        {8, std::vector<QRgb>(colours.begin(), colours.end())},
        {24, {}},
        {32, {}},
    };
    for (const DepthCase& c : cases) {
        std::vector<std::uint32_t> values;
        std::vector<QRgb> expected;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (c.palette.empty()) {
                    const QRgb rgb = qRgb(x * 30, y * 80, (x * 7 + y * 13) & 0xFF);
                    values.push_back(rgb & 0xFFFFFF);
                    expected.push_back(rgb);
                } else {
                    const auto index = std::uint32_t((x + 3 * y) % c.palette.size());
                    values.push_back(index);
                    expected.push_back(c.palette[index] | 0xFF000000);
                }
            }
        }
        const QString path =
            write(QString("depth%1-%2.bmp").arg(c.bitsPerPixel).arg(c.palette.size()),
                  bmpFromPixels(w, h, c.bitsPerPixel, c.palette, values));
        const QImage image = loadBitmap(path);
        ASSERT_EQ(image.format(), QImage::Format_RGB888) << c.bitsPerPixel;
        ASSERT_EQ(image.size(), QSize(w, h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(image.pixel(x, y), expected[std::size_t(y * w + x)])
                    << c.bitsPerPixel << " bits at " << x << "," << y;
    }
}

TEST_F(TileSheetFiles, IndicesBeyondAShortPaletteStayDefined) {
    // Two palette entries, but a pixel names entry 200: the decoder must not read
    // beyond the colour table.
    const QByteArray bytes = bmpFromPixels(4, 1, 8, {0x112233, 0x445566}, {0, 1, 200, 1});
    const QImage image = loadBitmap(write("short-palette.bmp", bytes));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x44, 0x55, 0x66));
}

// Run-length data of an 8-bit 4 x 2 image: bottom row four of colour 1, top row 2, 3,
// 2, 3 as literal pixels.
QByteArray rle8(const QByteArray& runs) {
    return bmpFile(4, 2, 8, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, runs);
}

TEST_F(TileSheetFiles, RunLengthImageThatSetsEveryPixelLoads) {
    const QByteArray runs("\x04\x01\x00\x00\x00\x04\x02\x03\x02\x03\x00\x00\x00\x01", 14);
    const QImage image = loadBitmap(write("rle8.bmp", rle8(runs)));
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
}

TEST(IsSoundBmp, RunLengthDataThatLeavesPixelsUnsetIsRefused) {
    const std::pair<const char*, QByteArray> cases[] = {
        {"short row", QByteArray("\x03\x01\x00\x00\x04\x02\x00\x00", 8)},
        {"long row", QByteArray("\x05\x01\x00\x00\x04\x02\x00\x00", 8)},
        {"missing row", QByteArray("\x04\x01\x00\x01", 4)},
        {"jump", QByteArray("\x04\x01\x00\x00\x00\x02\x02\x00\x02\x02\x00\x00", 12)},
        {"cut literal", QByteArray("\x04\x01\x00\x00\x00\x04\x02\x03", 8)},
        {"no end", QByteArray("\x04\x01\x00\x00\x04\x02", 6)},
    };
    for (const auto& [name, runs] : cases)
        EXPECT_FALSE(isSoundBmp(rle8(runs))) << name;
    EXPECT_TRUE(isSoundBmp(rle8(QByteArray("\x04\x01\x00\x00\x04\x02\x00\x01", 8))));
}

TEST(IsSoundBmp, RunLengthDataBeyondTheFileIsRefused) {
    QByteArray bytes = rle8(QByteArray("\x04\x01\x00\x00\x04\x02\x00\x01", 8));
    patchU32(bytes, bmpfield::CompressedBytes, 64);
    EXPECT_FALSE(isSoundBmp(bytes));
}

TEST(IsSoundBmp, HeaderFieldsOutsideTheirRangesAreRefused) {
    const QByteArray sound =
        bmpFromPixels(4, 4, 8, {0, 0xFFFFFF}, std::vector<std::uint32_t>(16, 1));
    ASSERT_TRUE(isSoundBmp(sound));
    const std::pair<int, std::uint32_t> patches[] = {
        {bmpfield::Width, 0},
        {bmpfield::Height, 0},
        {bmpfield::Width, 0xFFFFFFFC},
        {bmpfield::Width, 5000},
        {bmpfield::Height, 5000},
        {bmpfield::Height, 0x80000000},
        {bmpfield::BitsPerPixel, 7},
        {bmpfield::BitsPerPixel, 2},
        {bmpfield::Compression, 4},
        {bmpfield::Compression, 2},
        {bmpfield::Compression, 3},
        {bmpfield::ColoursUsed, 257},
        {bmpfield::PixelOffset, 0},
        {bmpfield::PixelOffset, 2000},
        {14, 64},
        {14, 52},
    };
    for (const auto& [offset, value] : patches) {
        QByteArray bytes = sound;
        patchU32(bytes, offset, value);
        EXPECT_FALSE(isSoundBmp(bytes)) << "field " << offset << " = " << value;
    }
    QByteArray topDown = sound;
    patchU32(topDown, bmpfield::Height, std::uint32_t(-4));
    EXPECT_TRUE(isSoundBmp(topDown));
}

TEST(IsSoundBmp, CoreHeaderImageIsAccepted) {
    // 2 x 2 at 24 bits with the 12-byte header of the oldest format.
    QByteArray bytes("BM", 2);
    putU32(bytes, 14 + 12 + 16);
    putU32(bytes, 0);
    putU32(bytes, 14 + 12);
    putU32(bytes, 12);
    putU16(bytes, 2);
    putU16(bytes, 2);
    putU16(bytes, 1);
    putU16(bytes, 24);
    bytes.append(QByteArray(16, '\x7F'));
    EXPECT_TRUE(isSoundBmp(bytes));
    EXPECT_FALSE(isSoundBmp(bytes.chopped(1)));
}

TEST(IsSoundBmp, EveryPrefixOfASoundFileIsRefused) {
    const QByteArray sound =
        bmpFromPixels(5, 3, 4, {0, 0xFF, 0xFF00}, std::vector<std::uint32_t>(15, 2));
    ASSERT_TRUE(isSoundBmp(sound));
    for (qsizetype n = 0; n < sound.size(); ++n)
        EXPECT_FALSE(isSoundBmp(sound.left(n))) << n;
}

} // namespace
} // namespace qorv
