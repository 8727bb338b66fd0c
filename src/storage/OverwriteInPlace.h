#pragma once
// Writing new content over an existing file, for the files a rename cannot replace
// without changing what they are (docs/saving.md, step 5).

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace qorv {

// Writes `bytes` over the regular file `path`, not following a link, and cuts it to their
// length. The file opened must be the one judged (`judged`, its stat when the target was
// found): another file put in its place since is refused ("File access denied"). Throws
// IoError, with the old content written back, or a message that says writing it back failed
// too.
void overwriteInPlace(const std::string& path, std::string_view bytes, const struct stat& judged);

} // namespace qorv
