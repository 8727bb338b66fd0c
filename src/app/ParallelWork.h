#pragma once
// Work on many levels at once: each level read, drawn, encoded and saved on its own.

#include <QtGlobal>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

// Runs `work` for 0 .. count-1 on several threads; each one's failure (EditorError) is kept
// as its message at its place, nothing where it succeeded.
std::vector<std::optional<std::string>> inParallel(qsizetype count,
                                                   const std::function<void(qsizetype)>& work);

} // namespace app
