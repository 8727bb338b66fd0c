// --find-tile's statuses, the tables --remap takes and refuses, and what --remap writes and
// leaves alone. tests/app/level_set_check.py compares the counts, cells and bytes with a
// computation of its own.

#include "InProcess.h"
#include "core/TileRemap.h"
#include "levelio/LevelFile.h"
#include "storage/SyscallFaults.h"
#include "tools/RemapTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

namespace {

using qorv::test::runInProcess;

// The set: a.qre holds tile 10 at (1, 2), b.qre neither 10 nor 11, c.qre tile 11 at (5, 0).
class LevelSetTools : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        before_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
        level("a.qre", 1, 2, 10);
        level("b.qre", 3, 3, 2);
        level("c.qre", 5, 0, 11);
    }
    void TearDown() override { QDir::setCurrent(before_); }

    static void level(const char* name, int x, int y, qorv::TileIndex tile) {
        qorv::LevelGrid grid;
        qorv::ClearFull(grid);
        grid.at(x, y) = tile;
        qorv::saveQRE(name, grid);
        const utimbuf old{1000000000, 1000000000};
        ::utime(name, &old);
    }
    static qorv::TileIndex tileAt(const char* name, int x, int y) {
        qorv::LevelGrid grid;
        qorv::loadQRE(name, grid);
        return grid.at(x, y);
    }
    static time_t modified(const char* name) {
        struct stat st {};
        ::stat(name, &st);
        return st.st_mtime;
    }

    QTemporaryDir work_;
    QString before_;
};

TEST_F(LevelSetTools, FindTileExitsAsGrepDoes) {
    const struct {
        QStringList arguments;
        int status;
        std::string out;
    } rows[] = {
        {{"10,11", "a.qre", "b.qre", "c.qre"}, 0, "a.qre:3:2: tile 10\nc.qre:1:6: tile 11\n"},
        {{"7", "a.qre", "b.qre"}, 1, ""},
        {{"10", "gone.qre", "a.qre"}, 2, "a.qre:3:2: tile 10\n"}, // found, yet trouble
        {{"10,x", "a.qre"}, 2, ""},
        {{"256", "a.qre"}, 2, ""},
        {{"10", "."}, 0, "./a.qre:3:2: tile 10\n"},
    };
    for (const auto& row : rows) {
        const auto outcome = runInProcess(QStringList{"--find-tile"} + row.arguments);
        EXPECT_EQ(outcome.status, row.status) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(outcome.out, row.out) << outcome.err;
    }
}

TEST_F(LevelSetTools, RemapTablesAreReadOrRefusedWithTheirPlace) {
    std::ofstream("good.txt") << "# swap\n\n10 11\r\n  11\t10  \n";
    std::ofstream("three.txt") << "10 11 12\n";
    std::ofstream("twice.txt") << "1 2\n# again\n1 3\n";
    const struct {
        const char* table;
        std::vector<std::pair<int, int>> pairs; // OLD, NEW
        std::string error;
    } rows[] = {
        {"10=11,11=10", {{10, 11}, {11, 10}}, ""},
        {"3 = 4, 5=5", {{3, 4}, {5, 5}}, ""},
        {"good.txt", {{10, 11}, {11, 10}}, ""},
        {"1=2,1=3", {}, "1=3: tile 1 is replaced twice"},
        {"1=150", {}, "1=150: no level file can hold tile 150"},
        {"1=256", {}, "1=256: not OLD=NEW with tiles 0 to 255"},
        {"1=2,,", {}, "'': not OLD=NEW with tiles 0 to 255"},
        {"12", {}, "12: not OLD=NEW with tiles 0 to 255"},
        {"three.txt", {}, "three.txt:1: not OLD NEW with tiles 0 to 255"},
        {"twice.txt", {}, "twice.txt:3: tile 1 is replaced twice"},
        {"none.txt", {}, "none.txt: File not found"},
    };
    for (const auto& row : rows) {
        qorv::TileMap expected = qorv::identityTileMap();
        for (const auto& [from, to] : row.pairs)
            expected[std::size_t(from)] = qorv::TileIndex(to);
        try {
            EXPECT_EQ(app::readRemapTable(row.table), expected) << row.table;
            EXPECT_EQ(row.error, "") << row.table;
        } catch (const app::RemapTableError& refused) {
            EXPECT_EQ(refused.what(), row.error) << row.table;
        }
    }
}

TEST_F(LevelSetTools, RemapWritesTheLevelsThatChangeAndNoOtherOnce) {
    const auto outcome = runInProcess({"--remap", "10=11,11=10", "a.qre", "b.qre", ".", "./c.qre"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(tileAt("a.qre", 1, 2), 11);
    EXPECT_EQ(tileAt("c.qre", 5, 0), 10); // named twice, swapped once
    EXPECT_EQ(modified("b.qre"), 1000000000);
    EXPECT_NE(modified("a.qre"), 1000000000);
}

TEST_F(LevelSetTools, RemapDryRunPrintsTheCellsAsDiffDoesAndWritesNothing) {
    const auto outcome = runInProcess({"--remap", "10=11,11=10", "--dry-run", "."});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "./a.qre:\n1,2: 10 -> 11\n./c.qre:\n5,0: 11 -> 10\n");
    for (const char* name : {"a.qre", "b.qre", "c.qre"})
        EXPECT_EQ(modified(name), 1000000000) << name;
}

TEST_F(LevelSetTools, RemapRefusesAWrongTableBeforeWritingAnyLevel) {
    for (const char* table : {"10=11,11=150", "10=11,10=12"}) {
        const auto outcome = runInProcess({"--remap", table, "a.qre", "c.qre"});
        EXPECT_EQ(outcome.status, 2) << table;
        EXPECT_EQ(tileAt("a.qre", 1, 2), 10);
        EXPECT_EQ(modified("a.qre"), 1000000000);
    }
}

TEST_F(LevelSetTools, RemapReportsALevelThatCannotBeWrittenAndDoesTheOthers) {
    // The first save's sync fails, as a failing disk's would.
    const qorv::test::Fault fsyncFails{qorv::test::Sys::Fsync, 1, qorv::test::Fault::Fails, EIO};
    qorv::test::InjectedFaults faults(fsyncFails);
    const auto outcome = runInProcess({"--remap", "10=11,11=10", "a.qre", "b.qre", "c.qre"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("a.qre"), std::string::npos) << outcome.err;
    EXPECT_EQ(tileAt("a.qre", 1, 2), 10);
    EXPECT_EQ(tileAt("c.qre", 5, 0), 10);
}

// A name is data in every output: CSV quotes what a spreadsheet would run as a formula, and
// its quotes; the report's page escapes & and ".
TEST_F(LevelSetTools, NamesAreDataInTheCsvAndTheReport) {
    const struct {
        const char* name;
        std::string cell; // as --stats writes it
    } rows[] = {
        {"=HYPERLINK(\"evil.example\",\"y\").qre",
         "\"'=HYPERLINK(\"\"evil.example\"\",\"\"y\"\").qre\""},
        {"=1+2.qre", "\"'=1+2.qre\""},
        {"+1.qre", "\"'+1.qre\""},
        {"-1.qre", "\"'-1.qre\""},
        {"@SUM(A1).qre", "\"'@SUM(A1).qre\""},
        {"\t1.qre", "''$'\\t''1.qre'"}, // as messages show it: no longer a tab first
        {"a&\"b.qre", "\"a&\"\"b.qre\""},
        {"1=2.qre", "1=2.qre"},
    };
    for (const auto& row : rows) {
        level(row.name, 1, 1, 7);
        const auto outcome = runInProcess({"--stats", "--", row.name});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(outcome.out.find("\nlevel," + row.cell + ","), std::string::npos) << outcome.out;
    }
    const auto outcome =
        runInProcess({"--report", "page", "a&\"b.qre", "--tiles", QORV_EXAMPLES_DIR "/all.bmp"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::ifstream page("page/index.html");
    const std::string html{std::istreambuf_iterator<char>(page), {}};
    EXPECT_NE(html.find("<h2>a&amp;&quot;b.qre</h2>"), std::string::npos) << html;
    EXPECT_NE(html.find("alt=\"a&amp;&quot;b.qre\""), std::string::npos) << html;
}

// What cannot be written back is refused before it is read: standard input, and a FIFO,
// whose reading would wait for a writer for ever. A dry run reads them as every mode does.
TEST_F(LevelSetTools, RemapRefusesWhatItCannotWriteBack) {
    ASSERT_EQ(::mkfifo("fifo.qre", 0600), 0);
    const struct {
        QStringList arguments;
        int status;
        std::string err;
    } rows[] = {
        {{"--remap", "10=11", "-"}, 2, "(-)"},
        {{"--remap", "10=11", "fifo.qre", "a.qre"},
         1,
         "qorvedit: Cannot write fifo.qre: it is not a regular file\n"},
    };
    for (const auto& row : rows) {
        const auto outcome = runInProcess(row.arguments);
        EXPECT_EQ(outcome.status, row.status) << outcome.err;
        EXPECT_NE(outcome.err.find(row.err), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(tileAt("a.qre", 1, 2), 11);
}

TEST_F(LevelSetTools, FormatTakesTheChoicesOfItsMode) {
    const struct {
        QStringList arguments;
        std::string err;
    } rows[] = {
        {{"--stats", "a.qre", "--format", "text"}, "qorvedit: --format text: not csv or json.\n"},
        {{"--check", "a.qre", "--format", "csv"},
         "qorvedit: --format csv: not text, github, gitlab or json.\n"},
    };
    for (const auto& row : rows) {
        const auto outcome = runInProcess(row.arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_TRUE(outcome.err.starts_with(row.err)) << outcome.err;
    }
}

} // namespace
