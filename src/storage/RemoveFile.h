#pragma once
// Removing a file the program wrote on an earlier run and that would now mislead: only a
// regular file of our own, never a link, a folder or another account's entry.

#include <string>

namespace qorv {

// Whether `path` was there to remove.
enum class Removal { Removed, Absent };

// Removes the regular file `path` when it is ours. Throws IoError when something else is
// there under that name (it is left as it is) or the removal fails.
Removal removeOwnFile(const std::string& path);

} // namespace qorv
