#include "tools/ParallelWork.h"

#include "tools/Reporting.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace app {

namespace {

unsigned cores() {
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

std::vector<std::optional<std::string>>
inParallel(qsizetype count, const std::function<void(qsizetype)>& work, int perCore) {
    std::vector<std::optional<std::string>> problems(static_cast<std::size_t>(count));
    std::atomic<qsizetype> next{0};
    const auto worker = [&] {
        for (qsizetype i; (i = next++) < count;)
            problems[std::size_t(i)] = failureOf([&] { work(i); });
    };
    std::vector<std::thread> threads;
    const qsizetype wanted = std::min<qsizetype>(count, perCore * qsizetype(cores()));
    for (qsizetype n = 1; n < wanted; ++n)
        threads.emplace_back(worker);
    worker();
    for (std::thread& thread : threads)
        thread.join();
    return problems;
}

} // namespace app
