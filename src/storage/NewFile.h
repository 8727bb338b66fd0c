#pragma once
// The new content's file, made beside the file it will replace.

#include "storage/FileDescriptor.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace qorv {

// The new content's file beside the target. Where the file system allows, it has no
// name until it is complete, so a save that dies part way leaves nothing behind;
// elsewhere it has a random temporary name from the start, and is private (0600) until
// it gets its final mode. Either way it is locked as a live save's (Leftovers.h) until
// it has replaced the target, and its temporary name is removed unless the save gets
// that far.
class NewFile {
  public:
    NewFile(const std::string& target, mode_t newFileMode);
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    // The mode a file made by open() with the new file mode would have: only the named
    // file was made private instead.
    void takeNewFileMode();

    // False when the old file's owner, attributes or mode cannot all be given to it.
    bool takeOverIdentity(const struct stat& old);

    void write(std::string_view bytes);

    // The data must be on disk before the rename makes it the file: otherwise a crash
    // could leave an empty file where the old content was.
    void sync();

    // Puts the complete file in the target's place. A new file made unnamed takes the
    // target's name directly; otherwise it is renamed over the target. False, with the
    // target untouched, when the folder refuses the rename (EPERM: append-only).
    bool replaceTarget(bool targetExists);

  private:
    bool createUnnamed();
    void createNamed();
    void keepLockUntilTheEnd();
    int linkUnnamedAs(const std::string& path) const;
    void close();
    [[noreturn]] void fail(int err) const;

    std::string target_;
    mode_t newFileMode_;
    FileDescriptor file_;
    FileDescriptor lock_;  // holds the live save's lock until the end
    std::string tempName_; // the name to remove again; empty once renamed or unnamed
};

} // namespace qorv
