#include "storage/TempName.h"

#include "errors/IoError.h"
#include "storage/PathParts.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <sys/random.h>

namespace qorv {

namespace {

constexpr std::string_view Letters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t RandomLength = 12; // 71 bits: no one guesses them, no two collide
constexpr std::string_view Suffix = ".tmp";
// Random names all taken, this many times in a row, means something else is going on
// (a full folder, a file system that says EEXIST for everything): no use trying on.
constexpr int Tries = 16;

// A hidden name within NAME_MAX however long the target's is.
std::string prefixFor(const std::string& target) {
    return "." + baseName(target).substr(0, 200) + ".";
}

std::string randomLetters() {
    std::array<unsigned char, RandomLength> bytes{};
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::getrandom(bytes.data() + got, bytes.size() - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ioErrorFromErrno(errno, "");
        got += static_cast<std::size_t>(n);
    }
    std::string letters;
    for (const unsigned char byte : bytes)
        letters += Letters[byte % Letters.size()];
    return letters;
}

} // namespace

TempNamePattern::TempNamePattern(const std::string& target) : prefix_(prefixFor(target)) {}

bool TempNamePattern::matches(std::string_view entry) const {
    return tempNamePrefixOf(entry) == std::string_view(prefix_);
}

std::optional<std::string_view> tempNamePrefixOf(std::string_view entry) {
    const std::size_t tail = RandomLength + Suffix.size();
    if (entry.size() < tail + 2 || !entry.ends_with(Suffix)) return std::nullopt;
    const std::string_view prefix = entry.substr(0, entry.size() - tail);
    const std::string_view random = entry.substr(prefix.size(), RandomLength);
    if (!prefix.starts_with('.') || !prefix.ends_with('.') ||
        !std::all_of(random.begin(), random.end(),
                     [](char c) { return Letters.find(c) != std::string_view::npos; }))
        return std::nullopt;
    return prefix;
}

std::string createUnderFreshTempName(const std::string& target,
                                     const std::function<int(const std::string& path)>& create) {
    for (int attempt = 0; attempt < Tries; ++attempt) {
        const std::string path =
            folderPrefix(target) + prefixFor(target) + randomLetters() + std::string(Suffix);
        const int err = create(path);
        if (err == 0) return path;
        if (err != EEXIST) throw ioErrorFromErrno(err, target);
    }
    throw IoError(iocode::NoTemporaryName);
}

} // namespace qorv
