#include "storage/PlantedEntry.h"

#include "storage/PathParts.h"

#include <unistd.h>

namespace qorv {

bool trustedEntry(const std::string& path, const struct stat& entry) {
    struct stat folder {};
    if (::stat(folderOf(path).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || entry.st_uid == ::geteuid() || entry.st_uid == folder.st_uid;
}

bool trustedEntryExists(const std::string& path) {
    struct stat entry {};
    return ::lstat(path.c_str(), &entry) == 0 && trustedEntry(path, entry);
}

} // namespace qorv
