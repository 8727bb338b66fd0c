// Replacing a file's content safely. A new file, or one whose identity a replacement can keep, is
// replaced by rename: the new level is written to an unnamed file beside it, synced, named and
// renamed over the old one, so the old level stays whole until the new one is on disk.
// Any other file (hard-linked, in a folder we may not write, owned by someone else, or
// with attributes we cannot copy) is overwritten in place, as a plain editor would:
// its inode, links, owner, mode, ACL and attributes stay as they are.

#include "core/SafeReplace.h"
#include "core/FileAttributes.h"
#include "core/FileDescriptor.h"
#include "core/IoError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {

constexpr int MaxLinkHops = 40; // what the kernel allows before ELOOP

std::string folderPrefix(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const std::string prefix = folderPrefix(path);
    if (prefix.empty()) return ".";
    return prefix.size() == 1 ? prefix : prefix.substr(0, prefix.size() - 1);
}

// Saving through a symbolic link must replace the file the link names, not the link:
// renaming over the link itself would turn it into a plain file. A dangling link
// yields the name of the file to create.
std::string resolveLinks(const std::string& name) {
    std::string path = name;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return path;
            throw ioErrorFromErrno(errno, name);
        }
        if (!S_ISLNK(st.st_mode)) return path;
        std::array<char, 4096> link;
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0) throw ioErrorFromErrno(errno, name);
        if (static_cast<std::size_t>(length) == link.size())
            throw ioErrorFromErrno(ENAMETOOLONG, name);
        const std::string target(link.data(), static_cast<std::size_t>(length));
        path = !target.empty() && target.front() == '/' ? target : folderPrefix(path) + target;
    }
    throw ioErrorFromErrno(ELOOP, name);
}

// The target as it is before the save: nothing when there is no such file. A target
// that is no regular file, or that is read-only for us, is refused.
std::optional<struct stat> inspectTarget(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT) return std::nullopt;
        throw ioErrorFromErrno(errno, target);
    }
    if (!S_ISREG(st.st_mode) || !mayWriteFile(target, st)) throw IoError(iocode::AccessDenied);
    return st;
}

// write() may take fewer bytes than asked (a nearly full disk, a signal): go on from
// where it stopped. A write that takes nothing without an error would never finish:
// the disk has no room.
void writeAll(int fd, std::string_view bytes, const std::string& target) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throw ioErrorFromErrno(errno, target);
        if (put == 0) throw IoError(iocode::DiskFull);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

// The new level's file beside the target. It has no name until it is complete, so a
// save that dies part way leaves nothing behind; where the file system has no unnamed
// files it has a unique hidden name, removed again unless the save gets that far.
class NewFile {
  public:
    NewFile(const std::string& target, mode_t mode) : target_(target), mode_(mode) {
        if (!createUnnamed()) createNamed();
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (!tempName_.empty()) ::unlink(tempName_.c_str());
    }

    int fd() const { return file_.get(); }

    void write(std::string_view bytes) { writeAll(file_.get(), bytes, target_); }

    // The data must be on disk before the rename makes it the level: otherwise a crash
    // could leave an empty file where the old level was.
    void sync() {
        if (::fsync(file_.get()) != 0) fail(errno);
    }

    // Gives the complete file its temporary name (an unnamed one), closes it and
    // renames it over the target.
    void replaceTarget() {
        if (tempName_.empty()) linkUnnamed();
        if (const int err = file_.closeNow()) fail(err);
        if (::rename(tempName_.c_str(), target_.c_str()) != 0) fail(errno);
        tempName_.clear();
    }

  private:
    // Created with the caller's mode (0666 like any new file, by default), so the umask and the
    // folder's default ACL apply to a new level.
    bool createUnnamed() {
        const int fd = ::open(folderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode_);
        if (fd >= 0) {
            file_.reset(fd);
            return true;
        }
        // Only a file system without unnamed files (or an older kernel) falls back.
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
        fail(errno);
    }

    void createNamed() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = uniqueName(target_);
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
            if (fd >= 0) {
                file_.reset(fd);
                tempName_ = name;
                return;
            }
            if (errno != EEXIST) fail(errno);
        }
        fail(EEXIST);
    }

    // linkat() cannot replace a name, so the unnamed file gets a fresh one first. Its
    // /proc path links it without the privilege that AT_EMPTY_PATH needs.
    void linkUnnamed() {
        const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = uniqueName(target_);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                (errno == ENOENT &&
                 ::linkat(file_.get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)) {
                tempName_ = name;
                return;
            }
            if (errno != EEXIST) fail(errno);
        }
        fail(EEXIST);
    }

    // A hidden name beside the target, within NAME_MAX however long the target's is. The
    // process id and a counter make it unique among live saves; a name still taken (left
    // by a dead process of the same id) is passed over by the callers' retries.
    static std::string uniqueName(const std::string& target) {
        static unsigned long long counter = 0;
        return folderPrefix(target) + "." + baseName(target).substr(0, 200) + "." +
               std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
    }

    [[noreturn]] void fail(int err) const { throw ioErrorFromErrno(err, target_); }

    std::string target_;
    mode_t mode_;
    FileDescriptor file_;
    std::string tempName_; // the name to remove again; empty once renamed or unnamed
};

// The rename is only durable once the folder that holds the name is on disk too. The
// level has been replaced by then whatever happens here, so a folder that cannot be
// opened (one we may write but not read) or synced is no failed save.
void syncFolder(const std::string& target) {
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    FileDescriptor folder(fd);
    (void)::fsync(folder.get());
}

// The process id in a temporary file's name ".NAME.PID-N.tmp" left by a save of
// `target`, or 0 when `entry` is no such name.
pid_t leftoverOwner(std::string_view entry, const std::string& target) {
    const std::string prefix = "." + baseName(target).substr(0, 200) + ".";
    constexpr std::string_view suffix = ".tmp";
    if (!entry.starts_with(prefix) || !entry.ends_with(suffix)) return 0;
    entry = entry.substr(prefix.size(), entry.size() - prefix.size() - suffix.size());
    const auto dash = entry.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9) return 0;
    const std::string_view pid = entry.substr(0, dash), number = entry.substr(dash + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (number.empty() || !std::all_of(pid.begin(), pid.end(), isDigit) ||
        !std::all_of(number.begin(), number.end(), isDigit))
        return 0;
    return static_cast<pid_t>(std::stol(std::string(pid)));
}

// A save killed between naming its new file and the rename (or at any point, where the
// file system has no unnamed files) leaves its temporary file beside the level. The
// next save of the level removes those whose process is gone, before it makes its own;
// a live process's file, ours or another's, is left alone.
void removeLeftovers(const std::string& target) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(folderOf(target).c_str()), &::closedir);
    if (!folder) return; // a folder we may not list keeps them
    while (const dirent* entry = ::readdir(folder.get())) {
        const pid_t owner = leftoverOwner(entry->d_name, target);
        if (owner <= 0 || owner == ::getpid()) continue;
        if (::kill(owner, 0) != 0 && errno == ESRCH)
            (void)::unlinkat(::dirfd(folder.get()), entry->d_name, 0);
    }
}

// Replaces the target by rename. False, with nothing changed, when the new file
// cannot take over the identity of the existing one.
bool saveByRename(const std::string& target, const std::optional<struct stat>& existing,
                  std::string_view bytes, mode_t newFileMode) {
    removeLeftovers(target);
    NewFile file(target, newFileMode);
    if (existing && !takeOverIdentity(file.fd(), target, *existing)) return false;
    file.write(bytes);
    file.sync();
    file.replaceTarget();
    syncFolder(target);
    return true;
}

// Writes the level over the existing file without truncating it first, then cuts it to
// the level's length: a failure part way leaves the level's leading part, as when a
// plain editor's write fails. The file is checked once open, in case the name was
// swapped for a device or FIFO.
void overwriteInPlace(const std::string& target, std::string_view bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw ioErrorFromErrno(errno, target);
    FileDescriptor file(fd);
    requireOpenedRegularFile(file, target);
    writeAll(fd, bytes, target);
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        throw ioErrorFromErrno(errno, target);
    if (::fsync(fd) != 0) throw ioErrorFromErrno(errno, target);
    if (const int err = file.closeNow()) throw ioErrorFromErrno(err, target);
}

// Rename keeps the file what it was only when the new file can be given all of its
// identity and the old name can be replaced: a writable folder, a single link, and an
// owner we can set. Its attributes are checked as they are copied.
bool renameCanKeepIdentity(const std::string& target, const struct stat& st) {
    return st.st_nlink == 1 && canKeepOwner(st) && mayWriteFolder(folderOf(target));
}

} // namespace

Replaced replaceFileContent(const std::string& name, std::string_view bytes, mode_t newFileMode) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    const std::string target = resolveLinks(name);
    const std::optional<struct stat> existing = inspectTarget(target);
    if (existing && !renameCanKeepIdentity(target, *existing)) {
        overwriteInPlace(target, bytes);
        return Replaced::OverwrittenInPlace;
    }
    if (!saveByRename(target, existing, bytes, newFileMode)) {
        overwriteInPlace(target, bytes);
        return Replaced::OverwrittenInPlace;
    }
    return existing ? Replaced::RenamedOver : Replaced::Created;
}

} // namespace qorv
