#pragma once
// Work on many levels at once: drawing and encoding a level takes about two milliseconds of
// a core, and saving its picture waits as long or longer for the disk (the safe replacement
// syncs every file). With several levels in flight per core, the waits overlap each other
// and the work.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace app {

inline constexpr unsigned LevelsInFlightPerCore = 4;

// Calls `work(i)` once for every i below `count`, on up to `perCore` threads a core (this one
// among them), and returns when every call has returned. `work` must not throw.
template <typename Work>
void forEachLevelAtOnce(std::size_t count, const Work& work,
                        unsigned perCore = LevelsInFlightPerCore) {
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i; (i = next++) < count;)
            work(i);
    };
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min<std::size_t>(count, std::size_t(perCore) * cores);
    std::vector<std::thread> workers;
    for (std::size_t n = 1; n < threads; ++n)
        workers.emplace_back(worker);
    worker();
    for (std::thread& thread : workers)
        thread.join();
}

} // namespace app
