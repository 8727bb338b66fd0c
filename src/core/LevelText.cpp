#include "core/LevelFile.h"

#include "core/CharTable.h"
#include "core/FileDescriptor.h"
#include "core/IoError.h"
#include "core/SafeReplace.h"

#include <algorithm>
#include <array>
#include <cerrno>
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

// A folder, FIFO or device is no level file; finding that out with stat() before
// opening means no device sees an open() in the usual case. The opened file is checked
// again once open, since the name may be swapped between the two.
void requireRegularFile(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) throw ioErrorFromErrno(errno, name);
    if (!S_ISREG(st.st_mode)) throw IoError(iocode::AccessDenied);
}

int openForReading(const std::string& name) {
    // O_NONBLOCK: a FIFO swapped in after the check must not block the open.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw ioErrorFromErrno(errno, name);
    return fd;
}

// Whether the file has no byte left: a file of exactly the reader's limit may still
// end in a last line without a line end. A file that cannot even be read on (the page
// map takes no one-byte reads) counts as going on.
bool atEnd(const FileDescriptor& file) {
    char next;
    for (;;) {
        const ssize_t got = ::read(file.get(), &next, 1);
        if (got >= 0) return got == 0;
        if (errno != EINTR) return false;
    }
}

void readLevel(const FileDescriptor& file, const std::string& name, LevelLineParser& parser) {
    // A level is 2,970 bytes; the buffer bounds the memory a huge file can take and
    // MaxLevelFileRead the time: a sparse file of exabytes or /proc/self/pagemap
    // (regular files without a line end) are refused once that much gave no level.
    std::array<char, 64 * 1024> buffer;
    std::size_t total = 0;
    while (total < MaxLevelFileRead) {
        const std::size_t wanted = std::min(buffer.size(), MaxLevelFileRead - total);
        const ssize_t got = ::read(file.get(), buffer.data(), wanted);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ioErrorFromErrno(errno, name);
        }
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
        if (!parser.feed(buffer.data(), static_cast<std::size_t>(got))) return;
    }
    if (total == MaxLevelFileRead && !atEnd(file)) throw IoError(iocode::NotALevel);
    parser.endInput();
}

} // namespace

void loadQRE(const std::string& name, LevelGrid& grid) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    requireRegularFile(name);
    FileDescriptor file(openForReading(name));
    requireOpenedRegularFile(file, name);
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

// A tile without a character is refused before any file is touched.
void saveQRE(const std::string& name, const LevelGrid& grid) {
    replaceFileContent(name, formatLevel(grid));
}

} // namespace qorv
