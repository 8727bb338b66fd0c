#pragma once
// Temporary files of saves that died. A save holds an exclusive lock (flock) on its
// temporary file for its whole duration, and the kernel drops the lock whatever ends
// the process; so a temporary file nobody holds locked belongs to a dead save,
// wherever that save ran (another PID namespace, another host on a network folder).

#include <string>

namespace qorv {

// Marks the open temporary file `fd` as a live save's, for as long as it stays open.
// For a file made under the name `path`, false when it is no longer ours: another
// save's clean-up found it unlocked in the moment before, and holds it or removed it.
bool holdAsLiveSave(int fd, const std::string& path = "");

// Removes the temporary files of dead saves of `target` from its folder: only regular
// files with our exact temporary name (TempName.h) that no one holds locked. Links,
// FIFOs and devices of such a name are left alone, and none of them is ever opened in a
// way that could block or follow a link.
void removeLeftovers(const std::string& target);

} // namespace qorv
