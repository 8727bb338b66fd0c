#pragma once
// The file a save replaces, and the folder a command writes many files into: the name
// given, with every symbolic link along it followed the way the kernel would follow it, and
// what is there now.

#include "storage/FileDescriptor.h"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace qorv {

struct SaveTarget {
    FileDescriptor folder;               // the checked folder that holds the file
    std::string entry;                   // the file's name in `folder`
    std::string path;                    // the file's name through `folder`: no link on the way
    std::optional<struct stat> existing; // nothing when there is no file yet
};

// The file a save of `name` replaces, each link along the name followed only where the
// rule for folders others may write into allows (docs/saving.md, step 1), and the folder
// reached held open; a dangling link gives the name of the file to create. Throws IoError
// for a missing folder, a link it may not follow or a target it may not write.
SaveTarget findSaveTarget(const std::string& name);

// The folder `name` that a command writes its files into, walked as a save's target is:
// made (0777 less the umask; not its parents) when missing. Refused, with IoError, when it
// is no folder ("it is not a folder") or an existing folder of another account's ("it is
// another account's folder"): the files written there could be hers to swap.
FileDescriptor openOutputFolder(const std::string& name);

} // namespace qorv
