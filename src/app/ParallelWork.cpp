#include "app/ParallelWork.h"

#include "app/Reporting.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace app {

namespace {

// Drawing and encoding a level takes about two milliseconds of a core; saving its picture
// waits as long or longer for the disk (the safe replacement syncs every file). With
// several levels in flight per core, the waits overlap each other and the work.
constexpr int LevelsInFlightPerCore = 4;

unsigned cores() {
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

std::vector<std::optional<std::string>> inParallel(qsizetype count,
                                                   const std::function<void(qsizetype)>& work) {
    std::vector<std::optional<std::string>> problems(static_cast<std::size_t>(count));
    std::atomic<qsizetype> next{0};
    const auto worker = [&] {
        for (qsizetype i; (i = next++) < count;)
            problems[std::size_t(i)] = failureOf([&] { work(i); });
    };
    std::vector<std::thread> threads;
    const qsizetype wanted = std::min<qsizetype>(count, LevelsInFlightPerCore * qsizetype(cores()));
    for (qsizetype n = 1; n < wanted; ++n)
        threads.emplace_back(worker);
    worker();
    for (std::thread& thread : threads)
        thread.join();
    return problems;
}

} // namespace app
