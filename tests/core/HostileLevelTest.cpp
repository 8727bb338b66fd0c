// Level files and names made to break the reader and the writer: a 2 GB file, names
// no editor would choose, links to devices and to themselves, a disk without room.

#include "LevelTextSamples.h"
#include "TempDir.h"
#include "core/IoError.h"
#include "core/LevelFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qorv {
namespace {

using test::joinLines;
using test::readWholeFile;
using test::sampleGrid;
using test::sampleRows;
using test::TempDir;
using test::untouchedGrid;
using test::writeWholeFile;

std::string ioMessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const IoError& e) {
        return e.what();
    }
    return "";
}

constexpr off_t TwoGigabytes = off_t{2} << 30;

class HostileLevel : public ::testing::Test {
  protected:
    TempDir dir;
};

// A file of 2 GB without a line end, all of it a hole that costs no disk space. The
// reader holds no more than its 64 KB buffer and the 45 rows however long a line is,
// but it reads a long line through to its end, because only there could the next line
// begin: 2 GB of reading, a second or two. Lines after such a line read normally
// (LevelFileTest, LineLongerThanTheReadBuffer).
TEST_F(HostileLevel, TwoGigabyteFileOfOneLineIsReadBeyondEndOfFile) {
    const std::string level = dir.file("x.qre");
    writeWholeFile(level, "");
    ASSERT_EQ(::truncate(level.c_str(), TwoGigabytes), 0);
    LevelGrid grid = untouchedGrid();
    EXPECT_EQ(ioMessageOf([&] { loadQRE(level, grid); }), "Read beyond end of file");
    EXPECT_EQ(grid, untouchedGrid());
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
