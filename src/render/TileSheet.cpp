#include "render/TileSheet.h"

#include "core/IoError.h"
#include "text/Quoting.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Closes the descriptor on every way out.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Only a regular file is read: a folder cannot be, and a FIFO or device could block or
// never end. The FIFO test comes before opening, and opening does not wait for a writer
// in case the name is swapped in between.
QByteArray readWholeFile(const QString& name) {
    const QByteArray path = QFile::encodeName(name);
    struct stat info {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        failCannotOpen(name);
    const FileDescriptor file{::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) failCannotOpen(name);
    if (info.st_size > MaxBitmapFileBytes) failNotValid();

    // Read one byte more than allowed, so that a file that grew is still caught.
    QByteArray bytes(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got =
            ::read(file.fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (got < 0) failCannotOpen(name);
        if (got == 0) break;
        filled += got;
    }
    if (filled > MaxBitmapFileBytes) failNotValid();
    bytes.truncate(filled);
    return bytes;
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
