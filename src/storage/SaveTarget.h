#pragma once
// The file a save replaces: the name given, with every symbolic link along it followed the
// way the kernel would follow it, and what is there now.

#include "storage/FileDescriptor.h"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace qorv {

struct SaveTarget {
    FileDescriptor folder;               // the checked folder that holds the file
    std::string path;                    // the file's name through `folder`: no link on the way
    std::optional<struct stat> existing; // nothing when there is no file yet
};

// The file a save of `name` replaces, each link along the name followed only where the
// kernel's protected_symlinks rule allows, and the folder reached held open (docs/saving.md,
// step 1); a dangling link gives the name of the file to create. Throws IoError for a
// missing folder, a link it may not follow or a target it may not write.
SaveTarget findSaveTarget(const std::string& name);

} // namespace qorv
