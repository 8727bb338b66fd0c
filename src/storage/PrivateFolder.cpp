#include "storage/PrivateFolder.h"

#include "errors/IoError.h"
#include "storage/TempName.h"
#include "storage/WriteAll.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace qorv {

namespace {
constexpr mode_t PrivateMode = 0700;
constexpr int MaxLinks = 40; // as the kernel's own limit on a path

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw std::runtime_error("the recovery folder \"" + path + "\" " + why);
}

// Another account could rename or replace `entry` in `folder`: the folder is another
// account's, or open to others' writing without the sticky bit keeping what is ours.
bool othersCanReplace(const struct stat& folder, const struct stat& entry) {
    if (folder.st_uid != ::geteuid() && folder.st_uid != 0) return true;
    if ((folder.st_mode & (S_IWGRP | S_IWOTH)) == 0) return false;
    return !(folder.st_mode & S_ISVTX) || entry.st_uid != ::geteuid();
}

std::deque<std::string> partsOf(const std::string& path) {
    std::deque<std::string> parts;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        if (const std::string part = path.substr(start, slash - start);
            !part.empty() && part != ".")
            parts.push_back(part);
        start = slash + 1;
    }
    return parts;
}

int openRoot() {
    return ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

[[noreturn]] void refuseStep(const std::string& path, const std::string& part) {
    fail(path, "lies where another account can replace \"" + part + "\"");
}

// Puts the names the link `part` in `folder` stands for in front of the walk's; an absolute
// link takes the walk back to the root.
void expandLink(const std::string& path, FileDescriptor& folder, const std::string& part,
                std::deque<std::string>& parts) {
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(folder.get(), part.c_str(), target, sizeof target);
    if (length <= 0 || length == ssize_t(sizeof target)) fail(path, "has an unreadable link");
    const std::string to(target, std::size_t(length));
    const std::deque<std::string> more = partsOf(to);
    parts.insert(parts.begin(), more.begin(), more.end());
    if (to.front() == '/') folder.reset(openRoot());
}

// Walks `path` from the root one name at a time, never letting the kernel follow a link:
// a link is read and walked in turn, so every folder on the way is checked.
void openAlongSafePath(const std::string& path, FileDescriptor& folder) {
    folder.reset(openRoot());
    std::deque<std::string> parts = partsOf(path);
    for (int links = 0; !parts.empty();) {
        const std::string part = parts.front();
        struct stat here {};
        struct stat entry {};
        if (::fstat(folder.get(), &here) != 0) fail(path, std::strerror(errno));
        const int next =
            ::openat(folder.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT) {
            entry.st_uid = ::geteuid(); // made only where it would stay ours
            if (othersCanReplace(here, entry)) refuseStep(path, part);
            if (::mkdirat(folder.get(), part.c_str(), PrivateMode) != 0 && errno != EEXIST)
                fail(path, std::string("cannot be made: ") + std::strerror(errno));
            continue; // then opened and checked as any other
        }
        if (next >= 0) {
            folder.reset(next);
            if (::fstat(folder.get(), &entry) != 0) fail(path, std::strerror(errno));
        } else if (::fstatat(folder.get(), part.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
                   !S_ISLNK(entry.st_mode)) {
            fail(path, "is not a folder of its own (a file on its way?)");
        }
        if (othersCanReplace(here, entry)) refuseStep(path, part);
        parts.pop_front();
        if (next >= 0) continue;
        if (parts.empty()) fail(path, "is a link, not a folder of its own");
        if (++links > MaxLinks) fail(path, "has too many links on its way");
        expandLink(path, folder, part, parts);
    }
}
} // namespace

std::string stateFolderFromEnvironment() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/qorvedit";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/state/qorvedit";
    return {};
}

PrivateFolder::PrivateFolder(std::string path) : path_(std::move(path)) {
    if (path_.empty() || path_.front() != '/') fail(path_, "is no absolute path");
    openAlongSafePath(path_, folder_);
    struct stat st {};
    if (::fstat(folder_.get(), &st) != 0) fail(path_, std::strerror(errno));
    if (st.st_uid != ::geteuid()) fail(path_, "belongs to another account");
    if ((st.st_mode & 07777) != PrivateMode && ::fchmod(folder_.get(), PrivateMode) != 0)
        fail(path_, "cannot be made private");
}

int PrivateFolder::openFile(const std::string& name, int flags, mode_t mode) const {
    return ::openat(folder_.get(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

std::optional<struct stat> PrivateFolder::statOf(const std::string& name) const {
    struct stat st {};
    if (::fstatat(folder_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return {};
    return st;
}

int PrivateFolder::rename(const std::string& from, const std::string& to, unsigned flags) const {
    return ::renameat2(folder_.get(), from.c_str(), folder_.get(), to.c_str(), flags) == 0 ? 0
                                                                                           : errno;
}

int PrivateFolder::remove(const std::string& name) const {
    return ::unlinkat(folder_.get(), name.c_str(), 0) == 0 ? 0 : errno;
}

std::vector<std::string> PrivateFolder::names() const {
    std::vector<std::string> names;
    // A descriptor of its own: closedir closes it, and it reads from the start.
    const int fd = ::openat(folder_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0) ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

void PrivateFolder::writeFile(const std::string& name, std::string_view bytes) const {
    FileDescriptor file;
    const std::string temp = createUnderFreshTempName(name, [&](const std::string& fresh) {
        file.reset(openFile(fresh, O_WRONLY | O_CREAT | O_EXCL, 0600));
        return file.get() < 0 ? errno : 0;
    });
    try {
        writeAll(file.get(), bytes, pathOf(name));
        if (::fsync(file.get()) != 0) throw ioErrorFromErrno(errno, pathOf(name));
        if (const int error = file.closeNow()) throw ioErrorFromErrno(error, pathOf(name));
        if (const int error = rename(temp, name)) throw ioErrorFromErrno(error, pathOf(name));
    } catch (...) {
        remove(temp);
        throw;
    }
    (void)::fsync(folder_.get()); // the new name on disk; the file is replaced either way
}

} // namespace qorv
