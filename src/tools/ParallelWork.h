#pragma once
// Work on many levels at once: each level read, drawn, encoded and saved on its own.

#include <QtGlobal>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

// Drawing and encoding a level takes about two milliseconds of a core; saving its picture
// waits as long or longer for the disk (the safe replacement syncs every file). With
// several levels in flight per core, the waits overlap each other and the work.
inline constexpr int LevelsInFlightPerCore = 4;

// Runs `work` for 0 .. count-1 on up to `perCore` threads a core (this one among them); each
// one's failure (EditorError) is kept as its message at its place, nothing where it succeeded.
std::vector<std::optional<std::string>> inParallel(qsizetype count,
                                                   const std::function<void(qsizetype)>& work,
                                                   int perCore = LevelsInFlightPerCore);

} // namespace app
