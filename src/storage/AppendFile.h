#pragma once
// Adding to a file another program keeps open for us, such as a CI step's summary: the file
// may already hold text, and what is added may have to fit the room left beside it.

#include <cstddef>
#include <functional>
#include <string>

namespace qorv {

// What to add, given the size the file has now.
using Addition = std::function<std::string(std::size_t sizeNow)>;

// Appends `addition(size)` to `path`, made when missing. Its name is walked as a save's
// (docs/saving.md, step 1), so that a link or a file another account could have put in
// its place is refused ("File access denied"), as is anything but a regular file. Throws
// IoError.
void appendToFile(const std::string& path, const Addition& addition);

} // namespace qorv
