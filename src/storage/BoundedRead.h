#pragma once
// Reading a file descriptor into a buffer of a known size.

#include "core/IoError.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace qorv {

// Fills `bytes` from `fd` until it is full or the file ends, going on after a short read
// or a signal, and cuts `bytes` to what was read. Throws the IoError for `path`.
inline void readUpTo(int fd, std::string& bytes, const std::string& path) {
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ioErrorFromErrno(errno, path);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
}

} // namespace qorv
