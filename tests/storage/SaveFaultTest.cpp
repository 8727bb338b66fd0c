// Saving while the system fails: every call a save makes fails in turn (or takes
// nothing, or half), and the save is killed at random points. Each time the level on
// disk is the old one byte for byte or the new one complete, the error shown is the
// right one, and no temporary file is left.

#include "IoMessage.h"
#include "OtherAccount.h"
#include "SyscallFaults.h"
#include "TempDir.h"
#include "core/LevelTextSamples.h"
#include "levelio/LevelFile.h"
#include "errors/IoError.h"
#include "storage/Leftovers.h"
#include "storage/SafeReplace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <random>
#include <sys/file.h>
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
using test::writeWholeFile;

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

enum class After { Old, New, Mixed };

// Names the level a file holds, to keep failure messages short.
const char* whichLevel(const std::string& bytes) {
    if (bytes == formatLevel(sampleGrid())) return "old";
    if (bytes == formatLevel(newLevel())) return "new";
    if (bytes == formatLevel(LevelGrid{})) return "zero";
    return "torn";
}

const char* whichLevel(After after) {
    return after == After::Old ? "old" : after == After::New ? "new" : "torn";
}

std::string attributeOf(const std::string& path) {
    std::string value(64, '\0');
    const ssize_t length = ::getxattr(path.c_str(), "user.qorv", value.data(), value.size());
    return value.substr(0, length < 0 ? 0 : static_cast<std::size_t>(length));
}

struct FaultRow {
    const char* what;
    std::vector<Fault> faults;
    const char* message; // "" for a save that succeeds
    After after;
    std::optional<Replaced> way = std::nullopt; // how a save that succeeds went
    const char* attribute = "kept";             // what the old file's attribute becomes
};

class SaveFaultTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string level = dir.file("x.qre");

    // A level of mode 0640 with an extended attribute, so that a save by rename has an
    // owner, mode and attribute to take over.
    void makeOldLevel() {
        ::unlink(level.c_str());
        saveQRE(level, sampleGrid());
        ::chmod(level.c_str(), 0640);
        ASSERT_EQ(::setxattr(level.c_str(), "user.qorv", "kept", 4, 0), 0)
            << "no user attributes in " << dir.path();
    }

    void check(const FaultRow& row, const std::vector<std::string>& entries) {
        SCOPED_TRACE(row.what);
        std::string message;
        std::optional<Replaced> way;
        {
            InjectedFaults faults(row.faults);
            message =
                ioMessageOf([&] { way = replaceFileContent(level, formatLevel(newLevel())); });
        }
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(way, row.way);
        EXPECT_STREQ(whichLevel(readWholeFile(level)), whichLevel(row.after));
        EXPECT_EQ(stateOf(level).mode, 0640);
        EXPECT_EQ(attributeOf(level), row.attribute);
        EXPECT_EQ(dir.entries(), entries) << "no temporary file left";
    }
};

constexpr int Io = EIO; // "I/O error 5"
constexpr auto Renamed = Replaced::RenamedOver;
constexpr auto InPlace = Replaced::OverwrittenInPlace;

// A level in a writable folder with a single link is replaced by rename. A fault that
// keeps the new file from taking over the old one's identity makes it overwrite instead.
TEST_F(SaveFaultTest, SaveByRename) {
    const Fault noUnnamedFiles{Sys::Open, 1, Fault::Fails, EOPNOTSUPP};
    const FaultRow rows[] = {
        {"no temporary file",
         {{Sys::Open, 1, Fault::Fails, EACCES}},
         "File access denied",
         After::Old},
        {"no unnamed files", {noUnnamedFiles}, "", After::New, Renamed},
        {"no unnamed files, nor leave to make a named one",
         {noUnnamedFiles, {Sys::Open, 2, Fault::Fails, EACCES}},
         "File access denied",
         After::Old},
        {"every temporary name taken",
         {noUnnamedFiles, {Sys::Open, 2, Fault::Fails, EEXIST, 1000}},
         "Cannot make a temporary file beside it: every name tried was taken",
         After::Old},
        {"no inode left", {{Sys::Open, 1, Fault::Fails, ENOSPC}}, "Disk full", After::Old},
        {"owner cannot be set", {{Sys::Fchown, 1, Fault::Fails, EPERM}}, "", After::New, InPlace},
        {"attribute cannot be set",
         {{Sys::Fsetxattr, 1, Fault::Fails, ENOTSUP}},
         "",
         After::New,
         InPlace},
        {"file system keeps no attributes",
         {{Sys::Llistxattr, 1, Fault::Fails, ENOTSUP}},
         "",
         After::New,
         Renamed,
         ""},
        {"attributes cannot be listed",
         {{Sys::Llistxattr, 1, Fault::Fails, Io}},
         "",
         After::New,
         InPlace},
        {"disk full", {{Sys::Write, 1, Fault::Fails, ENOSPC}}, "Disk full", After::Old},
        {"write takes nothing", {{Sys::Write, 1, Fault::TakesNothing}}, "Disk full", After::Old},
        {"write takes half", {{Sys::Write, 1, Fault::TakesHalf}}, "", After::New, Renamed},
        {"write interrupted", {{Sys::Write, 1, Fault::Fails, EINTR}}, "", After::New, Renamed},
        {"write fails", {{Sys::Write, 1, Fault::Fails, Io}}, "I/O error 5", After::Old},
        {"file sync fails", {{Sys::Fsync, 1, Fault::Fails, Io}}, "I/O error 5", After::Old},
        {"naming fails", {{Sys::Linkat, 1, Fault::Fails, EMLINK}}, "I/O error 31", After::Old},
        {"close fails", {{Sys::Close, 1, Fault::Fails, Io}}, "I/O error 5", After::Old},
        {"close interrupted", {{Sys::Close, 1, Fault::Fails, EINTR}}, "", After::New, Renamed},
        {"rename fails", {{Sys::Rename, 1, Fault::Fails, EXDEV}}, "I/O error 18", After::Old},
        // An append-only folder (chattr +a) takes new names but lets none go.
        {"folder refuses the rename",
         {{Sys::Rename, 1, Fault::Fails, EPERM}},
         "",
         After::New,
         InPlace},
        // Once renamed, the level is saved whatever the folder does.
        {"folder not readable", {{Sys::Open, 2, Fault::Fails, EACCES}}, "", After::New, Renamed},
        {"folder sync fails", {{Sys::Fsync, 2, Fault::Fails, Io}}, "", After::New, Renamed},
    };
    for (const FaultRow& row : rows) {
        makeOldLevel();
        check(row, {"x.qre"});
    }
}

// A level with a second link is overwritten in place. Its old content is read first
// and written back when the overwrite fails, so the file holds the old level or the
// new one after every failure but one: when even writing back fails, which the
// message says.
TEST_F(SaveFaultTest, SaveInPlace) {
    const std::string other = dir.file("other.qre");
    const Fault writesHalf{Sys::Write, 1, Fault::TakesHalf};
    const FaultRow rows[] = {
        {"open fails", {{Sys::Open, 1, Fault::Fails, EACCES, 2}}, "File access denied", After::Old},
        {"disk full", {{Sys::Write, 1, Fault::Fails, ENOSPC}}, "Disk full", After::Old},
        {"write takes nothing", {{Sys::Write, 1, Fault::TakesNothing}}, "Disk full", After::Old},
        {"write takes half", {writesHalf}, "", After::New, InPlace},
        {"write interrupted", {{Sys::Write, 1, Fault::Fails, EINTR}}, "", After::New, InPlace},
        {"write fails part way",
         {writesHalf, {Sys::Write, 2, Fault::Fails, Io}},
         "I/O error 5",
         After::Old},
        {"writing back fails too",
         {writesHalf, {Sys::Write, 2, Fault::Fails, Io, 2}},
         "I/O error 5; writing the old content back failed too, so the file holds a mix of old "
         "and new",
         After::Mixed},
        {"truncate fails", {{Sys::Ftruncate, 1, Fault::Fails, Io}}, "I/O error 5", After::Old},
        {"sync fails", {{Sys::Fsync, 1, Fault::Fails, Io}}, "I/O error 5", After::Old},
        {"close fails", {{Sys::Close, 1, Fault::Fails, Io}}, "I/O error 5", After::New},
        {"close interrupted", {{Sys::Close, 1, Fault::Fails, EINTR}}, "", After::New, InPlace},
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

// Where the file system has no unnamed files, the temporary file has a name from the
// start: it is private when made, and a live save's (locked) until the rename.
TEST_F(SaveFaultTest, NamedTemporaryFileIsPrivateAndLocked) {
    makeOldLevel();
    ASSERT_EQ(::chmod(level.c_str(), 0644), 0);
    const auto temporaryFile = [&] {
        for (const std::string& entry : dir.entries())
            if (entry != "x.qre") return dir.file(entry);
        return std::string();
    };
    std::vector<std::string> seen;
    {
        InjectedFaults faults(Fault{Sys::Open, 1, Fault::Fails, EOPNOTSUPP});
        faults.beforeEachCall([&](const std::string& call) {
            const std::string temporary = temporaryFile();
            if (temporary.empty()) return;
            if (call == "fchown") // the first thing done to the file just made
                seen.push_back("mode " + std::to_string(stateOf(temporary).mode & 0777));
            if (call == "rename") {
                const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
                seen.push_back(::flock(fd, LOCK_EX | LOCK_NB) == 0 ? "unlocked" : "locked");
                ::close(fd);
            }
        });
        EXPECT_EQ(replaceFileContent(level, formatLevel(newLevel())), Replaced::RenamedOver);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"mode 384", "locked"})) << "mode 384 is 0600";
    EXPECT_EQ(stateOf(level).mode, 0644);

    // A new file ends with the mode open() would have given it.
    const mode_t umask = ::umask(027);
    {
        InjectedFaults faults(Fault{Sys::Open, 1, Fault::Fails, EOPNOTSUPP});
        saveQRE(dir.file("new.qre"), newLevel());
    }
    ::umask(umask);
    EXPECT_EQ(stateOf(dir.file("new.qre")).mode, 0640);
}

// The temporary files of dead saves are removed by the next save of the same level:
// only our own regular files of our exact name that no live save holds locked, wherever that
// save runs (here the test holds the lock, as a save in another PID namespace would).
TEST_F(SaveFaultTest, NextSaveRemovesOnlyDeadSavesTemporaryFiles) {
    makeOldLevel();
    writeWholeFile(dir.file("elsewhere"), "not ours");
    const struct {
        const char* name;
        const char* kind;
        bool removed;
    } rows[] = {
        {".x.qre.AbCdEfGhIjKl.tmp", "file", true},
        {".x.qre.AbCdEfGhIjK0.tmp", "locked file", false},
        {".x.qre.2024-01.tmp", "file", false},
        {".x.qre.AbCdEfGhIjKlm.tmp", "file", false},
        {".y.qre.AbCdEfGhIjK1.tmp", "file", false},
        {".x.qre.AbCdEfGhIjK2.tmp", "fifo", false},
        {".x.qre.AbCdEfGhIjK3.tmp", "link", false},
        // In a shared folder, another account's file of the name is hers.
        {".x.qre.AbCdEfGhIjK4.tmp", "another's file", false},
    };
    // Her leftover is made by her, in the folder shared as /tmp is.
    const std::string noOtherAccount = test::whyNoOtherAccount();
    if (noOtherAccount.empty()) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    }
    std::vector<std::string> kept = {"elsewhere", "x.qre"};
    std::vector<int> locks;
    for (const auto& row : rows) {
        const std::string path = dir.file(row.name);
        const std::string kind = row.kind;
        if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == "link") {
            ASSERT_EQ(::symlink("elsewhere", path.c_str()), 0);
        }
        if (kind == "another's file") {
            if (!noOtherAccount.empty()) continue; // said below
            ASSERT_EQ(test::asOtherAccount("echo her level >\"$1\"", {path}), 0);
        } else if (kind.ends_with("file")) {
            writeWholeFile(path, "a dead save's level");
        }
        if (kind == "locked file") {
            locks.push_back(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX | LOCK_NB), 0);
        }
        if (!row.removed) kept.push_back(row.name);
    }
    saveQRE(level, newLevel());
    for (const int fd : locks)
        ::close(fd);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(dir.entries(), kept);
    EXPECT_EQ(readWholeFile(dir.file("elsewhere")), "not ours");
    if (!noOtherAccount.empty()) GTEST_SKIP() << "another account's file: " << noOtherAccount;
}

// During a command's run each folder is listed for leftovers once, at its first save: a dead
// save's file there then is removed when its level is saved, however much later; one that
// appears after the listing waits for the next run. Without a run, every save lists.
TEST_F(SaveFaultTest, ARunListsEachFolderOnceForLeftovers) {
    const std::string early = ".z.qre.AbCdEfGhIjKl.tmp", late = ".y.qre.AbCdEfGhIjKl.tmp";
    writeWholeFile(dir.file(early), "a dead save's level");
    {
        const LeftoversListedOncePerFolder run;
        saveQRE(dir.file("x.qre"), newLevel());
        writeWholeFile(dir.file(late), "a dead save's level");
        saveQRE(dir.file("z.qre"), newLevel());
        saveQRE(dir.file("y.qre"), newLevel());
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{late, "x.qre", "y.qre", "z.qre"}));
    }
    saveQRE(dir.file("y.qre"), newLevel());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"x.qre", "y.qre", "z.qre"}));
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
