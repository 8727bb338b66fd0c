#pragma once
// An open file descriptor that is closed on every path out of a reader or writer.

#include <cerrno>
#include <unistd.h>

namespace qorv {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
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

} // namespace qorv
