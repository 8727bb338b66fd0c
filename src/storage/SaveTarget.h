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

// Follows the links of `name` itself: renaming over a link would turn it into a plain
// file, so the save must replace the file the link names. Like the kernel, it follows at
// most 40 links, and none planted by another account in a shared sticky folder (the
// kernel's protected_symlinks rule, applied whatever the machine's setting): such a link
// is followed only when its owner is us or the folder's owner. A dangling link gives the
// name of the file to create. Refuses ("File access denied") a forbidden link, and a
// target that is no regular file or that we may not write.
SaveTarget findSaveTarget(const std::string& name);

} // namespace qorv
