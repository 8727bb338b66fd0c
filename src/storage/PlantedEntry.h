#pragma once
// Entries another account may have planted: in a sticky folder that everyone may write,
// anyone can create a name, so only our own entries and the folder owner's are trusted (the
// kernel's protected_symlinks rule, applied to files too).

#include <string>
#include <sys/stat.h>

namespace qorv {

// Whether `folder` is such a folder: sticky, and everyone may write it (/tmp).
bool isSharedFolder(const struct stat& folder);

// Whether an entry whose lstat is `entry` may be trusted in the folder whose stat is `folder`.
bool trustedIn(const struct stat& entry, const struct stat& folder);

// Whether the entry `path`, whose lstat is `entry`, may be trusted in its folder.
bool trustedEntry(const std::string& path, const struct stat& entry);

// Whether something named `path` is there (not followed) and may be trusted in its folder.
bool trustedEntryExists(const std::string& path);

} // namespace qorv
