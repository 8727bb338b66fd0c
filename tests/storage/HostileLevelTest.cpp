// Level files and names made to break the reader and the writer: a 2 GB file, names
// no editor would choose, links to devices and to themselves, a disk without room.

#include "IoMessage.h"
#include "OtherAccount.h"
#include "SyscallFaults.h"
#include "TempDir.h"
#include "Tmpfs.h"
#include "core/LevelTextSamples.h"
#include "errors/IoError.h"
#include "levelio/LevelFile.h"
#include "storage/AppendFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
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
    test::Tmpfs tmpfs{dir.file("tmpfs"), "size=1m"};

    // A file of `size` bytes, all hole, where a file system allows one that large: the
    // test folder's, or a tmpfs mounted for it (which needs root).
    std::string sparseFile(off_t size) {
        std::string path = dir.file("sparse.qre");
        writeWholeFile(path, "");
        if (::truncate(path.c_str(), size) == 0) return path;
        if (!tmpfs.mounted()) return "";
        path = tmpfs.path() + "/sparse.qre";
        writeWholeFile(path, "");
        return ::truncate(path.c_str(), size) == 0 ? path : "";
    }
};

TEST_F(UnboundedRead, EndsAtOnceWithTheGridUnchanged) {
    const std::string toZero = dir.file("zero.qre"), toFifo = dir.file("fifo.qre");
    writeWholeFile(toZero, joinLines(sampleRows()));
    writeWholeFile(toFifo, joinLines(sampleRows()));
    const struct {
        const char* what;
        std::string name;
        const char* message;
    } rows[] = {
        {"4 EiB of hole", sparseFile(off_t{4} << 60), NotALevel},
        {"1 TiB of hole", sparseFile(off_t{1} << 40), NotALevel},
        {"page map", "/proc/self/pagemap", NotALevel},
        {"swapped for /dev/zero", toZero, "File access denied"},
        {"swapped for a FIFO", toFifo, "File access denied"},
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
                if (path != row.name || (path != toZero && path != toFifo)) return;
                ::unlink(path);
                if (path == toZero) ::symlink("/dev/zero", path);
                if (path == toFifo) ::mkfifo(path, 0600);
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
    const TempDir devices;
    const std::string zero = devices.device("zero", makedev(1, 5), "/dev/zero");
    ASSERT_EQ(::symlink(zero.c_str(), dir.file("zero.qre").c_str()), 0);
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

// A link in a folder another account could fill (hers, or one others may write, sticky or
// not) is followed only when it is ours, or root's in a folder of root's, be it the last part
// of the name or a folder along it (/tmp/pics -> /root-only); otherwise the save is refused
// and nothing is written anywhere. Her links are made by her, while the folder is open to
// all; then it is given the row's owner and mode. Each row is saved by us as root, and again
// by an unprivileged account of ours, for whom the permission checks do not all pass.
struct PlantedRow {
    const char* what;
    mode_t folderMode;
    bool oursFolder; // else hers
    bool oursEntry;  // else hers
    bool written;
};
const PlantedRow PlantedLinks[] = {
    {"another's link in a sticky folder all may write", 01777, true, false, false},
    {"our own link there", 01777, true, true, true},
    {"the folder owner's link there", 01777, false, false, false},
    {"another's link in a folder all may write without the sticky bit", 0777, true, false, false},
    {"another's link in a sticky folder its group may write", 01775, true, false, false},
    {"her link in her folder only she may write", 0755, false, false, false},
    {"our own link in her folder", 0755, false, true, true},
    {"another's link in a folder only we may write", 01755, true, false, true},
};

// The two ways a file is written: replaced whole (levels, pictures, the review...) and
// appended to (the CI step's summary); what our "precious" file holds after each.
const struct PathWriter {
    const char* what;
    void (*write)(const std::string& name);
    std::string (*after)();
} PathWriters[] = {
    {"saved", [](const std::string& name) { saveQRE(name, sampleGrid()); },
     [] { return formatLevel(sampleGrid()); }},
    {"appended to",
     [](const std::string& name) {
         appendToFile(name, [](std::size_t) { return std::string(" and more"); });
     },
     [] { return std::string("precious and more"); }},
};

TEST_F(HostileLevel, LinksInFoldersOpenToOthersAreFollowedOnlyWhenOurs) {
    QORV_NEEDS_OTHER_ACCOUNT();
    const uid_t other = test::otherAccountId();
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    int index = 0;
    for (const PathWriter& writer : PathWriters)
        for (const uid_t us : {uid_t(0), test::unprivilegedAccountId()})
            for (const bool alongThePath : {false, true})
                for (const PlantedRow& row : PlantedLinks) {
                    SCOPED_TRACE(std::string(row.what) + (alongThePath ? ", along the path" : "") +
                                 ", " + writer.what + (us ? " unprivileged" : " as root"));
                    const std::string n = std::to_string(index++);
                    const std::string folder = dir.file("shared" + n),
                                      victims = dir.file("victims" + n);
                    const std::string victim = victims + "/x.qre";
                    const std::string link = folder + (alongThePath ? "/pics" : "/x.qre");
                    const std::string target = alongThePath ? victims : victim;
                    ASSERT_EQ(::mkdir(victims.c_str(), 0700), 0);
                    writeWholeFile(victim, "precious");
                    ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
                    ASSERT_EQ(::chown(victim.c_str(), us, 0), 0);
                    ASSERT_EQ(::chown(victims.c_str(), us, 0), 0);
                    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
                    ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
                    if (row.oursEntry) {
                        ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
                        ASSERT_EQ(::lchown(link.c_str(), us, 0), 0);
                    } else {
                        ASSERT_EQ(test::asOtherAccount("ln -s \"$1\" \"$2\"", {target, link}), 0);
                    }
                    ASSERT_EQ(::chown(folder.c_str(), row.oursFolder ? us : other, 0), 0);
                    ASSERT_EQ(::chmod(folder.c_str(), row.folderMode), 0);

                    const std::string name = alongThePath ? link + "/x.qre" : link;
                    EXPECT_EQ(test::asAccount(
                                  us, [&] { return ioMessageOf([&] { writer.write(name); }); }),
                              row.written ? "" : "File access denied");
                    EXPECT_EQ(readWholeFile(victim), row.written ? writer.after() : "precious");
                    EXPECT_TRUE(std::filesystem::is_symlink(link));
                    for (const std::string& each : {folder, victims})
                        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(each),
                                                std::filesystem::directory_iterator()),
                                  1);
                }
}

// In a folder another account could fill, her file (one she may let us write: mode 0666) or
// a file with a second name would take our bytes and stay what she made it: her owner,
// set-user-ID bit and attribute, or her hard link to a file of ours (one she may write:
// the kernel's protected_hardlinks, where on, admits her no other). Refused as the kernel's
// protected_regular and protected_hardlinks rules would, whatever the machine's setting, and
// in every such folder, not only the sticky ones. Her files are made by her, while the
// folder is open to all; then it is given the row's owner and mode.
TEST_F(HostileLevel, OthersFilesInFoldersOpenToOthersAreNotWritten) {
    QORV_NEEDS_OTHER_ACCOUNT();
    const uid_t other = test::otherAccountId();
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    // Hers: made by her with the mode $3 and an attribute; her link: to $2, a file of ours.
    const std::string hers =
        "printf precious >\"$1\"; chmod $3 \"$1\"; setfattr -n user.x -v 1 \"$1\"";
    const std::string herLink = "ln \"$2\" \"$1\"";
    const struct {
        const char* what;
        mode_t folderMode;
        bool oursFolder;
        const std::string* plantedBy; // her lines; none: our own file
        const char* mode;
        bool written;
    } rows[] = {
        {"another's file in a sticky folder all may write", 01777, true, &hers, "666", false},
        {"another's set-user-ID file there", 01777, true, &hers, "4777", false},
        {"her hard link to a file of ours there", 01777, true, &herLink, "", false},
        {"our own file there", 01777, true, nullptr, "", true},
        {"the folder owner's file there", 01777, false, &hers, "666", false},
        {"another's file in a folder all may write without the sticky bit", 0777, true, &hers,
         "666", false},
        {"another's file in a sticky folder its group may write", 01775, true, &hers, "666", false},
        {"her file in her folder only she may write", 0755, false, &hers, "666", false},
        {"our own file in her folder", 0755, false, nullptr, "", true},
        {"another's file in a folder only we may write", 01755, true, &hers, "666", true},
    };
    int index = 0;
    for (const PathWriter& writer : PathWriters)
        for (const uid_t us : {uid_t(0), test::unprivilegedAccountId()})
            for (const auto& row : rows) {
                SCOPED_TRACE(std::string(row.what) + ", " + writer.what +
                             (us ? " unprivileged" : " as root"));
                const std::string folder = dir.file("shared" + std::to_string(index++));
                const std::string planted = folder + "/x.qre", ours = folder + "-ours";
                ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
                ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
                const std::string& mine = row.plantedBy ? ours : planted;
                writeWholeFile(mine, "precious");
                ASSERT_EQ(::chmod(mine.c_str(), row.plantedBy ? 0666 : 0600), 0);
                ASSERT_EQ(::chown(mine.c_str(), us, 0), 0);
                if (row.plantedBy) {
                    ASSERT_EQ(test::asOtherAccount(*row.plantedBy, {planted, ours, row.mode}), 0);
                }
                ASSERT_EQ(::chown(folder.c_str(), row.oursFolder ? us : other, 0), 0);
                ASSERT_EQ(::chmod(folder.c_str(), row.folderMode), 0);

                EXPECT_EQ(test::asAccount(
                              us, [&] { return ioMessageOf([&] { writer.write(planted); }); }),
                          row.written ? "" : "File access denied");
                EXPECT_EQ(readWholeFile(planted), row.written ? writer.after() : "precious");
                EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                                        std::filesystem::directory_iterator()),
                          1);
            }
}

// The save looks at the name, decides, then opens it: a link swapped in between is not
// followed, and another file renamed into its place (in a folder others may write into, she
// could) is not written. (A hard-linked level is overwritten in place, so the name is opened.)
TEST_F(HostileLevel, WhatIsSwappedInBeforeTheOpenIsNotWritten) {
    for (const bool asLink : {true, false}) {
        SCOPED_TRACE(asLink ? "a link" : "another file");
        const TempDir folder;
        const std::string level = folder.file("x.qre"), victim = folder.file("victim");
        saveQRE(level, sampleGrid());
        ASSERT_EQ(::link(level.c_str(), folder.file("other.qre").c_str()), 0);
        writeWholeFile(victim, "precious");
        std::string message;
        {
            test::InjectedFaults faults;
            faults.beforeOpen([&](const char* path) {
                // The save opens the name through its folder's descriptor.
                if (std::filesystem::path(path).filename() != "x.qre") return;
                if (asLink) {
                    ::unlink(level.c_str());
                    ::symlink(victim.c_str(), level.c_str());
                } else {
                    ::rename(victim.c_str(), level.c_str());
                }
            });
            message = ioMessageOf([&] { saveQRE(level, LevelGrid{}); });
        }
        EXPECT_EQ(message, "File access denied");
        EXPECT_EQ(readWholeFile(asLink ? victim : level), "precious");
    }
}

// A small tmpfs, filled up in two ways: no room for the new file's data, and no inode
// for the new file at all. Either way the save reads "Disk full", the earlier level
// stays whole and no temporary file remains. Mounting needs root.
TEST_F(HostileLevel, FullDiskSaveFailsWithDiskFullAndKeepsTheEarlierFile) {
    const test::Tmpfs tiny(dir.file("tiny"), "size=16k,nr_inodes=16");
    if (!tiny.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs (needs root): " << std::strerror(tiny.error());
    const std::string level = tiny.path() + "/x.qre";
    const std::string earlier = joinLines(sampleRows());
    writeWholeFile(level, earlier);
    const auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(tiny.path()))
            names.push_back(entry.path().filename().string());
        return names;
    };
    // Each fills what is left of one resource with files named "filler*".
    const struct {
        const char* what;
        std::function<bool(int n)> addFiller; // false once there is no more room
    } rows[] = {
        {"no room for data",
         [&](int) {
             std::ofstream out(tiny.path() + "/filler", std::ios::app);
             out << std::string(1024, 'f') << std::flush;
             return out.good();
         }},
        {"no inode left",
         [&](int n) {
             const std::string name = tiny.path() + "/filler" + std::to_string(n);
             const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
             return fd >= 0 && ::close(fd) == 0;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (int n = 0; row.addFiller(n) && n < 1000; ++n) {
        }
        const std::vector<std::string> before = entries();
        EXPECT_EQ(ioMessageOf([&] { saveQRE(level, LevelGrid{}); }), "Disk full");
        EXPECT_EQ(readWholeFile(level), earlier);
        EXPECT_EQ(entries(), before) << "no temporary file left";
        for (const std::string& name : before)
            if (name.starts_with("filler")) ::unlink((tiny.path() + "/" + name).c_str());
    }
}

} // namespace
} // namespace qorv
