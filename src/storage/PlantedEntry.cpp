#include "storage/PlantedEntry.h"

#include "storage/PathParts.h"

#include <unistd.h>

namespace qorv {

bool isSharedFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

bool trustedIn(const struct stat& entry, const struct stat& folder) {
    return !isSharedFolder(folder) || entry.st_uid == ::geteuid() || entry.st_uid == folder.st_uid;
}

bool trustedEntry(const std::string& path, const struct stat& entry) {
    struct stat folder {};
    return ::stat(folderOf(path).c_str(), &folder) == 0 && trustedIn(entry, folder);
}

bool trustedEntryExists(const std::string& path) {
    struct stat entry {};
    return ::lstat(path.c_str(), &entry) == 0 && trustedEntry(path, entry);
}

bool othersMayPlantIn(const struct stat& folder) {
    return (folder.st_uid != ::geteuid() && folder.st_uid != 0) ||
           (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool trustedForWriting(const struct stat& entry, const struct stat& folder) {
    if (!othersMayPlantIn(folder)) return true;
    // Her hard link to a file of ours (or root's) would look like ours.
    if (S_ISREG(entry.st_mode) && entry.st_nlink > 1) return false;
    return entry.st_uid == ::geteuid() || (entry.st_uid == 0 && folder.st_uid == 0);
}

} // namespace qorv
