#pragma once
// An open file descriptor that is closed on every path out of a reader or writer.

#include "errors/IoError.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qorv {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Takes charge of `fd` (one not yet in anyone's charge).
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes now, so that a failing close can be reported: 0 or the errno. Linux
    // releases the descriptor even when close fails with EINTR, so it is never closed
    // twice.
    int closeNow() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 || errno == EINTR ? 0 : errno;
    }

  private:
    int fd_;
};

// What the descriptor refers to decides, not what its name was when it was looked at: a
// link to /dev/zero or a FIFO swapped in before the open is refused ("File access denied").
inline void requireOpenedRegularFile(const FileDescriptor& file, const std::string& name) {
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) throw ioErrorFromErrno(errno, name);
    if (!S_ISREG(st.st_mode)) throw IoError(iocode::AccessDenied);
}

} // namespace qorv
