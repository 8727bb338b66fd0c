#include "tools/Progress.h"

#include <string>

namespace app {

namespace {
constexpr auto RedrawEvery = std::chrono::milliseconds(100);
// A rate over less time than this would be noise.
constexpr auto RateAfter = std::chrono::milliseconds(500);
} // namespace

Progress::Progress(Console& console, qsizetype total)
    : console_(console), total_(total),
      shown_(total >= ProgressFromLevels && console.showsProgress()) {}

Progress::~Progress() {
    if (shown_) console_.showProgress({});
}

void Progress::tick() {
    const qsizetype done = ++done_;
    if (!shown_) return;
    const std::unique_lock lock(drawing_, std::try_to_lock);
    if (!lock) return; // another thread is drawing this moment
    const Clock::time_point now = Clock::now();
    if (done > 1 && now - drawn_ < RedrawEvery) return;
    drawn_ = now;
    std::string line =
        "qorvedit: " + std::to_string(done) + " of " + std::to_string(total_) + " levels";
    const std::chrono::duration<double> elapsed = now - start_;
    if (elapsed >= RateAfter)
        line += ", " + std::to_string(qsizetype(double(done) / elapsed.count())) + " a second";
    console_.showProgress(line);
}

} // namespace app
