#pragma once
// A worker thread that writes the newest of the values handed to it. The caller never
// waits for the disk: `post` only replaces the value in the mailbox, and a value that a
// newer one replaces before the worker takes it is never written at all. After each
// write the worker pauses briefly (0.1 s), so a value is written at most that much later.

#include "core/RecoveryFile.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace recovery {

class LatestWriter {
  public:
    using Write = std::function<void(const qorv::RecoveredLevel&)>;
    explicit LatestWriter(Write write);
    ~LatestWriter(); // stops: a value not yet taken is dropped
    LatestWriter(const LatestWriter&) = delete;
    LatestWriter& operator=(const LatestWriter&) = delete;

    void post(qorv::RecoveredLevel level);
    // Waits until every value posted so far has been written or replaced (for tests and
    // benchmarks, and for a restored level, which must be on disk before the recovery
    // file it came from is removed).
    void waitUntilIdle();
    // Ends the worker; nothing is written afterwards.
    void stop();

  private:
    void run();

    Write write_;
    std::mutex mutex_;
    std::condition_variable wakeWorker_; // a value or the stop, for the worker
    std::condition_variable idle_;       // a write done, for waitUntilIdle
    std::optional<qorv::RecoveredLevel> mailbox_;
    bool waiting_ = false; // the worker waits for a value
    bool writing_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace recovery
