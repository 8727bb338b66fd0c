#include "storage/FolderWalk.h"

#include "errors/IoError.h"
#include "storage/PlantedEntry.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace qorv {

FileDescriptor openRootFolder() {
    FileDescriptor root(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0) throw ioErrorFromErrno(errno, "/");
    return root;
}

std::optional<FileDescriptor> openFolderIn(int parent, const std::string& name,
                                           const std::string& shownName) {
    FileDescriptor folder(::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) return folder;
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw ioErrorFromErrno(errno, shownName);
}

bool trustedEntryExistsIn(int folder, const std::string& name, const std::string& shownName) {
    struct stat entry {};
    if (::fstatat(folder, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return false;
        throw ioErrorFromErrno(errno, shownName);
    }
    struct stat folderInfo {};
    if (::fstat(folder, &folderInfo) != 0) throw ioErrorFromErrno(errno, shownName);
    return trustedIn(entry, folderInfo);
}

BoundedBytes readBoundedIn(int folder, const std::string& name, const std::string& shownName,
                           const ReadRules& rules) {
    // As readBounded: the kind looked at before the open, so that no device is opened.
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, 0) != 0) throw ioErrorFromErrno(errno, shownName);
    if (!S_ISREG(st.st_mode)) throw IoError(iocode::AccessDenied);
    FileDescriptor file(
        ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) throw ioErrorFromErrno(errno, shownName);
    BoundedBytes read = readBoundedFrom(file.get(), shownName, rules);
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, shownName);
    return read;
}

} // namespace qorv
