// The steps of docs/saving.md in its order: the target, the clean-up, the one choice
// between rename and overwrite in place (replaceByRename), then either way.

#include "storage/SafeReplace.h"

#include "errors/IoError.h"
#include "storage/FileAttributes.h"
#include "storage/FileDescriptor.h"
#include "storage/Leftovers.h"
#include "storage/NewFile.h"
#include "storage/OverwriteInPlace.h"
#include "storage/PathParts.h"
#include "storage/SaveTarget.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

// The rename is only durable once the folder that holds the name is on disk too. The
// file has been replaced by then whatever happens here, so a folder that cannot be
// opened (one we may write but not read) or synced is no failed save.
void syncFolder(const std::string& target) {
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    FileDescriptor folder(fd);
    (void)::fsync(folder.get());
}

// A rename keeps an existing file what it was only when the new file can be given all of
// its identity and the old name can be replaced: its only link, an owner and group we
// can set, and a folder where we may make and remove names.
bool renameCanKeepIdentity(const std::string& target, const struct stat& st) {
    const std::string folder = folderOf(target);
    return st.st_nlink == 1 && canKeepOwner(st) && mayWriteFolder(folder) && !isAppendOnly(folder);
}

// Replaces the target by rename. False, with the target untouched and nothing left
// behind, when that would change what the file is: the checks above say so, its
// attributes cannot all be copied, or the folder refuses the rename after all.
bool replaceByRename(const SaveTarget& target, std::string_view bytes, mode_t newFileMode) {
    if (target.existing && !renameCanKeepIdentity(target.path, *target.existing)) return false;
    NewFile file(target.path, newFileMode);
    if (!target.existing)
        file.takeNewFileMode();
    else if (!file.takeOverIdentity(*target.existing))
        return false;
    file.write(bytes);
    file.sync();
    if (!file.replaceTarget(target.existing.has_value())) return false;
    syncFolder(target.path);
    return true;
}

} // namespace

void checkReplaceable(const std::string& name) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    const SaveTarget target = findSaveTarget(name);
    if (target.existing) return;
    // The new file is made in the folder: the writer's own errors for one that is missing.
    struct stat folder {};
    if (::stat(folderOf(target.path).c_str(), &folder) != 0)
        throw ioErrorFromErrno(errno, target.path);
    if (!S_ISDIR(folder.st_mode)) throw ioErrorFromErrno(ENOTDIR, target.path);
    if (!mayWriteFolder(folderOf(target.path))) throw IoError(iocode::AccessDenied);
}

Replaced replaceFileContent(const std::string& name, std::string_view bytes, mode_t newFileMode) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    const SaveTarget target = findSaveTarget(name);
    removeLeftovers(target.folder.get(), target.entry);
    if (replaceByRename(target, bytes, newFileMode))
        return target.existing ? Replaced::RenamedOver : Replaced::Created;
    // Only an existing file is ever refused the rename, but for a folder that refuses
    // even a new name.
    if (!target.existing) throw IoError(iocode::AccessDenied);
    overwriteInPlace(target.path, bytes, *target.existing);
    return Replaced::OverwrittenInPlace;
}

} // namespace qorv
