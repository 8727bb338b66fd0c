#include "storage/BoundedRead.h"

#include "storage/FileDescriptor.h"
#include "errors/IoError.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

// A level (2,970 bytes) fits with the byte that shows its end, so it takes one buffer and
// one read. Files the kernel sizes as empty (/proc) and pipes start here and grow.
constexpr std::size_t FirstBufferBytes = 4096;

bool accepted(const struct stat& st, Readable readable) {
    return S_ISREG(st.st_mode) || (readable == Readable::RegularFileOrPipe && S_ISFIFO(st.st_mode));
}

class Source {
  public:
    Source(int fd, const std::string& name, const ReadRules& rules, bool pipe)
        : fd_(fd), name_(name), rules_(rules), pipe_(pipe) {}

    // Reads at most `size` bytes into `into`: how many, 0 at the end. A signal or a pipe
    // that has nothing yet is no failure.
    std::size_t readSome(char* into, std::size_t size) const {
        for (;;) {
            if (pipe_) waitForPipe();
            const ssize_t got = ::read(fd_, into, size);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR && errno != EAGAIN) throw ioErrorFromErrno(errno, name_);
        }
    }

  private:
    // Waits before every read: a FIFO opened without blocking reads as ended until its
    // writer comes, while poll() waits for the writer's bytes or its end.
    void waitForPipe() const {
        for (;;) {
            pollfd ready{fd_, POLLIN, 0};
            const int count = ::poll(&ready, 1, timeoutMilliseconds());
            if (count > 0) return;
            if (count == 0) throw ioErrorFromErrno(ETIMEDOUT, name_);
            if (errno != EINTR) throw ioErrorFromErrno(errno, name_);
        }
    }

    int timeoutMilliseconds() const {
        if (!rules_.deadline) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            *rules_.deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
    }

    int fd_;
    const std::string& name_;
    const ReadRules& rules_;
    bool pipe_;
};

// Whether a byte follows the limit. A file that refuses even that one read (the page map
// takes no one-byte reads) counts as going on.
bool goesOn(const Source& source) {
    char next;
    try {
        return source.readSome(&next, 1) != 0;
    } catch (const IoError&) {
        return true;
    }
}

} // namespace

BoundedBytes readBounded(const std::string& path, const ReadRules& rules) {
    if (path.empty()) throw IoError(iocode::PathNotFound);
    // Looked at before the open, so that no device sees an open() in the usual case, and
    // again through the descriptor, since the name may be swapped in between.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw ioErrorFromErrno(errno, path);
    if (!accepted(st, rules.readable)) throw IoError(iocode::AccessDenied);
    // O_NONBLOCK: opening a FIFO does not wait for its writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) throw ioErrorFromErrno(errno, path);
    BoundedBytes read = readBoundedFrom(file.get(), path, rules);
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, path);
    return read;
}

BoundedBytes readBoundedFrom(int fd, const std::string& name, const ReadRules& rules) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw ioErrorFromErrno(errno, name);
    if (!accepted(st, rules.readable)) throw IoError(iocode::AccessDenied);
    const Source source(fd, name, rules, !S_ISREG(st.st_mode));
    BoundedBytes read;
    std::string& bytes = read.bytes;
    // One byte more than the file's size: its end shows without a larger buffer. A file
    // that grows meanwhile, or has no size, doubles the buffer up to the limit.
    const auto sized = std::max(FirstBufferBytes, static_cast<std::size_t>(st.st_size) + 1);
    bytes.resize(std::min(rules.limit, sized));
    std::size_t filled = 0;
    while (filled < rules.limit) {
        if (filled == bytes.size()) bytes.resize(std::min(rules.limit, 2 * bytes.size()));
        const std::size_t wanted = bytes.size() - filled;
        const std::size_t got = source.readSome(bytes.data() + filled, wanted);
        if (got == 0) break;
        filled += got;
        // A regular file that gave every byte its size promised, and no more when it could,
        // has ended: one more read to see the end would be a third of the system calls of a
        // level. A file growing meanwhile is read as it stood a moment earlier.
        if (S_ISREG(st.st_mode) && got < wanted && filled == std::size_t(st.st_size)) break;
    }
    bytes.resize(filled);
    read.longer = filled == rules.limit && goesOn(source);
    return read;
}

} // namespace qorv
