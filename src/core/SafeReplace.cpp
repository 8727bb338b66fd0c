// Replacing a file's content safely. The one choice, made in replaceByRename: a new
// file, or one whose identity a new file can take over completely, is replaced by
// rename; the new content is written to a new file beside it, synced, and renamed over
// the old one, so the old content stays whole until the new one is on disk. Any other
// file (hard-linked, not ours, in a folder we may not write or that is append-only,
// with attributes we cannot copy) is overwritten in place, as a plain editor would,
// and keeps its inode, links, owner, mode, ACL and attributes.

#include "core/SafeReplace.h"

#include "core/FileAttributes.h"
#include "core/FileDescriptor.h"
#include "core/IoError.h"
#include "core/Leftovers.h"
#include "core/OverwriteInPlace.h"
#include "core/PathParts.h"
#include "core/SaveTarget.h"
#include "core/TempName.h"
#include "core/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The new content's file beside the target. Where the file system allows, it has no
// name until it is complete, so a save that dies part way leaves nothing behind;
// elsewhere it has a random temporary name from the start, and is private (0600) until
// it gets its final mode. Either way it is locked as a live save's (Leftovers.h) until
// it has replaced the target, and its temporary name is removed unless the save gets
// that far.
class NewFile {
  public:
    NewFile(const std::string& target, mode_t newFileMode) : target_(target) {
        if (!createUnnamed(newFileMode)) createNamed();
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (!tempName_.empty()) ::unlink(tempName_.c_str());
    }

    // The mode a file made by open() with `newFileMode` would have: only the named
    // file was made private instead.
    void takeNewFileMode(mode_t newFileMode) {
        if (!tempName_.empty() && ::fchmod(file_.get(), newFileMode & ~currentUmask()) != 0)
            fail(errno);
    }

    // False when the old file's owner, attributes or mode cannot all be given to it.
    bool takeOverIdentity(const struct stat& old) {
        return qorv::takeOverIdentity(file_.get(), target_, old);
    }

    void write(std::string_view bytes) { writeAll(file_.get(), bytes, target_); }

    // The data must be on disk before the rename makes it the file: otherwise a crash
    // could leave an empty file where the old content was.
    void sync() {
        if (::fsync(file_.get()) != 0) fail(errno);
    }

    // Puts the complete file in the target's place. A new file made unnamed takes the
    // target's name directly; otherwise it is renamed over the target. False, with the
    // target untouched, when the folder refuses the rename (EPERM: append-only).
    bool replaceTarget(bool targetExists) {
        if (tempName_.empty()) {
            if (!targetExists && linkUnnamedAs(target_) == 0) {
                close();
                return true;
            }
            tempName_ = createUnderFreshTempName(
                target_, [&](const std::string& path) { return linkUnnamedAs(path); });
        }
        close();
        if (::rename(tempName_.c_str(), target_.c_str()) != 0) {
            if (errno == EPERM) return false;
            fail(errno);
        }
        tempName_.clear();
        return true;
    }

  private:
    // Unnamed, it is created with the caller's mode, so the umask and the folder's
    // default ACL apply as to any new file; no one else can open it.
    bool createUnnamed(mode_t newFileMode) {
        const int fd =
            ::open(folderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, newFileMode);
        if (fd < 0) {
            // Only a file system without unnamed files (or an older kernel) falls back.
            if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
            fail(errno);
        }
        file_.reset(fd);
        // No one else can reach an unnamed file to lock it first.
        (void)holdAsLiveSave(fd);
        keepLockUntilTheEnd();
        return true;
    }

    void createNamed() {
        tempName_ = createUnderFreshTempName(target_, [&](const std::string& path) {
            const int fd =
                ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       S_IRUSR | S_IWUSR);
            if (fd < 0) return errno;
            file_.reset(fd);
            if (holdAsLiveSave(fd, path)) return 0;
            file_.reset(-1); // another save's clean-up took it: try another name
            return EEXIST;
        });
        keepLockUntilTheEnd();
    }

    // The lock belongs to the open file, not to a descriptor: a second descriptor of it
    // keeps it held once the written one is closed, until the rename is done.
    void keepLockUntilTheEnd() { lock_.reset(::dup(file_.get())); }

    // linkat() with the /proc path links an unnamed file without the privilege that
    // AT_EMPTY_PATH needs; AT_EMPTY_PATH serves where /proc is missing. 0 or the errno.
    int linkUnnamedAs(const std::string& path) const {
        const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno == ENOENT &&
            ::linkat(file_.get(), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        return errno;
    }

    void close() {
        if (const int err = file_.closeNow()) fail(err);
    }

    [[noreturn]] void fail(int err) const { throw ioErrorFromErrno(err, target_); }

    std::string target_;
    FileDescriptor file_;
    FileDescriptor lock_;  // holds the live save's lock until the end
    std::string tempName_; // the name to remove again; empty once renamed or unnamed
};

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
        file.takeNewFileMode(newFileMode);
    else if (!file.takeOverIdentity(*target.existing))
        return false;
    file.write(bytes);
    file.sync();
    if (!file.replaceTarget(target.existing.has_value())) return false;
    syncFolder(target.path);
    return true;
}

} // namespace

Replaced replaceFileContent(const std::string& name, std::string_view bytes, mode_t newFileMode) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    const SaveTarget target = findSaveTarget(name);
    removeLeftovers(target.path);
    if (replaceByRename(target, bytes, newFileMode))
        return target.existing ? Replaced::RenamedOver : Replaced::Created;
    // Only an existing file is ever refused the rename, but for a folder that refuses
    // even a new name.
    if (!target.existing) throw IoError(iocode::AccessDenied);
    overwriteInPlace(target.path, bytes);
    return Replaced::OverwrittenInPlace;
}

} // namespace qorv
