#include "recovery/LatestWriter.h"

#include <chrono>

namespace recovery {

namespace {
constexpr std::chrono::milliseconds Pause{100};
}

LatestWriter::LatestWriter(Write write) : write_(std::move(write)), worker_([this] { run(); }) {}

LatestWriter::~LatestWriter() {
    stop();
}

void LatestWriter::post(Record record) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        mailbox_.post(std::move(record));
        wake = waiting_;
    }
    // Only a worker that waits for a value is woken: while it writes or pauses it will look
    // in the mailbox anyway, and the editor's thread spares the system call.
    if (wake) wakeWorker_.notify_one();
}

void LatestWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return idleLocked(); });
}

void LatestWriter::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeWorker_.notify_one();
    idle_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void LatestWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        waiting_ = true;
        wakeWorker_.wait(lock, [this] { return stopping_ || mailbox_.holdsOne(); });
        waiting_ = false;
        if (stopping_) return;
        const Record record = std::move(*mailbox_.take());
        lock.unlock(); // the disk is waited for without the mailbox held
        write_(record);
        lock.lock();
        mailbox_.done();
        idle_.notify_all();
        // A pause between writes: a burst of changes (quick strokes, held Undo) costs one
        // write per pause instead of one each, and the disk work never crowds the editor.
        wakeWorker_.wait_for(lock, Pause, [this] { return stopping_; });
    }
}

std::unique_ptr<RecordWriter> makeLatestWriter(RecordWriter::Write write) {
    return std::make_unique<LatestWriter>(std::move(write));
}

} // namespace recovery
