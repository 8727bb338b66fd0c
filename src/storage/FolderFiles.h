#pragma once
// The names of a folder's files, for commands that take a folder as the set of files in it,
// and which names are one file.

#include <compare>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qorv {

// What a walk through a folder found: the regular files, and the links that lead to one or to
// nothing (so that reading them reports what is wrong), named below the folder ("maze.qre",
// "sub/maze.qre") in no particular order; and the subfolders it could not list, with the errno
// that stopped it. FIFOs, sockets and devices are no files of a folder: a FIFO would keep its
// reader waiting.
struct FolderWalk {
    std::vector<std::string> files;
    std::vector<std::pair<std::string, int>> unlisted;
};

// The files of `folder` and, with `descend`, of every folder below it, as grep -r walks
// them: a link to a folder below is not followed (no loop, nothing outside), and each folder
// is opened once and looked into through its descriptor. Nothing when `folder` itself cannot
// be listed.
std::optional<FolderWalk> walkFolder(const std::string& folder, bool descend);

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
