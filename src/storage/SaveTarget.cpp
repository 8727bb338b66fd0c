#include "storage/SaveTarget.h"

#include "storage/FileAttributes.h"
#include "storage/IoError.h"
#include "storage/PathParts.h"
#include "storage/PlantedEntry.h"

#include <array>
#include <cerrno>
#include <unistd.h>

namespace qorv {

namespace {

constexpr int MaxLinksFollowed = 40; // the kernel's limit before ELOOP

std::string linkTarget(const std::string& link, const std::string& name) {
    std::array<char, 4096> text;
    const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
    if (length < 0) throw ioErrorFromErrno(errno, name);
    if (static_cast<std::size_t>(length) == text.size()) throw ioErrorFromErrno(ENAMETOOLONG, name);
    const std::string target(text.data(), static_cast<std::size_t>(length));
    return !target.empty() && target.front() == '/' ? target : folderPrefix(link) + target;
}

} // namespace

SaveTarget findSaveTarget(const std::string& name) {
    std::string path = name;
    for (int followed = 0;; ++followed) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return {path, std::nullopt};
            throw ioErrorFromErrno(errno, name);
        }
        if (!S_ISLNK(st.st_mode)) {
            if (!S_ISREG(st.st_mode) || !mayWriteFile(path, st))
                throw IoError(iocode::AccessDenied);
            return {path, st};
        }
        if (followed == MaxLinksFollowed) throw ioErrorFromErrno(ELOOP, name);
        // A link planted in a shared folder would let another account pick the file we write.
        if (!trustedEntry(path, st)) throw IoError(iocode::AccessDenied);
        path = linkTarget(path, name);
    }
}

} // namespace qorv
