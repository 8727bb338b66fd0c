#include "storage/Leftovers.h"

#include "storage/FileDescriptor.h"
#include "storage/PathParts.h"
#include "storage/TempName.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

bool holdAsLiveSave(int fd, const std::string& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    struct stat named {};
    struct stat opened {};
    return path.empty() || (::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &opened) == 0 &&
                            sameFile(named, opened));
}

void removeLeftovers(const std::string& target) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(folderOf(target).c_str()), &::closedir);
    if (!folder) return; // a folder we may not list keeps them
    const TempNamePattern ours(target);
    while (const dirent* entry = ::readdir(folder.get()))
        if (ours.matches(entry->d_name)) removeIfDead(::dirfd(folder.get()), entry->d_name);
}

} // namespace qorv
