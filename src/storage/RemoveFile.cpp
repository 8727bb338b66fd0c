#include "storage/RemoveFile.h"

#include "storage/FileDescriptor.h"
#include "errors/IoError.h"
#include "storage/PathParts.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

Removal removeOwnFile(const std::string& path) {
    // The folder is opened once: the entry looked at is the entry removed, wherever a link
    // on the way to it would point now.
    const FileDescriptor folder(
        ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC));
    if (folder.get() < 0) throw ioErrorFromErrno(errno, path);
    const std::string entry = baseName(path);
    struct stat found {};
    if (::fstatat(folder.get(), entry.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return Removal::Absent;
        throw ioErrorFromErrno(errno, path);
    }
    if (!S_ISREG(found.st_mode) || found.st_uid != ::geteuid())
        throw IoError(IoCode::AccessDenied, "not a regular file of this account's, left as it is");
    if (::unlinkat(folder.get(), entry.c_str(), 0) != 0) throw ioErrorFromErrno(errno, path);
    return Removal::Removed;
}

} // namespace qorv
