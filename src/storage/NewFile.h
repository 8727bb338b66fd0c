#pragma once
// The new content's file, made beside the file it will replace.

#include "storage/FileDescriptor.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace qorv {

// The new content's file beside the target, made, locked and named as docs/saving.md
// (step 4) says; a temporary name it had is removed unless it replaced the target.
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

    // Puts the data on disk.
    void sync();

    // Puts the complete file in the target's place. False, with the target untouched,
    // when the folder refuses the rename.
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
