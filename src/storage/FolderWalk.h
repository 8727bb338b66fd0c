#pragma once
// Folders walked one at a time through descriptors: the kernel limits a path it is given to
// PATH_MAX bytes, but not a folder opened inside another, so a search along a path of any
// length looks at each folder through the descriptor of the one above.

#include "storage/BoundedRead.h"
#include "storage/FileDescriptor.h"

#include <optional>
#include <string>

namespace qorv {

// The root folder, open for looking in. Throws IoError.
FileDescriptor openRootFolder();

// The folder `name` (one part of a path, a link followed as a path's part is) inside the open
// folder `parent`, open for looking in; nothing when there is no such folder. Throws IoError
// ("NAME: reason", `shownName` being the folder's path) for any other failure.
std::optional<FileDescriptor> openFolderIn(int parent, const std::string& name,
                                           const std::string& shownName);

// Whether the entry `name` of the open folder `folder` is there (not followed) and may be
// trusted in it (PlantedEntry.h). Throws IoError, about `shownName`, when it cannot be told.
bool trustedEntryExistsIn(int folder, const std::string& name, const std::string& shownName);

// readBounded of the entry `name` of the open folder `folder`; errors are about `shownName`.
BoundedBytes readBoundedIn(int folder, const std::string& name, const std::string& shownName,
                           const ReadRules& rules);

} // namespace qorv
