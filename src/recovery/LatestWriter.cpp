#include "recovery/LatestWriter.h"

namespace recovery {

LatestWriter::LatestWriter(Write write) : write_(std::move(write)), worker_([this] { run(); }) {}

LatestWriter::~LatestWriter() {
    stop();
}

void LatestWriter::post(qorv::RecoveredLevel level) {
    {
        const std::lock_guard lock(mutex_);
        mailbox_ = std::move(level);
    }
    changed_.notify_all();
}

void LatestWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || (!mailbox_ && !writing_); });
}

void LatestWriter::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void LatestWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || mailbox_; });
        if (stopping_) return;
        qorv::RecoveredLevel level = std::move(*mailbox_);
        mailbox_.reset();
        writing_ = true;
        lock.unlock(); // the disk is waited for without the mailbox held
        write_(level);
        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

} // namespace recovery
