#include "core/FileAttributes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
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
// for the answer, which may grow between the calls. Nothing on ENOTSUP: the file
// system keeps no attributes.
template <class Query> bool queryAll(Query query, std::vector<char>& out) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = query(nullptr, 0);
        if (size < 0) {
            out.clear();
            return errno == ENOTSUP;
        }
        out.resize(static_cast<std::size_t>(size));
        const ssize_t got = query(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;
    }
    return false;
}

bool inGroup(gid_t group) {
    if (group == ::getegid()) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.end();
}

bool copyAttributes(int fd, const std::string& from) {
    std::vector<char> list;
    if (!queryAll([&](char* b, std::size_t n) { return ::llistxattr(from.c_str(), b, n); }, list))
        return false;
    const std::vector<std::string> wanted = splitNames(list);
    for (const std::string& name : wanted) {
        std::vector<char> value;
        if (!queryAll([&](char* b,
                          std::size_t n) { return ::lgetxattr(from.c_str(), name.c_str(), b, n); },
                      value))
            return false;
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return false;
    }
    if (!queryAll([&](char* b, std::size_t n) { return ::flistxattr(fd, b, n); }, list))
        return false;
    for (const std::string& name : splitNames(list))
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
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
