#pragma once
// Entries another account may have planted. Readers (rules files, tile sheets) distrust the
// entries of sticky folders everyone may write, as the kernel's protected_symlinks rule does;
// writers distrust every folder another account could put an entry into (docs/saving.md,
// "Folders others may write into").

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

// Whether another account could have put an entry into `folder`: neither we nor root own it,
// or its group or everyone may write it (sticky or not).
bool othersMayPlantIn(const struct stat& folder);

// Whether a writer may follow the link, or write into the file, whose lstat is `entry` in
// `folder`: any entry of a folder only we (or root) could fill; elsewhere only our own, or
// root's in a folder of root's (/tmp), and a file only when it has no second name.
bool trustedForWriting(const struct stat& entry, const struct stat& folder);

} // namespace qorv
