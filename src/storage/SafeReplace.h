#pragma once
// Replacing the whole content of a file: the one writer of files in the program. The rules
// it follows are in docs/saving.md.

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

// Makes `bytes` the content of the file `name`; a file that does not exist yet is created
// with `newFileMode` less the umask. Returns which way it went. Throws IoError on failure,
// with the old content whole unless the message says otherwise.
Replaced replaceFileContent(const std::string& name, std::string_view bytes,
                            mode_t newFileMode = 0666);

// Throws the IoError replaceFileContent would throw before writing anything, for a name it
// could not replace: a link it may not follow, an existing target that is no regular file it
// may write, or a new name in a folder that is missing or where it may not make one. A
// command with several outputs checks them all first, so that one it cannot write leaves the
// others untouched.
void checkReplaceable(const std::string& name);

} // namespace qorv
