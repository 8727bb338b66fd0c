#include "TileSheetCheck.h"

#include "render/TileSheet.h"
#include "errors/IoError.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <cstdlib>
#include <exception>

namespace qorv::fuzz {

namespace {

const std::string NotValid = "Bitmap image is not valid";

struct DecodeOutcome {
    QImage image;
    std::string error; // empty when decoding succeeded
};

DecodeOutcome decode(QByteArrayView bytes) {
    try {
        return {decodeBitmap(bytes.toByteArray()), {}};
    } catch (const EditorError& e) {
        return {{}, e.what()};
    }
}

std::int64_t littleEndian(QByteArrayView bytes, qsizetype offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

// Width and height as the header gives them (a negative height is a top-down image);
// only called on bytes that isSoundBmp accepted, so the header is there.
QSize headerSize(QByteArrayView bytes) {
    if (littleEndian(bytes, 14, 4) == 12)
        return {int(static_cast<std::int16_t>(littleEndian(bytes, 18, 2))),
                int(static_cast<std::int16_t>(littleEndian(bytes, 20, 2)))};
    return {int(static_cast<std::int32_t>(littleEndian(bytes, 18, 4))),
            int(static_cast<std::int32_t>(littleEndian(bytes, 22, 4)))};
}

// Reads every pixel, so that a pixel outside the image's memory shows under
// AddressSanitizer and an undefined one under valgrind.
std::uint32_t pixelChecksum(const QImage& image) {
    std::uint32_t sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int i = 0; i < image.width() * 3; ++i)
            sum = sum * 31 + line[i];
    }
    return sum;
}

std::string checkOrThrow(QByteArrayView bytes) {
    const bool sound = isSoundBmp(bytes);
    const DecodeOutcome outcome = decode(bytes);
    if (!outcome.error.empty())
        return outcome.error == NotValid ? "" : "decoding fails with \"" + outcome.error + "\"";
    if (!sound) return "bytes that isSoundBmp refuses decode";
    const QImage& image = outcome.image;
    if (image.format() != QImage::Format_RGB888) return "the image is not 24-bit";
    if (image.width() < 1 || image.height() < 1 || image.width() > MaxBitmapSide ||
        image.height() > MaxBitmapSide)
        return "the image is outside the size limits";
    const QSize claimed = headerSize(bytes);
    if (image.width() != claimed.width() || image.height() != std::abs(claimed.height()))
        return "the image is not of the size its header gives";
    // Keeps the checksum from being optimised away.
    [[maybe_unused]] static volatile std::uint32_t sink;
    sink = pixelChecksum(image);
    return "";
}

} // namespace

std::string checkBitmapBytes(QByteArrayView bytes) {
    try {
        return checkOrThrow(bytes);
    } catch (const std::exception& e) {
        return std::string("unexpected exception: ") + e.what();
    } catch (...) {
        return "unexpected exception of an unknown type";
    }
}

} // namespace qorv::fuzz
