#pragma once
// Temporary files of saves that died, told from those of live saves by the lock every
// save holds on its temporary file (docs/saving.md, step 2).

#include <string>

namespace qorv {

// Marks the open temporary file `fd` as a live save's, for as long as it stays open.
// For a file made under the name `path`, false when it is no longer ours: another
// save's clean-up found it unlocked in the moment before, and holds it or removed it.
bool holdAsLiveSave(int fd, const std::string& path = "");

// Removes the temporary files of dead saves of the file `entry` from the folder `folder`
// (a descriptor, O_PATH will do).
void removeLeftovers(int folder, const std::string& entry);

// While one lives (a command's run), each folder is listed for leftovers once, the first
// time a file is saved into it, not on every save: a command writing N files into a folder
// of M would otherwise read N x M names. Leftovers of saves that die meanwhile wait for
// the next run. Without one (the editor) every save lists its folder.
class LeftoversListedOncePerFolder {
  public:
    LeftoversListedOncePerFolder();
    ~LeftoversListedOncePerFolder();
    LeftoversListedOncePerFolder(const LeftoversListedOncePerFolder&) = delete;
    LeftoversListedOncePerFolder& operator=(const LeftoversListedOncePerFolder&) = delete;
};

} // namespace qorv
