#include "storage/SaveTarget.h"

#include "storage/FileAttributes.h"
#include "storage/IoError.h"
#include "storage/PathParts.h"

#include <array>
#include <cerrno>
#include <unistd.h>

namespace qorv {

namespace {

constexpr int MaxLinksFollowed = 40; // the kernel's limit before ELOOP

// In a sticky folder others may write, anyone can plant a link; following it would
// let them pick the file we write.
bool mayFollow(const std::string& link, const struct stat& linkStat) {
    struct stat folder {};
    if (::stat(folderOf(link).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == folder.st_uid;
}

std::string linkTarget(const std::string& link, const std::string& name) {
    std::array<char, 4096> text;
    const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
    if (length < 0) throw ioErrorFromErrno(errno, name);
    if (static_cast<std::size_t>(length) == text.size()) throw ioErrorFromErrno(ENAMETOOLONG, name);
    const std::string target(text.data(), static_cast<std::size_t>(length));
    return !target.empty() && target.front() == '/' ? target : folderPrefix(link) + target;
}

} // namespace

SaveTarget findSaveTarget(const std::string& name) {
    std::string path = name;
    for (int followed = 0;; ++followed) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return {path, std::nullopt};
            throw ioErrorFromErrno(errno, name);
        }
        if (!S_ISLNK(st.st_mode)) {
            if (!S_ISREG(st.st_mode) || !mayWriteFile(path, st))
                throw IoError(iocode::AccessDenied);
            return {path, st};
        }
        if (followed == MaxLinksFollowed) throw ioErrorFromErrno(ELOOP, name);
        if (!mayFollow(path, st)) throw IoError(iocode::AccessDenied);
        path = linkTarget(path, name);
    }
}

} // namespace qorv
