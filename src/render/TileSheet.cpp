#include "render/TileSheet.h"

#include "storage/BoundedRead.h"
#include "errors/IoError.h"
#include "text/Quoting.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>

namespace qorv {

namespace {

// Decoding stops at an image of this many megabytes; a tile sheet is far smaller.
constexpr int DecodeLimitMegabytes = 8;

[[noreturn]] void failCannotOpen(const QString& name) {
    throw EditorError("Cannot open file " + text::quoted(QFile::encodeName(name).toStdString()));
}

[[noreturn]] void failNotValid() {
    throw EditorError("Bitmap image is not valid");
}

// Only a regular file is read: a folder cannot be, and a FIFO or device could block or
// never end.
QByteArray readWholeFile(const QString& name) {
    BoundedBytes read;
    try {
        read = readBounded(QFile::encodeName(name).toStdString(), {.limit = MaxBitmapFileBytes});
    } catch (const IoError&) {
        failCannotOpen(name);
    }
    if (read.longer) failNotValid();
    return QByteArray::fromStdString(read.bytes);
}

// The decoder's allocation limit is program-wide; it is lowered only while the tile
// sheet is decoded.
class AllocationLimit {
  public:
    explicit AllocationLimit(int megabytes) : previous_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(megabytes);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(previous_); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

  private:
    int previous_;
};

QImage decodeBmp(QByteArray& bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    const AllocationLimit limit(DecodeLimitMegabytes);
    return reader.read();
}

} // namespace

QImage loadBitmap(const QString& name) {
    return decodeBitmap(readWholeFile(name));
}

QImage decodeBitmap(QByteArray bytes) {
    if (!isSoundBmp(bytes)) failNotValid();
    const QImage decoded = decodeBmp(bytes);
    if (decoded.isNull()) failNotValid();
    QImage sheet = decoded.convertToFormat(QImage::Format_RGB888);
    if (sheet.isNull()) failNotValid();
    return sheet;
}

} // namespace qorv
