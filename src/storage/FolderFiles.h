#pragma once
// The names of a folder's files, for commands that take a folder as the set of files in it,
// and which names are one file.

#include <compare>
#include <optional>
#include <string>
#include <vector>

namespace qorv {

// The names of the regular files in `folder`, and of the links that lead to one or to nothing
// (so that reading them reports what is wrong), in no particular order; nothing when `folder`
// cannot be opened and listed. The folder is opened once and every entry is looked at through
// that descriptor, so a folder renamed meanwhile is never mixed with another.
std::optional<std::vector<std::string>> regularFilesIn(const std::string& folder);

// Whether `path` is a folder (following a link to one).
bool isFolder(const std::string& path);

// What a name leads to, following links: two names of one file have the same identity.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file `path` leads to; nothing when it leads to none.
std::optional<FileIdentity> identityOf(const std::string& path);

} // namespace qorv
