#pragma once
// Writing new content over an existing file, for the files a rename cannot replace
// without changing what they are (see SafeReplace.cpp).

#include <string>
#include <string_view>

namespace qorv {

// Writes `bytes` over the regular file `path` (no link: it is opened without following
// one) and cuts it to their length. The old content is read first, and written back when
// the overwrite fails, so a failure leaves the file as it was; the error's message says
// when even that failed. Only a crash of the machine or the process in the middle can
// leave a mix of both.
void overwriteInPlace(const std::string& path, std::string_view bytes);

} // namespace qorv
