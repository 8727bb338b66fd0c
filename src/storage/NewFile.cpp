#include "storage/NewFile.h"

#include "storage/BoundedRead.h"
#include "storage/FileAttributes.h"
#include "errors/IoError.h"
#include "storage/Leftovers.h"
#include "storage/PathParts.h"
#include "storage/TempName.h"
#include "storage/WriteAll.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <unistd.h>

namespace qorv {

namespace {

// The mask as the kernel reports it, read without changing it (Linux 4.7 and later).
std::optional<mode_t> umaskFromProc() {
    constexpr std::string_view Field = "\nUmask:";
    std::string status;
    try {
        status = readBounded("/proc/self/status", {.limit = 64 * 1024}).bytes;
    } catch (const IoError&) {
        return std::nullopt;
    }
    const std::size_t at = status.find(Field);
    if (at == std::string::npos) return std::nullopt;
    return static_cast<mode_t>(std::strtoul(status.c_str() + at + Field.size(), nullptr, 8));
}

// Files are saved from several threads at once (--render into a folder). umask() reads
// the mask only by setting it, and a file another thread creates meanwhile would get a
// zero mask: /proc comes first, and without it one thread at a time sets it back at once.
mode_t currentUmask() {
    if (const std::optional<mode_t> mask = umaskFromProc()) return *mask;
    static std::mutex reading;
    const std::lock_guard<std::mutex> one(reading);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

NewFile::NewFile(const std::string& target, mode_t newFileMode)
    : target_(target), newFileMode_(newFileMode) {
    if (!createUnnamed()) createNamed();
}

NewFile::~NewFile() {
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
}

void NewFile::takeNewFileMode() {
    if (!tempName_.empty() && ::fchmod(file_.get(), newFileMode_ & ~currentUmask()) != 0)
        fail(errno);
}

bool NewFile::takeOverIdentity(const struct stat& old) {
    return qorv::takeOverIdentity(file_.get(), target_, old);
}

void NewFile::write(std::string_view bytes) {
    writeAll(file_.get(), bytes, target_);
}

void NewFile::sync() {
    if (::fsync(file_.get()) != 0) fail(errno);
}

bool NewFile::replaceTarget(bool targetExists) {
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

// Unnamed, it is created with the caller's mode, so the umask and the folder's default
// ACL apply as to any new file; no one else can open it.
bool NewFile::createUnnamed() {
    const int fd =
        ::open(folderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, newFileMode_);
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

void NewFile::createNamed() {
    tempName_ = createUnderFreshTempName(target_, [&](const std::string& path) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
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
void NewFile::keepLockUntilTheEnd() {
    const int fd = ::dup(file_.get());
    if (fd < 0) fail(errno);
    lock_.reset(fd);
}

// linkat() with the /proc path links an unnamed file without the privilege that
// AT_EMPTY_PATH needs; AT_EMPTY_PATH serves where /proc is missing. 0 or the errno.
int NewFile::linkUnnamedAs(const std::string& path) const {
    const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno == ENOENT && ::linkat(file_.get(), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
        return 0;
    return errno;
}

void NewFile::close() {
    if (const int err = file_.closeNow()) fail(err);
}

void NewFile::fail(int err) const {
    throw ioErrorFromErrno(err, target_);
}

} // namespace qorv
