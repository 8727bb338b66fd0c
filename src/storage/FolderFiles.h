#pragma once
// The names of a folder's files, for commands that take a folder as the set of files in it.

#include <optional>
#include <string>
#include <vector>

namespace qorv {

// The names of the regular files in `folder` (a link counts when it leads to one), in no
// particular order; nothing when `folder` cannot be opened and listed. The folder is opened once
// and every entry is looked at through that descriptor, so a folder renamed meanwhile is never
// mixed with another.
std::optional<std::vector<std::string>> regularFilesIn(const std::string& folder);

// Whether `path` is a folder (following a link to one).
bool isFolder(const std::string& path);

} // namespace qorv
