#pragma once
// The one-value mailbox between the editor's thread and the recovery writer's worker, as
// plain state: a record posted waits until the worker takes it, and is being written until
// the worker is done with it; a record posted meanwhile replaces the one waiting. Not
// synchronised: LatestWriter calls it only while holding its mutex.

#include "core/RecoveryFile.h"

#include <optional>
#include <utility>

namespace recovery {

// A level to keep, or none: nothing is left that could be lost, and what was kept goes.
using Record = std::optional<qorv::RecoveredLevel>;

class Mailbox {
  public:
    void post(Record record) { waiting_ = std::move(record); }
    bool holdsOne() const { return waiting_.has_value(); }
    // The record to write, taken out of the box; being written until done().
    std::optional<Record> take() {
        if (waiting_) writing_ = true;
        return std::exchange(waiting_, std::nullopt);
    }
    void done() { writing_ = false; }
    // Every record posted has been written or replaced: a record being written is not
    // written yet (a restored level's old file must not go before its new one is on disk).
    bool idle() const { return !waiting_ && !writing_; }

  private:
    std::optional<Record> waiting_;
    bool writing_ = false;
};

} // namespace recovery
