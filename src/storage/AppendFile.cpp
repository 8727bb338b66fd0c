#include "storage/AppendFile.h"

#include "storage/FileDescriptor.h"
#include "storage/WriteAll.h"

#include <fcntl.h>

namespace qorv {

void appendToFile(const std::string& path, const Addition& addition) {
    // No link followed and no blocking open: a FIFO planted under the name would otherwise
    // hold the program until someone reads it.
    FileDescriptor file(::open(
        path.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    // ELOOP: a link; ENXIO: a FIFO without a reader, a socket or a device without its unit.
    if (file.get() < 0)
        throw errno == ELOOP || errno == ENXIO ? IoError(iocode::AccessDenied)
                                               : ioErrorFromErrno(errno, path);
    requireOpenedRegularFile(file, path);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) throw ioErrorFromErrno(errno, path);
    writeAll(file.get(), addition(static_cast<std::size_t>(st.st_size)), path);
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, path);
}

} // namespace qorv
