#include "storage/SaveTarget.h"

#include "errors/IoError.h"
#include "storage/FileAttributes.h"
#include "storage/PlantedEntry.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qorv {

namespace {

constexpr int MaxLinksFollowed = 40; // the kernel's limit before ELOOP

enum class Want { File, Folder };

// The name is walked one folder at a time from where it starts, each opened without
// following a link, so that every link along it meets the same rule as its last part
// and the folder reached is the one checked, whatever is renamed meanwhile.
class Walk {
  public:
    Walk(const std::string& name, Want want) : name_(name), want_(want) {
        startAt(name);
        push(name);
    }

    SaveTarget run() {
        for (;;) {
            const std::string part = std::move(names_.back());
            names_.pop_back();
            if (!names_.empty())
                enter(part);
            else if (std::optional<SaveTarget> target = finish(part))
                return std::move(*target);
        }
    }

  private:
    void startAt(const std::string& path) {
        const bool fromRoot = !path.empty() && path.front() == '/';
        const int fd = ::openat(AT_FDCWD, fromRoot ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) throw ioErrorFromErrno(errno, name_);
        folder_.reset(fd);
        spelled_ = fromRoot ? "/" : "";
    }

    // The names of `path` to walk, first at the back; a path that ends in a slash, or is
    // the root alone, names a folder: ".".
    void push(const std::string& path) {
        std::vector<std::string> parts;
        for (std::size_t at = 0; at < path.size();) {
            const std::size_t slash = std::min(path.find('/', at), path.size());
            if (slash > at) parts.push_back(path.substr(at, slash - at));
            at = slash + 1;
        }
        if (parts.empty() || path.back() == '/') parts.emplace_back(".");
        names_.insert(names_.end(), parts.rbegin(), parts.rend());
    }

    // One syscall for a plain folder; a link shows as "not a folder" when not followed.
    void enter(const std::string& part) {
        const int fd =
            ::openat(folder_.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            folder_.reset(fd);
            spelled_ += part + "/";
            return;
        }
        if (errno == ENOENT) throw IoError(iocode::PathNotFound);
        if (errno != ENOTDIR && errno != ELOOP) throw ioErrorFromErrno(errno, name_);
        if (!follow(part)) throw IoError(iocode::PathNotFound);
    }

    std::optional<SaveTarget> finish(const std::string& part) {
        struct stat st {};
        if (::fstatat(folder_.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) throw ioErrorFromErrno(errno, name_);
            if (want_ == Want::File) return target(part, std::nullopt);
            return madeFolder(part);
        }
        if (S_ISLNK(st.st_mode)) {
            if (!follow(part)) names_.push_back(part); // no longer a link: looked at again
            return std::nullopt;
        }
        if (want_ == Want::Folder) return folder(part);
        // Another account's file where she could have put it would take our bytes while
        // staying hers (docs/saving.md, "Folders others may write into").
        const std::string path = through(part);
        if (!S_ISREG(st.st_mode) || !trustedForWriting(st, folderStat()) || !mayWriteFile(path, st))
            throw IoError(iocode::AccessDenied);
        return target(part, st);
    }

    // The link is opened itself and read through that descriptor, so that the link judged
    // is the link read. False when `link` is no link (any more).
    bool follow(const std::string& link) {
        const FileDescriptor opened(
            ::openat(folder_.get(), link.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (opened.get() < 0 || ::fstat(opened.get(), &st) != 0)
            throw ioErrorFromErrno(errno, name_);
        if (!S_ISLNK(st.st_mode)) return false;
        if (++followed_ > MaxLinksFollowed) throw ioErrorFromErrno(ELOOP, name_);
        if (!trustedForWriting(st, folderStat())) throw IoError(iocode::AccessDenied);
        std::array<char, 4096> text;
        const ssize_t length = ::readlinkat(opened.get(), "", text.data(), text.size());
        if (length < 0) throw ioErrorFromErrno(errno, name_);
        if (length == 0) throw IoError(iocode::PathNotFound);
        if (static_cast<std::size_t>(length) == text.size())
            throw ioErrorFromErrno(ENAMETOOLONG, name_);
        const std::string target(text.data(), static_cast<std::size_t>(length));
        if (target.front() == '/') startAt(target);
        push(target);
        return true;
    }

    // A folder made here is ours whoever could write beside it; one made meanwhile by
    // someone else is looked at as any other.
    std::optional<SaveTarget> madeFolder(const std::string& part) {
        if (::mkdirat(folder_.get(), part.c_str(), 0777) != 0 && errno != EEXIST)
            throw ioErrorFromErrno(errno, name_);
        names_.push_back(part);
        return std::nullopt;
    }

    std::optional<SaveTarget> folder(const std::string& part) {
        FileDescriptor opened(
            ::openat(folder_.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC));
        if (opened.get() < 0) {
            if (errno == ENOTDIR) throw IoError(iocode::AccessDenied, "it is not a folder");
            throw ioErrorFromErrno(errno, name_);
        }
        struct stat st {};
        if (::fstat(opened.get(), &st) != 0) throw ioErrorFromErrno(errno, name_);
        return SaveTarget{std::move(opened), part, through(part), st};
    }

    struct stat folderStat() const {
        struct stat st {};
        if (::fstat(folder_.get(), &st) != 0) throw ioErrorFromErrno(errno, name_);
        return st;
    }

    // The name through the folder's descriptor, where /proc gives one; else spelled
    // without any link.
    std::string through(const std::string& part) const {
        const std::string viaDescriptor = "/proc/self/fd/" + std::to_string(folder_.get());
        if (::access(viaDescriptor.c_str(), F_OK) == 0) return viaDescriptor + "/" + part;
        return spelled_ + part;
    }

    SaveTarget target(const std::string& part, std::optional<struct stat> existing) {
        std::string path = through(part);
        return {std::move(folder_), part, std::move(path), existing};
    }

    const std::string& name_;
    Want want_;
    FileDescriptor folder_;
    std::string spelled_;            // the folder's name without a link ("" for the cwd)
    std::vector<std::string> names_; // left to walk, the next at the back
    int followed_ = 0;
};

} // namespace

SaveTarget findSaveTarget(const std::string& name) {
    return Walk(name, Want::File).run();
}

FileDescriptor openOutputFolder(const std::string& name) {
    if (name.empty()) throw IoError(iocode::PathNotFound);
    SaveTarget found = Walk(name, Want::Folder).run();
    if (!S_ISDIR(found.existing->st_mode))
        throw IoError(iocode::AccessDenied, "it is not a folder");
    if (found.existing->st_uid != ::geteuid())
        throw IoError(iocode::AccessDenied, "it is another account's folder");
    return std::move(found.folder);
}

} // namespace qorv
