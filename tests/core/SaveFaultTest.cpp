// Saving while the system fails: every call a save makes fails in turn (or takes
// nothing, or half), and the save is killed at random points. Each time the level on
// disk is the old one byte for byte or the new one complete, the error shown is the
// right one, and no temporary file is left.

#include "IoMessage.h"
#include "LevelTextSamples.h"
#include "SyscallFaults.h"
#include "TempDir.h"
#include "core/IoError.h"
#include "core/LevelFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace qorv {
namespace {

using test::Fault;
using test::InjectedFaults;
using test::ioMessageOf;
using test::readWholeFile;
using test::sampleGrid;
using test::Sys;
using test::TempDir;

LevelGrid newLevel() {
    LevelGrid grid;
    ClearFull(grid);
    return grid;
}

struct FileState {
    ino_t inode;
    mode_t mode;
};

FileState stateOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {st.st_ino, st.st_mode & 07777};
}

enum class After { Old, New };

// Names the level a file holds, to keep failure messages short.
const char* whichLevel(const std::string& bytes) {
    if (bytes == formatLevel(sampleGrid())) return "old";
    if (bytes == formatLevel(newLevel())) return "new";
    if (bytes == formatLevel(LevelGrid{})) return "zero";
    return "torn";
}

struct FaultRow {
    const char* what;
    Fault fault;
    const char* message; // "" for a save that succeeds
    After after;
};

class SaveFaultTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string level = dir.file("x.qre");

    // A level of mode 0640 with an extended attribute (where the file system keeps
    // them), so that a save by rename has an owner, mode and attribute to take over.
    void makeOldLevel() {
        ::unlink(level.c_str());
        saveQRE(level, sampleGrid());
        ::chmod(level.c_str(), 0640);
        ::setxattr(level.c_str(), "user.qorv", "kept", 4, 0);
    }

    void check(const FaultRow& row, const std::vector<std::string>& entries) {
        SCOPED_TRACE(row.what);
        std::string message;
        {
            InjectedFaults faults(row.fault);
            message = ioMessageOf([&] { saveQRE(level, newLevel()); });
        }
        EXPECT_EQ(message, row.message);
        EXPECT_STREQ(whichLevel(readWholeFile(level)), row.after == After::Old ? "old" : "new");
        EXPECT_EQ(stateOf(level).mode, 0640);
        EXPECT_EQ(dir.entries(), entries) << "no temporary file left";
    }
};

constexpr int Io = EIO; // "I/O error 5"

// A level in a writable folder with a single link is replaced by rename. A fault that
// keeps the new file from taking over the old one's identity makes it overwrite instead.
TEST_F(SaveFaultTest, SaveByRename) {
    const FaultRow rows[] = {
        {"no temporary file",
         {Sys::Open, 1, Fault::Fails, EACCES},
         "File access denied",
         After::Old},
        {"no unnamed files", {Sys::Open, 1, Fault::Fails, EOPNOTSUPP}, "", After::New},
        {"no inode left", {Sys::Open, 1, Fault::Fails, ENOSPC}, "Disk full", After::Old},
        {"owner cannot be set", {Sys::Fchown, 1, Fault::Fails, EPERM}, "", After::New},
        {"attribute cannot be set", {Sys::Fsetxattr, 1, Fault::Fails, ENOTSUP}, "", After::New},
        {"disk full", {Sys::Write, 1, Fault::Fails, ENOSPC}, "Disk full", After::Old},
        {"write takes nothing", {Sys::Write, 1, Fault::TakesNothing}, "Disk full", After::Old},
        {"write takes half", {Sys::Write, 1, Fault::TakesHalf}, "", After::New},
        {"write interrupted", {Sys::Write, 1, Fault::Fails, EINTR}, "", After::New},
        {"write fails", {Sys::Write, 1, Fault::Fails, Io}, "I/O error 5", After::Old},
        {"file sync fails", {Sys::Fsync, 1, Fault::Fails, Io}, "I/O error 5", After::Old},
        {"naming fails", {Sys::Linkat, 1, Fault::Fails, EMLINK}, "I/O error 31", After::Old},
        {"close fails", {Sys::Close, 1, Fault::Fails, Io}, "I/O error 5", After::Old},
        {"rename fails", {Sys::Rename, 1, Fault::Fails, EXDEV}, "I/O error 18", After::Old},
        // Once renamed, the level is saved whatever the folder does.
        {"folder not readable", {Sys::Open, 2, Fault::Fails, EACCES}, "", After::New},
        {"folder sync fails", {Sys::Fsync, 2, Fault::Fails, Io}, "", After::New},
    };
    for (const FaultRow& row : rows) {
        makeOldLevel();
        check(row, {"x.qre"});
    }
}

// A level with a second link is overwritten in place. Nothing is written before the
// first write, and the level has the same length as the old one, so the file holds
// the old level or the new one at every step.
TEST_F(SaveFaultTest, SaveInPlace) {
    const std::string other = dir.file("other.qre");
    const FaultRow rows[] = {
        {"open fails", {Sys::Open, 1, Fault::Fails, EACCES}, "File access denied", After::Old},
        {"disk full", {Sys::Write, 1, Fault::Fails, ENOSPC}, "Disk full", After::Old},
        {"write takes nothing", {Sys::Write, 1, Fault::TakesNothing}, "Disk full", After::Old},
        {"write takes half", {Sys::Write, 1, Fault::TakesHalf}, "", After::New},
        {"write interrupted", {Sys::Write, 1, Fault::Fails, EINTR}, "", After::New},
        {"truncate fails", {Sys::Ftruncate, 1, Fault::Fails, Io}, "I/O error 5", After::New},
        {"sync fails", {Sys::Fsync, 1, Fault::Fails, Io}, "I/O error 5", After::New},
        {"close fails", {Sys::Close, 1, Fault::Fails, Io}, "I/O error 5", After::New},
    };
    for (const FaultRow& row : rows) {
        makeOldLevel();
        ::unlink(other.c_str());
        ASSERT_EQ(::link(level.c_str(), other.c_str()), 0);
        check(row, {"other.qre", "x.qre"});
        EXPECT_EQ(stateOf(other).inode, stateOf(level).inode) << row.what;
    }
}

// Durability: the new file's data is synced before it gets the level's name, and the
// folder after the rename; an overwritten file is synced once complete.
TEST_F(SaveFaultTest, SyncsComeInTheirPlace) {
    const auto syncsAndNames = [](const std::vector<std::string>& calls) {
        std::vector<std::string> kept;
        for (const std::string& call : calls)
            if (call.starts_with("fsync") || call == "linkat" || call == "rename" ||
                call == "write" || call == "ftruncate")
                kept.push_back(call);
        return kept;
    };
    makeOldLevel();
    {
        InjectedFaults faults;
        saveQRE(level, newLevel());
        EXPECT_EQ(
            syncsAndNames(faults.calls()),
            (std::vector<std::string>{"write", "fsync file", "linkat", "rename", "fsync folder"}));
    }
    ASSERT_EQ(::link(level.c_str(), dir.file("other.qre").c_str()), 0);
    {
        InjectedFaults faults;
        saveQRE(level, sampleGrid());
        EXPECT_EQ(syncsAndNames(faults.calls()),
                  (std::vector<std::string>{"write", "ftruncate", "fsync file"}));
    }
}

// A child saves two levels in turn without end and is killed at a random moment, a few
// hundred times. Whenever it dies, the level is the old one or one of the two complete.
// Only a kill between naming the new file and the rename, a small part of each save,
// leaves a temporary file, complete, and the next save that gets going removes it.
TEST_F(SaveFaultTest, KilledSaveLeavesAWholeLevelAndNoStrayFile) {
    constexpr int Kills = 300;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::mt19937 random(11);
    int kills = 0, leftBehind = 0;
    makeOldLevel();
    for (; kills < Kills && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                saveQRE(level, newLevel());
                saveQRE(level, LevelGrid{});
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the saving child ended by itself";
        SCOPED_TRACE("after kill " + std::to_string(kills));
        ASSERT_STRNE(whichLevel(readWholeFile(level)), "torn");
        std::vector<std::string> entries = dir.entries();
        std::erase(entries, "x.qre");
        ASSERT_LE(entries.size(), 1u);
        for (const std::string& stray : entries) {
            EXPECT_TRUE(stray.starts_with(".x.qre.") && stray.ends_with(".tmp")) << stray;
            EXPECT_STRNE(whichLevel(readWholeFile(dir.file(stray))), "torn") << stray;
            ++leftBehind;
        }
    }
    EXPECT_GE(kills, 100) << "too few kills within the time allowed";
    EXPECT_LE(leftBehind, kills / 2) << "temporary files left by killed saves";
    saveQRE(level, newLevel());
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"});
    RecordProperty("kills", kills);
    RecordProperty("leftBehind", leftBehind);
}

} // namespace
} // namespace qorv
