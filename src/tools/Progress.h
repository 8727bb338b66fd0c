#pragma once
// The progress of long work over many levels, one line on standard error redrawn in place:
// "qorvedit: 1200 of 10000 levels, 850 a second". Shown only where the console shows progress
// (a terminal, no --quiet) and for more than a few hundred levels; erased when the work ends,
// so that what stays on the terminal is what the run says. Handlers only tick it.

#include "tools/Console.h"

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <mutex>

namespace app {

// Fewer levels are done before anyone would wait for them.
inline constexpr qsizetype ProgressFromLevels = 300;

class Progress {
  public:
    Progress(Console& console, qsizetype total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // One more level done; any thread may call it. The line is redrawn at most ten times a
    // second, and at the first level.
    void tick();

  private:
    using Clock = std::chrono::steady_clock;
    Console& console_;
    const qsizetype total_;
    const bool shown_;
    std::atomic<qsizetype> done_ = 0;
    std::mutex drawing_;
    const Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_{};
};

} // namespace app
