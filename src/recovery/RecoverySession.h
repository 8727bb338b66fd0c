#pragma once
// One running editor's part of the recovery folder: its lock, held while it runs, and its
// recovery file, which holds the level while it has changes that were not saved. An
// editor has ended exactly when its lock is free: the kernel releases the lock of a
// process that dies in any way, and a process id is never consulted. An editor closed
// normally removes its lock file and keeps its recovery file, if it has one; one that
// crashed leaves both.
//
// Names in the folder: "instance-<16 hex digits>.lock" and "...recovery", one pair per
// editor; a damaged recovery file is renamed to "...damaged".

#include "core/RecoveryFile.h"
#include "recovery/LatestWriter.h"
#include "storage/FileDescriptor.h"
#include "storage/PrivateFolder.h"

#include <memory>
#include <optional>
#include <string>

namespace recovery {

// The level of an editor that has ended, claimed by holding its lock, so that no other
// starting editor offers it at the same time. Released (and left as it is) when destroyed.
class EndedEditor {
  public:
    EndedEditor(std::shared_ptr<const qorv::PrivateFolder> folder,
                std::shared_ptr<RecordWriter> ourWriter, std::string stem,
                std::unique_ptr<qorv::FileDescriptor> lock, qorv::RecoveredLevel level,
                bool closed);
    EndedEditor(EndedEditor&&) = default;
    EndedEditor& operator=(EndedEditor&&) = delete;
    // A closed editor's level stays one: the lock file made to claim it goes again.
    ~EndedEditor();

    const qorv::RecoveredLevel& level() const { return level_; }
    // Whether its editor was closed normally, rather than ending by a crash or a kill.
    bool closed() const { return closed_; }
    // Removes the recovery file and its lock file: the level was taken back or refused.
    // What the claiming session recorded before is written first, so a level taken back
    // is in its own recovery file before the one it came from goes.
    void discard();

  private:
    std::shared_ptr<const qorv::PrivateFolder> folder_;
    std::shared_ptr<RecordWriter> ourWriter_;
    std::string stem_;
    std::unique_ptr<qorv::FileDescriptor> lock_;
    qorv::RecoveredLevel level_;
    bool closed_;
};

class Session {
  public:
    // Claims a new instance in `folder` (made private if needed), its records written by
    // what `makeWriter` makes. Throws std::runtime_error when the folder or the lock cannot
    // be had.
    explicit Session(std::string folder, const MakeRecordWriter& makeWriter = makeLatestWriter);
    // Ending normally: the last record reaches the disk and stays, and the lock goes.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Records the level in memory; returns at once, the worker writes it.
    void record(qorv::RecoveredLevel level) { writer_->post(std::move(level)); }
    // The level has nothing left that could be lost (saved, or back to its file's
    // content): its record goes, once the writes handed over before have been done.
    void forget() { writer_->post(std::nullopt); }
    // Records the level and returns once it is on disk: before a save gives its file a
    // name, the record must already name that file and hold what goes into it.
    void recordNow(qorv::RecoveredLevel level) {
        writer_->post(std::move(level));
        writer_->waitUntilIdle();
    }

    // The most recently recorded level among the editors that have ended, claimed; damaged
    // files met on the way are set aside with a line on standard error. Stale locks of
    // ended editors that left no level are removed.
    std::optional<EndedEditor> claimEnded();

  private:
    void write(const Record& record);
    void removeRecoveryFile() const;

    std::shared_ptr<const qorv::PrivateFolder> folder_;
    std::string stem_; // "instance-<hex>", without a suffix
    qorv::FileDescriptor lock_;
    bool failing_ = false;                 // the last write failed (the worker's alone)
    std::shared_ptr<RecordWriter> writer_; // shared with the ended editors claimed
};

} // namespace recovery
