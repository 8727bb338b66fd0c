// The header checks made before a BMP file is decoded. The toolkit's reader accepts
// files whose pixel rows stop short (the missing pixels are left as uninitialised
// memory) and files whose header claims far more pixels than they hold, so every
// file is first checked here against its own size.
#include "render/TileSheet.h"

#include <cstdint>
#include <optional>

namespace qorv {

namespace {

constexpr std::int64_t FileHeaderBytes = 14;
constexpr std::uint32_t CoreHeaderBytes = 12;
constexpr std::uint32_t InfoHeaderBytes = 40;
constexpr std::uint32_t V4HeaderBytes = 108;
constexpr std::uint32_t V5HeaderBytes = 124;

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr std::uint32_t BiBitfields = 3;

// Little-endian fields of the byte view; reads past the end are refused by the caller.
struct Bytes {
    QByteArrayView data;

    std::int64_t size() const { return data.size(); }
    bool has(std::int64_t offset, std::int64_t count) const {
        return offset >= 0 && count >= 0 && offset <= size() && count <= size() - offset;
    }
    std::uint32_t byte(std::int64_t offset) const {
        return static_cast<std::uint8_t>(data[static_cast<qsizetype>(offset)]);
    }
    std::uint32_t u16(std::int64_t offset) const { return byte(offset) | byte(offset + 1) << 8; }
    std::uint32_t u32(std::int64_t offset) const { return u16(offset) | u16(offset + 2) << 16; }
    std::int64_t i16(std::int64_t offset) const { return static_cast<std::int16_t>(u16(offset)); }
    std::int64_t i32(std::int64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
};

struct BmpHeader {
    std::uint32_t headerBytes = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top-down
    std::uint32_t planes = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = BiRgb;
    std::uint32_t compressedBytes = 0;
    std::uint32_t coloursUsed = 0;
    std::int64_t pixelOffset = 0;
};

std::optional<BmpHeader> readHeader(const Bytes& b) {
    if (!b.has(0, FileHeaderBytes + 4) || b.byte(0) != 'B' || b.byte(1) != 'M') return {};
    BmpHeader h;
    h.pixelOffset = b.u32(10);
    h.headerBytes = b.u32(14);
    if (!b.has(FileHeaderBytes, h.headerBytes)) return {};
    if (h.headerBytes == CoreHeaderBytes) {
        h.width = b.i16(18);
        h.height = b.i16(20);
        h.planes = b.u16(22);
        h.bitsPerPixel = b.u16(24);
        return h;
    }
    if (h.headerBytes != InfoHeaderBytes && h.headerBytes != V4HeaderBytes &&
        h.headerBytes != V5HeaderBytes)
        return {};
    h.width = b.i32(18);
    h.height = b.i32(22);
    h.planes = b.u16(26);
    h.bitsPerPixel = b.u16(28);
    h.compression = b.u32(30);
    h.compressedBytes = b.u32(34);
    h.coloursUsed = b.u32(46);
    return h;
}

bool depthAndCompressionFit(const BmpHeader& h) {
    switch (h.compression) {
    case BiRgb:
        return h.bitsPerPixel == 1 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8 ||
               h.bitsPerPixel == 16 || h.bitsPerPixel == 24 || h.bitsPerPixel == 32;
    case BiRle8:
        return h.bitsPerPixel == 8 && h.height > 0;
    case BiRle4:
        return h.bitsPerPixel == 4 && h.height > 0;
    case BiBitfields:
        return (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) && h.headerBytes != CoreHeaderBytes;
    default:
        return false;
    }
}

bool sizeIsSane(const BmpHeader& h) {
    const std::int64_t rows = h.height < 0 ? -h.height : h.height;
    return h.width > 0 && h.width <= MaxBitmapSide && rows > 0 && rows <= MaxBitmapSide &&
           h.planes == 1;
}

// The colour masks of a 40-byte header follow it; larger headers hold them inside.
std::int64_t headerEnd(const BmpHeader& h) {
    const bool separateMasks = h.headerBytes == InfoHeaderBytes && h.compression == BiBitfields;
    return FileHeaderBytes + h.headerBytes + (separateMasks ? 12 : 0);
}

bool masksAreUsable(const BmpHeader& h, const Bytes& b) {
    if (h.compression != BiBitfields) return true;
    const std::int64_t masks = FileHeaderBytes + InfoHeaderBytes;
    return b.u32(masks) != 0 && b.u32(masks + 4) != 0 && b.u32(masks + 8) != 0;
}

// The palette must fit the depth, and sit between the headers and the pixel data.
bool paletteFits(const BmpHeader& h, const Bytes& b) {
    if (h.coloursUsed > 256) return false;
    std::int64_t colours = 0;
    if (h.bitsPerPixel <= 8) {
        const std::int64_t most = std::int64_t{1} << h.bitsPerPixel;
        colours = h.coloursUsed != 0 ? h.coloursUsed : most;
        if (colours > most) return false;
    }
    const std::int64_t entryBytes = h.headerBytes == CoreHeaderBytes ? 3 : 4;
    const std::int64_t paletteEnd = headerEnd(h) + colours * entryBytes;
    return b.has(0, paletteEnd) && paletteEnd <= h.pixelOffset && b.has(h.pixelOffset, 0);
}

bool uncompressedRowsPresent(const BmpHeader& h, const Bytes& b) {
    const std::int64_t rows = h.height < 0 ? -h.height : h.height;
    const std::int64_t rowBytes = (h.width * h.bitsPerPixel + 31) / 32 * 4;
    return b.has(h.pixelOffset, rowBytes * rows);
}

// Walks the run-length data and accepts it only when it sets every pixel, row by row:
// runs that fill each row exactly, rows ended by end-of-line, no jumps (which would
// leave pixels unset), and all rows present before the data ends.
bool runsCoverEveryPixel(const BmpHeader& h, const Bytes& b) {
    if (h.compressedBytes == 0 || !b.has(h.pixelOffset, h.compressedBytes)) return false;
    const std::int64_t end = h.pixelOffset + h.compressedBytes;
    const bool fourBits = h.compression == BiRle4;
    std::int64_t pos = h.pixelOffset;
    std::int64_t x = 0;
    std::int64_t row = 0;
    while (pos + 2 <= end) {
        const std::uint32_t count = b.byte(pos);
        const std::uint32_t code = b.byte(pos + 1);
        pos += 2;
        if (count > 0) { // a run of one value (or a pair of nibbles)
            x += count;
        } else if (code == 0) { // end of line
            if (x != h.width) return false;
            x = 0;
            if (++row == h.height) return true;
            continue;
        } else if (code == 1) { // end of bitmap: only after the last pixel
            return x == h.width && row == h.height - 1;
        } else if (code == 2) { // a jump leaves the skipped pixels unset
            return false;
        } else { // literal pixels, padded to a whole 16-bit word
            std::int64_t bytes = fourBits ? (code + 1) / 2 : code;
            bytes += bytes & 1;
            if (pos + bytes > end) return false;
            pos += bytes;
            x += code;
        }
        if (x > h.width) return false;
    }
    return false;
}

} // namespace

bool isSoundBmp(QByteArrayView bytes) {
    const Bytes b{bytes};
    const std::optional<BmpHeader> header = readHeader(b);
    if (!header || !sizeIsSane(*header) || !depthAndCompressionFit(*header)) return false;
    if (!paletteFits(*header, b) || !masksAreUsable(*header, b)) return false;
    if (header->compression == BiRle8 || header->compression == BiRle4)
        return runsCoverEveryPixel(*header, b);
    return uncompressedRowsPresent(*header, b);
}

} // namespace qorv
