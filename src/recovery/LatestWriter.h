#pragma once
// A worker thread that writes the newest of the records handed to it. The caller never
// waits for the disk: `post` only replaces the record in the mailbox, and a record that a
// newer one replaces before the worker takes it is never written at all. After each
// write the worker pauses briefly (0.1 s), so a record is written at most that much later.

#include "recovery/Mailbox.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace recovery {

// Where a session's records go on their way to the disk: the editor's is a LatestWriter; a
// test may hand a session one that writes only when waited for, to see what is on disk when.
class RecordWriter {
  public:
    using Write = std::function<void(const Record&)>;
    virtual ~RecordWriter() = default;
    virtual void post(Record record) = 0;
    // Waits until every record posted so far has been written or replaced (for a restored
    // level, which must be on disk before the recovery file it came from is removed, for the
    // record that names a file before a save gives the file its name, for the last record of
    // an editor that is closed, and for tests).
    virtual void waitUntilIdle() = 0;
    // Nothing is written afterwards.
    virtual void stop() = 0;
};

using MakeRecordWriter = std::function<std::unique_ptr<RecordWriter>(RecordWriter::Write)>;

class LatestWriter final : public RecordWriter {
  public:
    explicit LatestWriter(Write write);
    ~LatestWriter() override; // stops: a record not yet taken is dropped
    LatestWriter(const LatestWriter&) = delete;
    LatestWriter& operator=(const LatestWriter&) = delete;

    void post(Record record) override;
    void waitUntilIdle() override;
    // Ends the worker.
    void stop() override;

  private:
    void run();
    bool idleLocked() const { return stopping_ || mailbox_.idle(); }

    Write write_;
    std::mutex mutex_;
    std::condition_variable wakeWorker_; // a value or the stop, for the worker
    std::condition_variable idle_;       // a write done, for waitUntilIdle
    Mailbox mailbox_;
    bool waiting_ = false; // the worker waits for a value
    bool stopping_ = false;
    std::thread worker_;
};

// The editor's writer: a LatestWriter's worker thread.
std::unique_ptr<RecordWriter> makeLatestWriter(RecordWriter::Write write);

} // namespace recovery
