#pragma once
// Writing a whole buffer to a file descriptor.

#include "errors/IoError.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <unistd.h>

namespace qorv {

// write() may take fewer bytes than asked (a nearly full disk, a signal): go on from
// where it stopped. A write that takes nothing without an error would never finish:
// the disk has no room. Throws the IoError for `path`.
inline void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throw ioErrorFromErrno(errno, path);
        if (put == 0) throw IoError(iocode::DiskFull);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

} // namespace qorv
