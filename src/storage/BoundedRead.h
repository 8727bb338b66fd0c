#pragma once
// Reading a file whole, up to a size limit: every reader of the program reads through here.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace qorv {

// What a reader accepts besides a regular file.
enum class Readable {
    RegularFile,      // the editor's readers: a FIFO or device is "File access denied"
    RegularFileOrPipe // the headless tools' inputs: also a FIFO, a pipe, /dev/fd/N
};

struct ReadRules {
    std::size_t limit = 0; // the most bytes kept
    Readable readable = Readable::RegularFile;
    // Waiting for a pipe's writer ends here with "I/O error 110"; none: no time limit.
    std::optional<std::chrono::steady_clock::time_point> deadline{};
};

struct BoundedBytes {
    std::string bytes;   // the file's first bytes, at most the limit
    bool longer = false; // the file went on beyond the limit
};

// Opens `path` and reads it to its end or the limit. Throws IoError ("File access denied"
// for what the rules do not accept, checked before the open and again on the descriptor).
BoundedBytes readBounded(const std::string& path, const ReadRules& rules);

// The same for a descriptor already open (standard input, a file being overwritten),
// read from where it stands and left open; `name` is what its errors are about.
BoundedBytes readBoundedFrom(int fd, const std::string& name, const ReadRules& rules);

} // namespace qorv
