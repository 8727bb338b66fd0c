#pragma once
// Replacing the whole content of a file without ever leaving it torn, and without
// changing what the file is (its inode where others share it, owner, mode, attributes).
// Every writer of the program goes through here: level saves, pictures, exports.

#include <string>
#include <string_view>
#include <sys/types.h>

namespace qorv {

// Which way a replacement went.
enum class Replaced {
    Created,            // there was no file of that name
    RenamedOver,        // a complete new file took the old one's place atomically
    OverwrittenInPlace, // the old file was written over: a new one could not have been all it was
};

// Makes `bytes` the content of the file `name` (following symbolic links to the file
// they name, but none another account planted in a shared sticky folder). A file that
// does not exist yet is created with `newFileMode` (less the umask); an existing one
// keeps its own mode, owner, attributes and other names. Throws IoError on failure; the
// old content is then still whole, unless even writing it back after a failed overwrite
// in place failed, which the message says. The rules in full: docs/saving.md.
Replaced replaceFileContent(const std::string& name, std::string_view bytes,
                            mode_t newFileMode = 0666);

} // namespace qorv
