#pragma once
// The file a save replaces: the name given, with its symbolic links followed the way
// the kernel would follow them, and what is there now.

#include <optional>
#include <string>
#include <sys/stat.h>

namespace qorv {

struct SaveTarget {
    std::string path;                    // no symbolic link (when it was looked at)
    std::optional<struct stat> existing; // nothing when there is no file yet
};

// The file a save of `name` replaces, the links of the name followed as the kernel would
// (docs/saving.md, step 1); a dangling link gives the name of the file to create. Throws
// IoError for a link it may not follow or a target it may not write.
SaveTarget findSaveTarget(const std::string& name);

} // namespace qorv
