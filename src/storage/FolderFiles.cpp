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

} // namespace

std::optional<std::vector<std::string>> regularFilesIn(const std::string& folder) {
    const int opened = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) return std::nullopt;
    // From here on closedir closes the descriptor.
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(opened), &::closedir);
    if (!listing) {
        ::close(opened);
        return std::nullopt;
    }
    std::vector<std::string> names;
    const int fd = ::dirfd(listing.get());
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        if (mayBeRegularFile(fd, entry->d_name)) names.emplace_back(name);
    }
    return names;
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
