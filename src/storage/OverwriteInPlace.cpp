#include "storage/OverwriteInPlace.h"

#include "errors/IoError.h"
#include "storage/BoundedRead.h"
#include "storage/FileDescriptor.h"
#include "storage/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qorv {

namespace {

// A level is 2,970 bytes, a picture a few MiB. Of a larger file only the part the new
// content overwrites is kept: its tail is safe until the file is cut.
constexpr std::size_t MaxOldContentKept = std::size_t{64} << 20;

struct OldContent {
    std::string bytes;
    off_t size = 0;
    bool known = false; // false: the file could not be read (write-only for us)
    bool whole() const { return known && static_cast<off_t>(bytes.size()) == size; }
};

// O_NOFOLLOW: the name was no link when the target was found; one swapped in since
// is not followed. O_NONBLOCK: a FIFO swapped in must not block the open.
int openExisting(const std::string& path, int access) {
    return ::open(path.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

OldContent readOldContent(int fd, std::size_t newSize, const std::string& path) {
    OldContent old;
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw ioErrorFromErrno(errno, path);
    old.size = st.st_size;
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::size_t kept = size <= MaxOldContentKept ? size : std::min(size, newSize);
    // Shorter when the file shrank meanwhile.
    old.bytes = readBoundedFrom(fd, path, {.limit = kept}).bytes;
    old.known = true;
    return old;
}

bool writeBack(int fd, const OldContent& old, bool cut) {
    if (!old.known || (cut && !old.whole())) return false;
    try {
        if (::lseek(fd, 0, SEEK_SET) != 0) return false;
        writeAll(fd, old.bytes, "");
    } catch (const IoError&) {
        return false;
    }
    return (!old.whole() || ::ftruncate(fd, old.size) == 0) && ::fsync(fd) == 0;
}

} // namespace

void overwriteInPlace(const std::string& path, std::string_view bytes, const struct stat& judged) {
    int fd = openExisting(path, O_RDWR);
    if (fd < 0 && errno == EACCES) fd = openExisting(path, O_WRONLY);
    if (fd < 0 && errno == ELOOP) throw IoError(iocode::AccessDenied); // a link swapped in
    if (fd < 0) throw ioErrorFromErrno(errno, path);
    FileDescriptor file(fd);
    requireOpenedRegularFile(file, path);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) throw ioErrorFromErrno(errno, path);
    if (opened.st_dev != judged.st_dev || opened.st_ino != judged.st_ino)
        throw IoError(iocode::AccessDenied); // another file renamed into its place
    const OldContent old = (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR
                               ? readOldContent(fd, bytes.size(), path)
                               : OldContent{};
    bool cut = false;
    try {
        if (::lseek(fd, 0, SEEK_SET) != 0) throw ioErrorFromErrno(errno, path);
        writeAll(fd, bytes, path);
        if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
            throw ioErrorFromErrno(errno, path);
        cut = true;
        if (::fsync(fd) != 0) throw ioErrorFromErrno(errno, path);
    } catch (const IoError& failure) {
        if (writeBack(fd, old, cut)) throw;
        throw IoError(failure.code(),
                      std::string(failure.what()) +
                          "; writing the old content back failed too, so the file holds a mix "
                          "of old and new",
                      failure.systemErrno());
    }
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, path);
}

} // namespace qorv
