#include "storage/FolderFiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

// A link that leads nowhere is kept, so that reading it says so; a FIFO, a socket, a device
// or a folder is no file of the set, and a FIFO would keep its reader waiting.
bool mayBeRegularFile(int folder, const char* name) {
    struct stat st {};
    if (::fstatat(folder, name, &st, 0) == 0) return S_ISREG(st.st_mode);
    return (errno == ENOENT || errno == ELOOP) &&
           ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

using Listing = std::unique_ptr<DIR, int (*)(DIR*)>;

// The listing of the folder open as `opened`, which it closes; nothing when it cannot be
// listed (errno says why).
Listing listingOf(int opened) {
    // From here on closedir closes the descriptor.
    Listing listing(::fdopendir(opened), &::closedir);
    if (!listing) {
        const int error = errno;
        ::close(opened);
        errno = error;
    }
    return listing;
}

bool isRealFolder(int folder, const char* name) {
    struct stat st {};
    return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

void walkInto(DIR* listing, const std::string& prefix, bool descend, FolderWalk& walk) {
    const int fd = ::dirfd(listing);
    std::vector<std::string> below;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        // The type the listing gives spares a look at each file of a folder of 10,000 levels.
        if (entry->d_type == DT_REG ||
            (entry->d_type != DT_DIR && mayBeRegularFile(fd, entry->d_name)))
            walk.files.push_back(prefix + std::string(name));
        else if (descend && (entry->d_type == DT_DIR ||
                             (entry->d_type == DT_UNKNOWN && isRealFolder(fd, entry->d_name))))
            below.emplace_back(name);
    }
    for (const std::string& name : below) {
        const int opened =
            ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        Listing sub = opened < 0 ? Listing(nullptr, &::closedir) : listingOf(opened);
        if (!sub)
            walk.unlisted.emplace_back(prefix + name, errno);
        else
            walkInto(sub.get(), prefix + name + '/', descend, walk);
    }
}

} // namespace

std::optional<FolderWalk> walkFolder(const std::string& folder, bool descend) {
    const int opened = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) return std::nullopt;
    const Listing listing = listingOf(opened);
    if (!listing) return std::nullopt;
    FolderWalk walk;
    walkInto(listing.get(), std::string(), descend, walk);
    return walk;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

} // namespace qorv
