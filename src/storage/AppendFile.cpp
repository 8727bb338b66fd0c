#include "storage/AppendFile.h"

#include "storage/FileDescriptor.h"
#include "storage/SaveTarget.h"
#include "storage/WriteAll.h"

#include <fcntl.h>

namespace qorv {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file the walk judged, or a new one of ours: a name swapped meanwhile is refused. No
// blocking open: a FIFO swapped in would otherwise hold the program until someone reads it.
FileDescriptor openJudged(const SaveTarget& target) {
    const int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                      (target.existing ? 0 : O_CREAT | O_EXCL);
    FileDescriptor file(::openat(target.folder.get(), target.entry.c_str(), flags, 0644));
    // ELOOP: a link; ENXIO: a FIFO without a reader; EEXIST: made by someone meanwhile.
    if (file.get() < 0)
        throw errno == ELOOP || errno == ENXIO || errno == EEXIST
            ? IoError(iocode::AccessDenied)
            : ioErrorFromErrno(errno, target.path);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) throw ioErrorFromErrno(errno, target.path);
    if (!S_ISREG(st.st_mode) || (target.existing && !sameFile(st, *target.existing)))
        throw IoError(iocode::AccessDenied);
    return file;
}

} // namespace

void appendToFile(const std::string& path, const Addition& addition) {
    if (path.empty()) throw IoError(iocode::PathNotFound);
    FileDescriptor file = openJudged(findSaveTarget(path));
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) throw ioErrorFromErrno(errno, path);
    writeAll(file.get(), addition(static_cast<std::size_t>(st.st_size)), path);
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, path);
}

} // namespace qorv
