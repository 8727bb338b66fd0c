// Level files and names made to break the reader and the writer: a 2 GB file, names
// no editor would choose, links to devices and to themselves, a disk without room.

#include "IoMessage.h"
#include "LevelTextSamples.h"
#include "SyscallFaults.h"
#include "TempDir.h"
#include "core/IoError.h"
#include "core/LevelFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace qorv {
namespace {

using test::ioMessageOf;
using test::joinLines;
using test::readWholeFile;
using test::sampleGrid;
using test::sampleRows;
using test::TempDir;
using test::untouchedGrid;
using test::writeWholeFile;

constexpr off_t TwoGigabytes = off_t{2} << 30;

const char* const NotALevel = "Not a level: no 45 lines in its first 4 MiB";

class HostileLevel : public ::testing::Test {
  protected:
    TempDir dir;
};

// A file of 2 GB without a line end, all of it a hole that costs no disk space. The
// reader holds no more than its 64 KB buffer and the 45 rows however long a line is, and
// reads no further than 4 MiB, then says the file is no level. Lines after a long line
// read normally (LevelFileTest, LineLongerThanTheReadBuffer).
TEST_F(HostileLevel, TwoGigabyteFileOfOneLineIsNoLevel) {
    const std::string level = dir.file("x.qre");
    writeWholeFile(level, "");
    ASSERT_EQ(::truncate(level.c_str(), TwoGigabytes), 0);
    LevelGrid grid = untouchedGrid();
    EXPECT_EQ(ioMessageOf([&] { loadQRE(level, grid); }), NotALevel);
    EXPECT_EQ(grid, untouchedGrid());
}

// The limit is the reader's last byte, not a byte too few: a level whose last line, long
// and without a line end, ends exactly at 4 MiB reads; one byte more, and it is no level.
TEST_F(HostileLevel, ALevelEndingAtTheReadLimitReads) {
    std::string text = joinLines(sampleRows(), "\r\n", false);
    text.resize(MaxLevelFileRead, 'x');
    const std::string level = dir.file("x.qre");
    for (const bool oneMore : {false, true}) {
        writeWholeFile(level, oneMore ? text + 'x' : text);
        LevelGrid grid = untouchedGrid();
        if (oneMore) {
            EXPECT_EQ(ioMessageOf([&] { loadQRE(level, grid); }), NotALevel);
            EXPECT_EQ(grid, untouchedGrid());
        } else {
            EXPECT_NO_THROW(loadQRE(level, grid));
            EXPECT_EQ(grid, sampleGrid());
        }
    }
}

// Files that never give 45 lines and never end, as far as a reader that reads on to
// the end could tell: exabytes of hole, the page map of the reading process, and
// /dev/zero swapped in for a level between the look at its name and the open. Each
// read ends at once (a watchdog kills the reading child after a second) with the grid
// unchanged.
class UnboundedRead : public HostileLevel {
  protected:
    std::string tmpfs = dir.file("tmpfs");
    bool mounted = false;
    void TearDown() override {
        if (mounted) ::umount(tmpfs.c_str());
    }

    // A file of `size` bytes, all hole, where a file system allows one that large: the
    // test folder's, or a tmpfs mounted for it (which needs root).
    std::string sparseFile(off_t size) {
        std::string path = dir.file("sparse.qre");
        writeWholeFile(path, "");
        if (::truncate(path.c_str(), size) == 0) return path;
        ::mkdir(tmpfs.c_str(), 0755);
        mounted = mounted || ::mount("tmpfs", tmpfs.c_str(), "tmpfs", 0, "size=1m") == 0;
        path = tmpfs + "/sparse.qre";
        writeWholeFile(path, "");
        return mounted && ::truncate(path.c_str(), size) == 0 ? path : "";
    }
};

TEST_F(UnboundedRead, EndsAtOnceWithTheGridUnchanged) {
    const std::string swapped = dir.file("swapped.qre");
    writeWholeFile(swapped, joinLines(sampleRows()));
    const struct {
        const char* what;
        std::string name;
        const char* message;
    } rows[] = {
        {"4 EiB of hole", sparseFile(off_t{4} << 60), NotALevel},
        {"1 TiB of hole", sparseFile(off_t{1} << 40), NotALevel},
        {"page map", "/proc/self/pagemap", NotALevel},
        {"swapped for /dev/zero", swapped, "File access denied"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.name.empty()) {
            // The other rows still prove the limit; a 4 EiB file needs a tmpfs, so root.
            std::cout << "  skipped: no file system here takes a file that large\n";
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(1);
            test::InjectedFaults faults;
            faults.beforeOpen([&](const char* path) {
                if (path != swapped) return;
                ::unlink(swapped.c_str());
                ::symlink("/dev/zero", swapped.c_str());
            });
            LevelGrid grid = untouchedGrid();
            const std::string message = ioMessageOf([&] { loadQRE(row.name, grid); });
            ::_exit(message != row.message ? 1 : grid != untouchedGrid() ? 2 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(WIFEXITED(status)) << "killed by the watchdog: the read went on";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong message, 2: grid changed";
        RecordProperty(
            row.what,
            std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) +
                " ms");
    }
}

// Names are bytes: whatever a name holds, the level is saved under exactly that name and
// read back from it, and no other file appears.
TEST_F(HostileLevel, UnusualNamesSaveAndLoadTheirOwnFile) {
    const std::string names[] = {
        "level with spaces.qre",
        "  leading and trailing spaces  .qre",
        "-leading-dash.qre",
        "--help.qre",
        "Ünïcödé Lëvél 関数.qre",
        std::string("not utf-8 \xFF\xFE\xC0\x80.qre"),
        "new\nline.qre",
        "tab\tand;semicolon&'quote\".qre",
        "*.qre",
        std::string(240, 'n') + ".qre",
    };
    LevelGrid other = sampleGrid();
    other.at(5, 5) = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TempDir folder;
        saveQRE(folder.file(name), sampleGrid());
        EXPECT_EQ(folder.entries(), std::vector<std::string>{name});
        EXPECT_EQ(readWholeFile(folder.file(name)), formatLevel(sampleGrid()));
        LevelGrid grid = untouchedGrid();
        loadQRE(folder.file(name), grid);
        EXPECT_EQ(grid, sampleGrid());
        // Saving again replaces the same file.
        saveQRE(folder.file(name), other);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{name});
        loadQRE(folder.file(name), grid);
        EXPECT_EQ(grid, other);
    }
}

TEST_F(HostileLevel, NamesThatNameNoLevelFile) {
    ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.qre").c_str()), 0);
    ASSERT_EQ(::symlink("loop-b.qre", dir.file("loop-a.qre").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a.qre", dir.file("loop-b.qre").c_str()), 0);
    struct Row {
        std::string name;
        const char* loadMessage;
        const char* saveMessage;
    } rows[] = {
        // A reader of /dev/zero would never end; a writer would write into a device.
        {dir.file("zero.qre"), "File access denied", "File access denied"},
        {dir.file("loop-a.qre"), "Invalid filename", "Invalid filename"},
        {dir.file(std::string(300, 'x') + ".qre"), "Invalid filename", "Invalid filename"},
        {dir.file("x.qre/"), "Invalid filename", "Invalid filename"},
    };
    for (const Row& row : rows) {
        LevelGrid grid = untouchedGrid();
        EXPECT_EQ(ioMessageOf([&] { loadQRE(row.name, grid); }), row.loadMessage) << row.name;
        EXPECT_EQ(grid, untouchedGrid()) << row.name;
        EXPECT_EQ(ioMessageOf([&] { saveQRE(row.name, sampleGrid()); }), row.saveMessage)
            << row.name;
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"loop-a.qre", "loop-b.qre", "zero.qre"}));
}

// A small tmpfs, filled up in two ways: no room for the new file's data, and no inode
// for the new file at all. Either way the save reads "Disk full", the earlier level
// stays whole and no temporary file remains. Mounting needs root.
class FullDisk : public HostileLevel {
  protected:
    std::string mountPoint = dir.file("tiny");
    bool mounted = false;

    void mount(const char* options) {
        ::mkdir(mountPoint.c_str(), 0755);
        mounted = ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, options) == 0;
    }
    void TearDown() override {
        if (mounted) ::umount(mountPoint.c_str());
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(mountPoint))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(FullDisk, SaveFailsWithDiskFullAndKeepsTheEarlierFile) {
    struct Row {
        const char* options;
        std::size_t fillerBytes; // written beside the level to use up the room left
    } rows[] = {{"size=8k", 4096}, {"size=8k,nr_inodes=2", 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options);
        mount(row.options);
        if (!mounted) GTEST_SKIP() << "cannot mount a tmpfs (needs root): " << std::strerror(errno);
        const std::string level = mountPoint + "/x.qre";
        const std::string earlier = joinLines(sampleRows());
        writeWholeFile(level, earlier);
        if (row.fillerBytes > 0)
            writeWholeFile(mountPoint + "/filler", std::string(row.fillerBytes, 'f'));
        std::vector<std::string> before = entries();

        EXPECT_EQ(ioMessageOf([&] { saveQRE(level, LevelGrid{}); }), "Disk full");
        EXPECT_EQ(readWholeFile(level), earlier);
        EXPECT_EQ(entries(), before) << "no temporary file left";
        ::umount(mountPoint.c_str());
        mounted = false;
    }
}

} // namespace
} // namespace qorv
