#include "storage/Leftovers.h"

#include "storage/FileDescriptor.h"
#include "storage/TempName.h"

#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qorv {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Only our own files: another account's file of the same name in a shared folder is
// hers, dead save or not. The lock taken, the entry must still be the file locked:
// otherwise a live save may have just replaced it.
void removeIfDead(int folder, const char* entry) {
    struct stat named {};
    if (::fstatat(folder, entry, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
        named.st_uid != ::geteuid())
        return;
    const int fd =
        ::openat(folder, entry, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    const FileDescriptor file(fd);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || !sameFile(opened, named) ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return;
    if (::fstatat(folder, entry, &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(opened, named))
        (void)::unlinkat(folder, entry, 0);
}

// The folder's names that have the form of a temporary name, by the target they belong to;
// nothing for a folder we may not list, which keeps them.
using TempNames = std::unordered_map<std::string, std::vector<std::string>>;

TempNames tempNamesIn(int folder) {
    TempNames names;
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return names;
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(fd), &::closedir);
    if (!listing) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(listing.get()))
        if (const auto prefix = tempNamePrefixOf(entry->d_name))
            names[std::string(*prefix)].emplace_back(entry->d_name);
    return names;
}

// The folders listed in this run, by identity, with the temporary names not yet looked at.
struct ListedFolders {
    std::mutex lock;
    int runs = 0; // how many LeftoversListedOncePerFolder live
    std::map<std::pair<dev_t, ino_t>, TempNames> listed;
};

ListedFolders& listedFolders() {
    static ListedFolders folders;
    return folders;
}

// The temporary names of `entry`'s saves in `folder`: from its one listing in a run.
std::vector<std::string> tempNamesOf(int folder, const std::string& entry) {
    const std::string prefix = TempNamePattern(entry).prefix();
    ListedFolders& folders = listedFolders();
    std::unique_lock hold(folders.lock);
    struct stat st {};
    if (folders.runs == 0 || ::fstat(folder, &st) != 0) {
        hold.unlock();
        TempNames names = tempNamesIn(folder);
        return std::move(names[prefix]);
    }
    const auto key = std::make_pair(st.st_dev, st.st_ino);
    auto found = folders.listed.find(key);
    if (found == folders.listed.end())
        found = folders.listed.emplace(key, tempNamesIn(folder)).first;
    const auto names = found->second.find(prefix);
    if (names == found->second.end()) return {};
    std::vector<std::string> ours = std::move(names->second);
    found->second.erase(names);
    return ours;
}

} // namespace

bool holdAsLiveSave(int fd, const std::string& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    struct stat named {};
    struct stat opened {};
    return path.empty() || (::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &opened) == 0 &&
                            sameFile(named, opened));
}

void removeLeftovers(int folder, const std::string& entry) {
    for (const std::string& name : tempNamesOf(folder, entry))
        removeIfDead(folder, name.c_str());
}

LeftoversListedOncePerFolder::LeftoversListedOncePerFolder() {
    const std::lock_guard hold(listedFolders().lock);
    ++listedFolders().runs;
}

LeftoversListedOncePerFolder::~LeftoversListedOncePerFolder() {
    const std::lock_guard hold(listedFolders().lock);
    if (--listedFolders().runs == 0) listedFolders().listed.clear();
}

} // namespace qorv
