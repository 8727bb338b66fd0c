#include "core/ConflictMarkers.h"

#include "core/FileDescriptor.h"
#include "core/LevelFile.h"
#include "core/ReadAll.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

constexpr std::string_view Markers[] = {"<<<<<<<", "=======", ">>>>>>>"};

// The bytes of `text` from `start` up to the next line end, and where the next line starts.
std::string_view lineAt(std::string_view text, std::size_t start, std::size_t& next) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    next = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++next;
    return text.substr(start, end - start);
}

} // namespace

std::optional<int> conflictMarkerLine(std::string_view bytes) {
    // Asked after every failed read of a level, mostly of files without any conflict: one
    // search for the opening marker answers those without splitting them into lines.
    if (bytes.find(Markers[0]) == std::string_view::npos) return std::nullopt;
    std::size_t expected = 0; // the index of the marker the conflict needs next
    int opening = 0;
    int line = 1;
    for (std::size_t start = 0, next = 0; start < bytes.size(); start = next, ++line) {
        const std::string_view text = lineAt(bytes, start, next);
        if (text.starts_with(Markers[0])) {
            expected = 1; // a later opening marker starts the conflict afresh
            opening = line;
        } else if (expected > 0 && text.starts_with(Markers[expected])) {
            if (++expected == std::size(Markers)) return opening;
        }
    }
    return std::nullopt;
}

std::optional<int> conflictMarkerLineInFile(const std::string& name) {
    // Opened as the reader opens a level: a FIFO or device swapped in is never read.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    FileDescriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    // Every short level of a --check comes here: a buffer of the file's own size. Zeroing
    // one of the reader's whole limit (4 MiB) for a level of 2,000 bytes made --check of
    // many short levels twice as slow.
    std::string bytes(std::min(static_cast<std::size_t>(st.st_size), MaxLevelFileRead), '\0');
    try {
        readUpTo(fd, bytes, name);
    } catch (const IoError&) {
        return std::nullopt;
    }
    return conflictMarkerLine(bytes);
}

} // namespace qorv
