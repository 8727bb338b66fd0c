#pragma once
// Temporary files of saves that died, told from those of live saves by the lock every
// save holds on its temporary file (docs/saving.md, step 2).

#include <string>

namespace qorv {

// Marks the open temporary file `fd` as a live save's, for as long as it stays open.
// For a file made under the name `path`, false when it is no longer ours: another
// save's clean-up found it unlocked in the moment before, and holds it or removed it.
bool holdAsLiveSave(int fd, const std::string& path = "");

// Removes the temporary files of dead saves of `target` from its folder.
void removeLeftovers(const std::string& target);

} // namespace qorv
