#include "core/LevelFile.h"

#include "core/CharTable.h"
#include "core/IoError.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

constexpr char LineEndCR = '\r';
constexpr char LineEndLF = '\n';
constexpr char EndOfFileByte = 0x1A;

// ---------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------

// Splits level-file bytes into lines and keeps the first 64 bytes of each of the first
// 45 lines, to make a level of them once all are there. Bytes can arrive in pieces of
// any size, so the same parser serves a file read through a small buffer and bytes
// already in memory; a line's tail beyond its 64th byte is skipped, not kept.
class LevelLineParser {
  public:
    // Takes the next piece of the file. Returns false once nothing more is needed:
    // all 45 lines are complete, or an end-of-file byte ended the file.
    bool feed(const char* data, std::size_t size) {
        if (finished_) return false;
        if (size == 0) return true;
        const char* end = data + size;
        const auto* eofByte = static_cast<const char*>(std::memchr(data, EndOfFileByte, size));
        const char* limit = eofByte ? eofByte : end;
        for (const char* p = data; p < limit;) {
            if (afterCR_) {
                afterCR_ = false;
                if (*p == LineEndLF) {
                    ++p;
                    continue;
                }
            }
            const auto* cr = static_cast<const char*>(std::memchr(p, LineEndCR, limit - p));
            keep(p, (cr ? cr : limit) - p);
            if (!cr) break;
            endLine();
            afterCR_ = true;
            p = cr + 1;
            if (row_ == GridHeight) {
                finished_ = true;
                return false;
            }
        }
        if (eofByte) {
            endInput();
            return false;
        }
        return true;
    }

    // The input has ended: the line in progress is the last one.
    void endInput() {
        if (row_ < GridHeight) {
            endLine();
            if (row_ < GridHeight) throw IoError(iocode::ReadBeyondEnd); // lines missing
        }
        finished_ = true;
    }

    // Writes the level read over `grid`, once the input has ended or all 45 lines are
    // complete.
    void storeLevel(LevelGrid& grid) const {
        // The file is row by row and the grid column by column. Walking the grid in
        // its own order keeps the stores in sequence, which is what the processor is
        // fast at; the scattered reads come from the small row buffer.
        TileIndex* cell = grid.cells.data();
        for (int x = 0; x < GridWidth; ++x)
            for (int y = 0; y < GridHeight; ++y)
                *cell++ = CharToTile[rows_[y][x]];
    }

  private:
    // Keeps the bytes of the line in progress up to its 64th; the rest of a long
    // line is skipped.
    void keep(const char* bytes, std::size_t count) {
        std::array<unsigned char, GridWidth>& line = rows_[row_];
        const std::size_t room = line.size() - lineLength_;
        const std::size_t taken = count < room ? count : room;
        std::memcpy(line.data() + lineLength_, bytes, taken);
        lineLength_ += taken;
    }

    // A line shorter than a row has no bytes for the rest of the row: reading them
    // would be reading beyond the end of the line.
    void endLine() {
        if (lineLength_ < GridWidth) throw IoError(iocode::ReadBeyondEnd);
        ++row_;
        lineLength_ = 0;
    }

    // The first 64 bytes of each line, as they stand in the file.
    std::array<std::array<unsigned char, GridWidth>, GridHeight> rows_{};
    std::size_t lineLength_ = 0;
    int row_ = 0;
    bool afterCR_ = false;
    bool finished_ = false;
};

// Closes the descriptor on every path out of a reader or writer.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now, so that a failing close can be reported. Linux releases the
    // descriptor even when close fails with EINTR, so it is never closed twice.
    int closeNow() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 || errno == EINTR ? 0 : errno;
    }

  private:
    int fd_;
};

// A folder, FIFO or device is no level file; finding that out with stat() before
// opening means a FIFO without a writer never blocks the editor and no device sees
// an open().
void requireRegularFile(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) throw ioErrorFromErrno(errno, name);
    if (!S_ISREG(st.st_mode)) throw IoError(iocode::AccessDenied);
}

int openForReading(const std::string& name) {
    // O_NONBLOCK guards against the name being swapped for a FIFO after the check.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw ioErrorFromErrno(errno, name);
    return fd;
}

void readLevel(const FileDescriptor& file, const std::string& name, LevelLineParser& parser) {
    // A level is 2,970 bytes; the buffer only bounds the memory a huge file can take.
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ioErrorFromErrno(errno, name);
        }
        if (got == 0) {
            parser.endInput();
            return;
        }
        if (!parser.feed(buffer.data(), static_cast<std::size_t>(got))) return;
    }
}

// ---------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------

constexpr int MaxLinkHops = 40; // what the kernel allows before ELOOP

std::string folderPrefix(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const std::string prefix = folderPrefix(path);
    if (prefix.empty()) return ".";
    return prefix.size() == 1 ? prefix : prefix.substr(0, prefix.size() - 1);
}

// Saving through a symbolic link must replace the file the link names, not the link:
// renaming over the link itself would turn it into a plain file. A dangling link
// yields the name of the file to create.
std::string resolveLinks(const std::string& name) {
    std::string path = name;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return path;
            throw ioErrorFromErrno(errno, name);
        }
        if (!S_ISLNK(st.st_mode)) return path;
        std::array<char, 4096> link;
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0) throw ioErrorFromErrno(errno, name);
        if (static_cast<std::size_t>(length) == link.size())
            throw ioErrorFromErrno(ENAMETOOLONG, name);
        const std::string target(link.data(), static_cast<std::size_t>(length));
        path = !target.empty() && target.front() == '/' ? target : folderPrefix(path) + target;
    }
    throw ioErrorFromErrno(ELOOP, name);
}

// What the target is before the save: absent, or a regular file whose mode and owner
// the new file takes over.
struct ExistingFile {
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

// Refuses a target that is no regular file or that is read-only. The owner's write
// bit decides even for root, who passes every access() check: a level its owner made
// read-only stays unchanged. access() then refuses a file of someone else's that we
// could not write although its folder would let us replace it.
ExistingFile checkTarget(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        throw ioErrorFromErrno(errno, target);
    }
    if (!S_ISREG(st.st_mode)) throw IoError(iocode::AccessDenied);
    if ((st.st_mode & S_IWUSR) == 0) throw IoError(iocode::AccessDenied);
    if (::access(target.c_str(), W_OK) != 0 && errno == EACCES) throw IoError(iocode::AccessDenied);
    return {true, st.st_mode & 07777, st.st_uid, st.st_gid};
}

// A uniquely named file beside the target, removed again unless it has been renamed
// over the target. Every failure is reported against the target's name.
class TempFile {
  public:
    explicit TempFile(const std::string& target) : target_(target) { create(); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(path_.c_str());
    }

    // The replaced level keeps its owner where we may set it, and its mode. The owner
    // comes first because changing it clears the set-user-ID bits.
    void takeOver(const ExistingFile& old) {
        if (::fchown(fd_, old.owner, old.group) != 0) (void)::fchown(fd_, -1, old.group);
        if (::fchmod(fd_, old.mode) != 0 && errno != EPERM && errno != EOPNOTSUPP) fail(errno);
    }

    // write() may take fewer bytes than asked (a nearly full disk, a signal): go on
    // from where it stopped until everything is written or it reports an error.
    void write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
            if (put < 0) {
                if (errno == EINTR) continue;
                fail(errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(put));
        }
    }

    // The data must be on disk before the rename makes it the level: otherwise a crash
    // could leave an empty file where the old level was.
    void sync() {
        if (::fsync(fd_) != 0) fail(errno);
    }

    void close() {
        const int result = ::close(fd_);
        fd_ = -1; // released even when close fails (Linux)
        if (result != 0 && errno != EINTR) fail(errno);
    }

    void renameOverTarget() {
        if (::rename(path_.c_str(), target_.c_str()) != 0) fail(errno);
        committed_ = true;
    }

  private:
    // Created with mode 0666 like any new file, so the umask and the folder's default
    // ACL apply to a new level; O_EXCL makes the name ours alone.
    void create() {
        // Keep the name within NAME_MAX however long the target's name is.
        const std::string stem = folderPrefix(target_) + "." + baseName(target_).substr(0, 200) +
                                 "." + std::to_string(::getpid()) + "-";
        auto unique = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100;
             ++attempt, unique = unique * 6364136223846793005ULL + 1) {
            path_ = stem + std::to_string(unique % 1000000007ULL) + ".tmp";
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) return;
            if (errno != EEXIST) {
                committed_ = true; // nothing of ours to remove
                throw ioErrorFromErrno(errno, target_);
            }
        }
        committed_ = true;
        throw ioErrorFromErrno(EEXIST, target_);
    }

    [[noreturn]] void fail(int err) const { throw ioErrorFromErrno(err, target_); }

    std::string target_;
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

// The rename is only durable once the folder that holds the name is on disk too.
// Some file systems cannot sync a folder (EINVAL); the level itself is complete then.
void syncFolder(const std::string& target) {
    const std::string folder = folderOf(target);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw ioErrorFromErrno(errno, target);
    FileDescriptor dir(fd);
    if (::fsync(dir.get()) != 0 && errno != EINVAL) throw ioErrorFromErrno(errno, target);
}

} // namespace

void loadQRE(const std::string& name, LevelGrid& grid) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    requireRegularFile(name);
    FileDescriptor file(openForReading(name));
    LevelLineParser parser;
    readLevel(file, name, parser);
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, name);
    // Only a level read whole reaches the caller's grid.
    parser.storeLevel(grid);
}

LevelGrid parseLevel(std::string_view bytes) {
    LevelLineParser parser;
    parser.feed(bytes.data(), bytes.size());
    parser.endInput();
    LevelGrid grid;
    parser.storeLevel(grid);
    return grid;
}

void saveQRE(const std::string& name, const LevelGrid& grid) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    // A tile without a character is refused before any file is touched.
    const std::string bytes = formatLevel(grid);
    const std::string target = resolveLinks(name);
    const ExistingFile existing = checkTarget(target);
    TempFile temp(target);
    if (existing.exists) temp.takeOver(existing);
    temp.write(bytes);
    temp.sync();
    temp.close();
    temp.renameOverTarget();
    syncFolder(target);
}

std::string formatLevel(const LevelGrid& grid) {
    std::string bytes(LevelFileSize, '\0');
    char* out = bytes.data();
    for (int y = 0; y < GridHeight; ++y) {
        for (int x = 0; x < GridWidth; ++x) {
            const TileIndex tile = grid.at(x, y);
            const std::optional<unsigned char> c = M2O(tile);
            if (!c)
                throw EditorError("Tile " + std::to_string(tile) + " at column " +
                                  std::to_string(x) + ", row " + std::to_string(y) +
                                  " has no character in the level file format");
            *out++ = static_cast<char>(*c);
        }
        *out++ = LineEndCR;
        *out++ = LineEndLF;
    }
    return bytes;
}

} // namespace qorv
