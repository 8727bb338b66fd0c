// Level files on disk: opening, refusing, keeping the old file whole when a save fails.

#include "levelio/LevelFile.h"
#include "IoMessage.h"
#include "SyscallFaults.h"
#include "TempDir.h"
#include "Tmpfs.h"
#include "core/LevelTextSamples.h"
#include "errors/IoError.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

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

using test::ioCodeOf;

LevelGrid newLevel() {
    LevelGrid grid;
    ClearFull(grid);
    return grid;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Runs `child` in a forked process that the alarm ends after a few seconds, so a
// reader or writer blocked on a FIFO fails the test instead of hanging it. Returns
// the child's exit code, or -signal when it was killed.
int runInChild(const std::function<int()>& child) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(5);
        ::_exit(child());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

class LevelFileTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string level = dir.file("x.qre");
};

TEST_F(LevelFileTest, SaveWritesTheLevelTextAndNothingElse) {
    saveQRE(level, newLevel());
    EXPECT_EQ(readWholeFile(level), formatLevel(newLevel()));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"});
}

TEST_F(LevelFileTest, LoadReadsWhatSaveWrote) {
    saveQRE(level, sampleGrid());
    LevelGrid grid = untouchedGrid();
    loadQRE(level, grid);
    EXPECT_EQ(grid, sampleGrid());
}

TEST_F(LevelFileTest, SaveReplacesALongerFile) {
    writeWholeFile(level, std::string(10000, 'Q'));
    saveQRE(level, sampleGrid());
    EXPECT_EQ(readWholeFile(level), joinLines(sampleRows()));
}

TEST_F(LevelFileTest, RelativeNameIsTakenInTheWorkingFolder) {
    writeWholeFile(level, joinLines(sampleRows()));
    const std::string before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    LevelGrid grid;
    loadQRE("x.qre", grid);
    saveQRE("y.qre", newLevel());
    std::filesystem::current_path(before);
    EXPECT_EQ(grid, sampleGrid());
    EXPECT_EQ(readWholeFile(dir.file("y.qre")), formatLevel(newLevel()));
}

TEST_F(LevelFileTest, FailedReadLeavesTheTargetAsItWas) {
    std::vector<std::string> shortLine = sampleRows();
    shortLine[30].resize(20);
    const std::string texts[] = {joinLines(sampleRows(), "\n"), joinLines(shortLine), "",
                                 joinLines(sampleRows(44))};
    for (const std::string& text : texts) {
        writeWholeFile(level, text);
        LevelGrid grid = untouchedGrid();
        EXPECT_EQ(ioCodeOf([&] { loadQRE(level, grid); }), iocode::ReadBeyondEnd);
        EXPECT_EQ(grid, untouchedGrid());
    }
}

TEST_F(LevelFileTest, OpenErrors) {
    ::mkdir(dir.file("folder.qre").c_str(), 0755);
    writeWholeFile(dir.file("plain"), "x");
    struct Row {
        std::string name;
        IoCode code;
        const char* message;
    } rows[] = {
        {dir.file("missing.qre"), iocode::FileNotFound, "File not found"},
        {dir.file("nofolder/x.qre"), iocode::PathNotFound, "Invalid filename"},
        {dir.file("plain/x.qre"), iocode::PathNotFound, "Invalid filename"},
        {"", iocode::PathNotFound, "Invalid filename"},
        {dir.file("folder.qre"), iocode::AccessDenied, "File access denied"},
        {"/dev/null", iocode::AccessDenied, "File access denied"},
    };
    for (const Row& row : rows) {
        LevelGrid grid = untouchedGrid();
        EXPECT_EQ(ioCodeOf([&] { loadQRE(row.name, grid); }), row.code) << row.name;
        EXPECT_EQ(ioMessageOf([&] { loadQRE(row.name, grid); }), row.message) << row.name;
        EXPECT_EQ(grid, untouchedGrid()) << row.name;
    }
}

TEST_F(LevelFileTest, SaveErrors) {
    ::mkdir(dir.file("folder.qre").c_str(), 0755);
    const TempDir devices;
    struct Row {
        std::string name;
        IoCode code;
    } rows[] = {
        {dir.file("nofolder/x.qre"), iocode::PathNotFound},
        {"", iocode::PathNotFound},
        {dir.file("folder.qre"), iocode::AccessDenied},
        {devices.device("null", makedev(1, 3), "/dev/null"), iocode::AccessDenied},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ioCodeOf([&] { saveQRE(row.name, newLevel()); }), row.code) << row.name;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder.qre"});
}

// A FIFO or device is refused by its name's look before anything opens it: a device
// may act on open() alone.
TEST_F(LevelFileTest, FifoIsRefusedWithoutBeingOpened) {
    ASSERT_EQ(::mkfifo(level.c_str(), 0644), 0);
    const int exit = runInChild([&] {
        test::InjectedFaults faults;
        bool opened = false;
        faults.beforeOpen([&](const char* path) { opened = opened || path == level; });
        LevelGrid grid;
        const auto readCode = ioCodeOf([&] { loadQRE(level, grid); });
        const auto writeCode = ioCodeOf([&] { saveQRE(level, newLevel()); });
        if (opened) return 2;
        return readCode == iocode::AccessDenied && writeCode == iocode::AccessDenied ? 0 : 1;
    });
    EXPECT_EQ(exit, 0) << "refused FIFO (0), wrong code (1), opened (2) or killed by the "
                          "watchdog (-14)";
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"});
}

// Root may write any file, so for root a level is read-only when no one may write it;
// a group write bit lets root (and the group) replace it, but not its owner.
TEST_F(LevelFileTest, ReadOnlyFileIsNotReplacedEvenByRoot) {
    const bool root = ::geteuid() == 0;
    const struct {
        mode_t mode;
        bool replaced;
    } rows[] = {{0444, false}, {0400, false}, {0000, false}, {0464, root}};
    for (const auto& row : rows) {
        writeWholeFile(level, "old level");
        ASSERT_EQ(::chmod(level.c_str(), row.mode), 0);
        const auto code = ioCodeOf([&] { saveQRE(level, newLevel()); });
        EXPECT_EQ(code, row.replaced ? std::nullopt : std::optional(iocode::AccessDenied))
            << std::oct << row.mode;
        EXPECT_EQ(readWholeFile(level), row.replaced ? formatLevel(newLevel()) : "old level");
        EXPECT_EQ(modeOf(level), row.mode);
        ::chmod(level.c_str(), 0644);
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"});
}

TEST_F(LevelFileTest, ReplacedFileKeepsItsMode) {
    for (const mode_t mode : {0640, 0600, 0644, 0604, 0755}) {
        writeWholeFile(level, "old level");
        ASSERT_EQ(::chmod(level.c_str(), mode), 0);
        saveQRE(level, newLevel());
        EXPECT_EQ(modeOf(level), mode) << std::oct << mode;
        EXPECT_EQ(readWholeFile(level), formatLevel(newLevel()));
    }
}

TEST_F(LevelFileTest, NewFileFollowsTheUmask) {
    const mode_t old = ::umask(027);
    saveQRE(level, newLevel());
    ::umask(old);
    EXPECT_EQ(modeOf(level), 0640);
}

TEST_F(LevelFileTest, SavingThroughALinkReplacesTheFileItNames) {
    ::mkdir(dir.file("real").c_str(), 0755);
    writeWholeFile(dir.file("real/level.qre"), "old level");
    ASSERT_EQ(::symlink("real/level.qre", level.c_str()), 0);
    ASSERT_EQ(::symlink("x.qre", dir.file("link2.qre").c_str()), 0); // a chain of two links
    saveQRE(dir.file("link2.qre"), sampleGrid());
    EXPECT_EQ(std::filesystem::read_symlink(level), "real/level.qre");
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("link2.qre")), "x.qre");
    EXPECT_EQ(readWholeFile(dir.file("real/level.qre")), joinLines(sampleRows()));
    EXPECT_EQ(std::filesystem::directory_entry(dir.file("real")).exists(), true);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link2.qre", "real", "x.qre"}));
}

// The kernel follows 40 links in a row, and so does the save: a chain the kernel would
// open saves, one link more is "Invalid filename" as for the kernel's ELOOP.
TEST_F(LevelFileTest, ChainsOfLinksSaveAsFarAsTheKernelFollowsThem) {
    for (const int links : {5, 40, 41}) {
        SCOPED_TRACE(std::to_string(links) + " links");
        TempDir folder;
        writeWholeFile(folder.file("level.qre"), "old level");
        for (int n = 1; n <= links; ++n) {
            const std::string to = n == links ? "level.qre" : "l" + std::to_string(n + 1);
            ASSERT_EQ(::symlink(to.c_str(), folder.file("l" + std::to_string(n)).c_str()), 0);
        }
        const int fd = ::open(folder.file("l1").c_str(), O_RDONLY | O_CLOEXEC);
        const bool kernelFollows = fd >= 0;
        ::close(fd);
        EXPECT_EQ(kernelFollows, links <= 40);
        EXPECT_EQ(ioMessageOf([&] { saveQRE(folder.file("l1"), newLevel()); }),
                  kernelFollows ? "" : "Invalid filename");
        EXPECT_EQ(readWholeFile(folder.file("level.qre")),
                  kernelFollows ? formatLevel(newLevel()) : "old level");
    }
}

TEST_F(LevelFileTest, SavingThroughADanglingLinkCreatesItsFile) {
    ASSERT_EQ(::symlink(dir.file("made.qre").c_str(), level.c_str()), 0);
    saveQRE(level, newLevel());
    EXPECT_TRUE(std::filesystem::is_symlink(level));
    EXPECT_EQ(readWholeFile(dir.file("made.qre")), formatLevel(newLevel()));
}

TEST_F(LevelFileTest, TileWithoutCharacterWritesNothing) {
    LevelGrid grid = newLevel();
    grid.at(3, 7) = 150;
    try {
        saveQRE(level, grid);
        ADD_FAILURE() << "tile 150 was written";
    } catch (const EditorError& e) {
        EXPECT_STREQ(e.what(),
                     "Tile 150 at column 3, row 7 has no character in the level file format");
    }
    EXPECT_TRUE(dir.entries().empty());
    writeWholeFile(level, "old level");
    EXPECT_THROW(saveQRE(level, grid), EditorError);
    EXPECT_EQ(readWholeFile(level), "old level");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"});
}

// The file-size limit makes write() fail part way through the level, as a full disk
// would; the old level must come through whole and no temporary file may remain.
TEST_F(LevelFileTest, WriteFailurePartWayLeavesTheOldFileWhole) {
    const std::string old = joinLines(sampleRows());
    writeWholeFile(level, old);
    for (const rlim_t limit : {0, 1000, 2969}) {
        const int exit = runInChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &small) != 0) return 2;
            return ioMessageOf([&] { saveQRE(level, newLevel()); }) == "I/O error 27" ? 0 : 1;
        });
        EXPECT_EQ(exit, 0) << "limit " << limit;
        EXPECT_EQ(readWholeFile(level), old) << "limit " << limit;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"}) << "limit " << limit;
    }
}

// A real full disk, on a tmpfs too small for a second copy of the level. Mounting
// needs root; elsewhere the file-size test above covers the same path.
TEST_F(LevelFileTest, FullDiskReadsDiskFullAndKeepsTheOldFile) {
    const test::Tmpfs tiny(dir.file("tiny"), "size=4k");
    if (!tiny.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string onTiny = tiny.path() + "/x.qre";
    const std::string old = joinLines(sampleRows());
    writeWholeFile(onTiny, old);
    EXPECT_EQ(ioMessageOf([&] { saveQRE(onTiny, newLevel()); }), "Disk full");
    EXPECT_EQ(readWholeFile(onTiny), old);
    const auto entries = std::filesystem::directory_iterator(tiny.path());
    EXPECT_EQ(std::distance(entries, std::filesystem::directory_iterator()), 1);
}

// Every descriptor a load or a save opens is closed again, whichever way it went.
TEST_F(LevelFileTest, LoadsAndSavesLeaveNoDescriptorOpen) {
    const auto openDescriptors = [] {
        const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(entries, std::filesystem::directory_iterator());
    };
    saveQRE(level, sampleGrid());
    ASSERT_EQ(::link(level.c_str(), dir.file("other.qre").c_str()), 0);
    const std::string single = dir.file("single.qre");
    const auto before = openDescriptors();
    LevelGrid grid;
    for (int round = 0; round < 50; ++round) {
        saveQRE(level, round % 2 ? sampleGrid() : newLevel()); // in place
        saveQRE(single, newLevel());                           // created, then renamed over
        loadQRE(level, grid);
        ioMessageOf([&] { loadQRE(dir.file("missing.qre"), grid); });
        ioMessageOf([&] { saveQRE(dir.file("nofolder/x.qre"), grid); });
    }
    EXPECT_EQ(openDescriptors(), before);
}

// A close that fails after a whole level was read fails the load, leaving the grid as
// it was; one interrupted by a signal has closed the file all the same.
TEST_F(LevelFileTest, ACloseThatFailsFailsTheLoad) {
    saveQRE(level, sampleGrid());
    const struct {
        int err;
        const char* message;
    } rows[] = {{EIO, "I/O error 5"}, {EINTR, ""}};
    for (const auto& row : rows) {
        LevelGrid grid = untouchedGrid();
        std::string message;
        {
            test::InjectedFaults faults(
                test::Fault{test::Sys::Close, 1, test::Fault::Fails, row.err});
            message = ioMessageOf([&] { loadQRE(level, grid); });
        }
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(grid, *row.message ? untouchedGrid() : sampleGrid()) << row.message;
    }
}

// The program's own codes and errno values are apart: EIO is 5 like "access denied"
// but is no such thing.
TEST(IoErrorCodes, AnErrnoWithoutACodeOfItsOwnIsNoProgramCode) {
    const struct {
        int err;
        IoCode code;
        int systemErrno;
        const char* message;
    } rows[] = {
        {EIO, IoCode::SystemError, EIO, "I/O error 5"},
        {EACCES, IoCode::AccessDenied, 0, "File access denied"},
        {ENOSPC, IoCode::DiskFull, 0, "Disk full"},
        {EROFS, IoCode::AccessDenied, 0, "File access denied"},
    };
    for (const auto& row : rows) {
        const IoError error = ioErrorFromErrno(row.err, "/");
        EXPECT_EQ(error.code(), row.code) << row.message;
        EXPECT_EQ(error.systemErrno(), row.systemErrno) << row.message;
        EXPECT_STREQ(error.what(), row.message);
    }
    EXPECT_NE(ioErrorFromErrno(EIO, "/").code(), IoError(iocode::AccessDenied).code());
}

TEST_F(LevelFileTest, HugeFileIsReadOnlyUpToLine45) {
    // 2 GB, mostly a hole: a reader that went on to its end would take long.
    writeWholeFile(level, joinLines(sampleRows()));
    ASSERT_EQ(::truncate(level.c_str(), off_t{2} << 30), 0);
    LevelGrid grid;
    loadQRE(level, grid);
    EXPECT_EQ(grid, sampleGrid());
}

TEST_F(LevelFileTest, LineLongerThanTheReadBuffer) {
    std::vector<std::string> lines = sampleRows();
    lines[2] += std::string(300000, '\0');
    lines[3] += std::string(65536 - 64, 'z');
    writeWholeFile(level, joinLines(lines));
    LevelGrid grid;
    loadQRE(level, grid);
    EXPECT_EQ(grid, sampleGrid());
}

} // namespace
} // namespace qorv
