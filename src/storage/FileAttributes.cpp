#include "storage/FileAttributes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace qorv {

namespace {

// The names of a list as listxattr returns it: each ended by a NUL.
std::vector<std::string> splitNames(const std::vector<char>& list) {
    std::vector<std::string> names;
    for (auto it = list.begin(); it != list.end();) {
        const auto end = std::find(it, list.end(), '\0');
        names.emplace_back(it, end);
        it = end == list.end() ? end : end + 1;
    }
    return names;
}

// Calls `query(buffer, size)` (a listxattr or getxattr) until the buffer is big enough
// for the answer, which may grow between the calls. 0 or the errno of the failure.
template <class Query> int queryAll(Query query, std::vector<char>& out) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        out.clear();
        const ssize_t size = query(nullptr, 0);
        if (size < 0) return errno;
        out.resize(static_cast<std::size_t>(size));
        const ssize_t got = query(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return 0;
        }
        if (errno != ERANGE) return errno;
    }
    return ERANGE;
}

// The names of a file's attributes. A file system that keeps no attributes answers "not
// supported" (ENOTSUP, which is EOPNOTSUPP on Linux): its files have none.
template <class List> std::optional<std::vector<std::string>> attributeNames(List list) {
    std::vector<char> names;
    const int err = queryAll(list, names);
    if (err != 0 && err != ENOTSUP) return std::nullopt;
    return splitNames(names);
}

bool inGroup(gid_t group) {
    if (group == ::getegid()) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.end();
}

// Every attribute of `from` is set on `fd`, and every other one `fd` has (inherited from
// the folder) removed. False when any of it cannot be done: an attribute is never dropped.
bool copyAttributes(int fd, const std::string& from) {
    const auto wanted =
        attributeNames([&](char* b, std::size_t n) { return ::llistxattr(from.c_str(), b, n); });
    if (!wanted) return false;
    for (const std::string& name : *wanted) {
        std::vector<char> value;
        if (queryAll([&](char* b,
                         std::size_t n) { return ::lgetxattr(from.c_str(), name.c_str(), b, n); },
                     value) != 0 ||
            ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    }
    const auto present =
        attributeNames([&](char* b, std::size_t n) { return ::flistxattr(fd, b, n); });
    if (!present) return false;
    for (const std::string& name : *present)
        if (std::find(wanted->begin(), wanted->end(), name) == wanted->end() &&
            ::fremovexattr(fd, name.c_str()) != 0)
            return false;
    return true;
}

} // namespace

bool mayWriteFile(const std::string& path, const struct stat& st) {
    if (::geteuid() == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool mayWriteFolder(const std::string& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool isAppendOnly(const std::string& folder) {
    struct statx st {};
    return ::statx(AT_FDCWD, folder.c_str(), 0, STATX_BASIC_STATS, &st) == 0 &&
           (st.stx_attributes & STATX_ATTR_APPEND) != 0;
}

bool canKeepOwner(const struct stat& st) {
    return ::geteuid() == 0 || (st.st_uid == ::geteuid() && inGroup(st.st_gid));
}

bool takeOverIdentity(int fd, const std::string& from, const struct stat& st) {
    // Owner first, since changing it clears the set-user-ID bits; the mode last, since
    // setting an ACL rewrites the group bits of the mode.
    return ::fchown(fd, st.st_uid, st.st_gid) == 0 && copyAttributes(fd, from) &&
           ::fchmod(fd, st.st_mode & 07777) == 0;
}

} // namespace qorv
