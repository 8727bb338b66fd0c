#pragma once
// A small BMP writer for the tests: every depth the loader must read, written byte by
// byte so that the test files do not depend on the toolkit's own BMP writer.

#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace qorv::test {

// Offsets of the header fields that tests patch.
namespace bmpfield {
inline constexpr int PixelOffset = 10;
inline constexpr int Width = 18;
inline constexpr int Height = 22;
inline constexpr int BitsPerPixel = 28;
inline constexpr int Compression = 30;
inline constexpr int CompressedBytes = 34;
inline constexpr int ColoursUsed = 46;
} // namespace bmpfield

inline void putU16(QByteArray& out, std::uint32_t v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

inline void putU32(QByteArray& out, std::uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

inline void patchU32(QByteArray& bytes, int offset, std::uint32_t v) {
    QByteArray field;
    putU32(field, v);
    bytes.replace(offset, 4, field);
}

// A file with a 40-byte info header, the palette, then `pixelData` as given.
inline QByteArray bmpFile(int width, int height, int bitsPerPixel, std::uint32_t compression,
                          const std::vector<QRgb>& palette, const QByteArray& pixelData) {
    const std::uint32_t offset = 14 + 40 + 4 * std::uint32_t(palette.size());
    QByteArray out;
    out.append("BM");
    putU32(out, offset + std::uint32_t(pixelData.size()));
    putU32(out, 0);
    putU32(out, offset);
    putU32(out, 40);
    putU32(out, std::uint32_t(width));
    putU32(out, std::uint32_t(height));
    putU16(out, 1);
    putU16(out, std::uint32_t(bitsPerPixel));
    putU32(out, compression);
    putU32(out, std::uint32_t(pixelData.size()));
    putU32(out, 2835);
    putU32(out, 2835);
    putU32(out, std::uint32_t(palette.size()));
    putU32(out, 0);
    for (QRgb c : palette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
    out.append(pixelData);
    return out;
}

// An uncompressed image. `pixels` holds width * height values, top row first: palette
// indices for 1, 4 and 8 bits, 0xRRGGBB for 24 and 32 bits. Rows are stored bottom-up
// and padded to 4 bytes.
inline QByteArray bmpFromPixels(int width, int height, int bitsPerPixel,
                                const std::vector<QRgb>& palette,
                                const std::vector<std::uint32_t>& pixels) {
    const int rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    QByteArray data;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[std::size_t(y * width + x)];
            if (bitsPerPixel >= 24) {
                const int at = x * bitsPerPixel / 8;
                row[at] = char(v & 0xFF);
                row[at + 1] = char((v >> 8) & 0xFF);
                row[at + 2] = char((v >> 16) & 0xFF);
            } else {
                const int bit = x * bitsPerPixel;
                const int shift = 8 - bitsPerPixel - bit % 8;
                row[bit / 8] = char(row[bit / 8] | char(v << shift));
            }
        }
        data.append(row);
    }
    return bmpFile(width, height, bitsPerPixel, 0, palette, data);
}

} // namespace qorv::test
