// The version-control tools as git and a user call them: their output, exit statuses and
// files, run in process on levels in a private folder.

#include "InProcess.h"
#include "core/ConflictedLevel.h"
#include "levelio/LevelFile.h"
#include "render/CellMarks.h"
#include "render/Raster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <sys/stat.h>

namespace {

using qorv::LevelGrid;

using qorv::test::Outcome;

Outcome run(const QStringList& arguments, std::FILE* out = std::tmpfile()) {
    return qorv::test::runInProcess(arguments, out);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

LevelGrid changed(LevelGrid level, std::initializer_list<std::tuple<int, int, int>> cells) {
    for (const auto& [x, y, tile] : cells)
        level.at(x, y) = static_cast<qorv::TileIndex>(tile);
    return level;
}

QImage testSheet() {
    QImage sheet(160, 160, QImage::Format_RGB888);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
            sheet.setPixel(x, y, qRgb(x, y, 99));
    return sheet;
}

class LevelDiffTools : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
        qorv::ClearFull(base_);
        // Tile 255 is written as a 0x00 byte: the level git alone takes for binary.
        ours_ = changed(base_, {{3, 1, 5}, {10, 4, 255}});
        theirs_ = changed(base_, {{4, 1, 7}});
        clash_ = changed(base_, {{3, 1, 6}});
        for (const auto& [name, level] : {std::pair{"base.qre", base_},
                                          {"ours.qre", ours_},
                                          {"theirs.qre", theirs_},
                                          {"clash.qre", clash_}})
            qorv::saveQRE(name, level);
        write("short.qre", "11\r\n");
        write("empty.qre", "");
        ASSERT_EQ(::mkfifo("fifo", 0600), 0);
        ASSERT_TRUE(testSheet().save("all.bmp", "BMP"));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    static void write(const char* name, const QByteArray& bytes) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Every pixel of the picture: `level` as --render draws it, `marked` cells framed inside.
    static void expectFramedPicture(const char* png, const LevelGrid& level,
                                    const std::vector<QPoint>& marked) {
        QImage picture = QImage(png).convertToFormat(QImage::Format_RGB888);
        QImage drawn = qorv::makeRaster();
        qorv::drawAllCells(level, testSheet(), drawn);
        ASSERT_EQ(picture.size(), drawn.size());
        for (int y = 0; y < qorv::RasterHeight; ++y) {
            for (int x = 0; x < qorv::RasterWidth; ++x) {
                const int dx = x % 10, dy = y % 10;
                QRgb want = drawn.pixel(x, y);
                if (std::count(marked.begin(), marked.end(), QPoint(x / 10, y / 10))) {
                    if (dx == 0 || dx == 9 || dy == 0 || dy == 9)
                        want = qorv::MarkOuterColour;
                    else if (dx == 1 || dx == 8 || dy == 1 || dy == 8)
                        want = qorv::MarkInnerColour;
                }
                ASSERT_EQ(picture.pixel(x, y), want) << png << " pixel " << x << "," << y;
            }
        }
    }

    QTemporaryDir work_;
    QString previous_;
    LevelGrid base_, ours_, theirs_, clash_;
};

// The file a merge leaves with `conflicts` in it, OURS's tile in each.
std::string conflicted(const LevelGrid& merged, const std::vector<qorv::CellConflict>& conflicts) {
    return std::get<std::string>(qorv::formatConflictedLevel(merged, conflicts));
}

TEST_F(LevelDiffTools, ExitStatusesOutputsAndTheMergedLevel) {
    const std::string merged = qorv::formatLevel(changed(ours_, {{4, 1, 7}}));
    const std::string clashing = conflicted(ours_, {{3, 1, 0, 5, 6}});
    const std::string unrelated =
        conflicted(ours_, {{3, 1, std::nullopt, 5, 6}, {10, 4, std::nullopt, 255, 0}});
    const struct {
        QStringList arguments;
        int status;
        const char* out;
        const char* err;
        std::optional<std::string> written; // out.qre afterwards; nothing: untouched
    } rows[] = {
        {{"--diff", "base.qre", "ours.qre"}, 1, "3,1: 0 -> 5\n10,4: 0 -> 255\n", "", {}},
        {{"--diff", "ours.qre", "ours.qre"}, 0, "", "", {}},
        {{"--diff", "base.qre", "missing.qre"},
         2,
         "",
         "qorvedit: missing.qre: File not found\n",
         {}},
        {{"--diff", "short.qre", "base.qre"},
         2,
         "",
         "qorvedit: short.qre: Read beyond end of file\n",
         {}},
        // A name cannot forge a line of the message.
        {{"--diff", "base.qre", "a\nb.qre"},
         2,
         "",
         "qorvedit: 'a'$'\\n''b.qre': File not found\n",
         {}},
        // git stops every diff at a textconv that fails: --check's line instead.
        {{"--textconv", "short.qre"}, 0, "short.qre: Read beyond end of file\n", "", {}},
        {{"--textconv", "a\nb.qre"}, 0, "'a'$'\\n''b.qre': File not found\n", "", {}},
        {{"--merge", "base.qre", "ours.qre", "theirs.qre", "-o", "out.qre"}, 0, "", "", merged},
        // The conflict left in the file, named at OURS's copy of its row (line 3, under the
        // marker).
        {{"--merge", "base.qre", "ours.qre", "clash.qre", "-o", "out.qre"},
         1,
         "",
         "ours.qre:3:4: conflict: base 0, ours 5, theirs 6\n",
         clashing},
        {{"--merge", "base.qre", "ours.qre", "clash.qre", "-o", "out.qre", "--path", "a\nb.qre"},
         1,
         "",
         "'a'$'\\n''b.qre':3:4: conflict: base 0, ours 5, theirs 6\n",
         clashing},
        // An empty BASE: no common ancestor.
        {{"--merge", "empty.qre", "ours.qre", "clash.qre", "-o", "out.qre"},
         1,
         "",
         "ours.qre:3:4: conflict: base none, ours 5, theirs 6\nours.qre:10:11: conflict: base "
         "none, ours 255, theirs 0\n",
         unrelated},
        {{"--merge", "base.qre", "ours.qre", "missing.qre", "-o", "out.qre"},
         2,
         "",
         "qorvedit: missing.qre: File not found\n",
         {}},
        {{"--merge", "short.qre", "ours.qre", "theirs.qre", "-o", "out.qre"},
         2,
         "",
         "qorvedit: short.qre: Read beyond end of file\n",
         {}},
        // One output that cannot be written: neither is.
        {{"--merge", "base.qre", "ours.qre", "theirs.qre", "-o", "out.qre", "--conflicts",
          "nodir/x.png"},
         2,
         "",
         "",
         {}},
        {{"--merge", "base.qre", "ours.qre", "theirs.qre", "-o", "new.png", "--conflicts",
          "./new.png"},
         2,
         "",
         "qorvedit: Cannot write ./new.png: it is the output new.png\n",
         {}},
        {{"--merge", "base.qre", "ours.qre", "theirs.qre", "-o", "fifo"},
         2,
         "",
         "qorvedit: Cannot write fifo: it is not a regular file\n",
         {}},
        {{"--diff", "base.qre", "ours.qre", "--png", "./ours.qre"},
         2,
         "",
         "qorvedit: Cannot write ./ours.qre: it is the input ours.qre\n",
         {}},
    };
    const QByteArray kept = "an earlier file";
    for (const auto& row : rows) {
        write("out.qre", kept);
        const std::string trace = row.arguments.join(' ').toStdString();
        const Outcome result = run(row.arguments);
        EXPECT_EQ(result.status, row.status) << trace;
        EXPECT_EQ(result.out, row.out) << trace;
        if (row.status != 2 || *row.err) {
            EXPECT_EQ(result.err, row.err) << trace;
        }
        if (row.written)
            EXPECT_EQ(bytesOf("out.qre").toStdString(), *row.written) << trace;
        else
            EXPECT_EQ(bytesOf("out.qre"), kept) << trace;
    }
    EXPECT_EQ(bytesOf("ours.qre").toStdString(), qorv::formatLevel(ours_));
    EXPECT_FALSE(QFile::exists("new.png"));
}

TEST_F(LevelDiffTools, AMergeNamesAScreenfulOfConflictsAndCountsTheRest) {
    LevelGrid walls;
    walls.cells.fill(qorv::WallTile);
    qorv::saveQRE("walls.qre", walls);
    const Outcome result = run({"--merge", "empty.qre", "base.qre", "walls.qre", "-o", "out.qre"});
    EXPECT_EQ(result.status, 1);
    const QList<QByteArray> lines = QByteArray::fromStdString(result.err).split('\n');
    ASSERT_EQ(lines.size(), 22); // and the empty text after the last newline
    EXPECT_EQ(lines[0], "base.qre:3:2: conflict: base none, ours 0, theirs 1");
    EXPECT_EQ(lines[20], "base.qre: and " + QByteArray::number(62 * 43 - 20) + " more conflicts");
}

TEST_F(LevelDiffTools, TextConvPrintsEveryCellRowByRow) {
    LevelGrid counted; // tiles of one, two and three digits, and 255
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x)
            counted.at(x, y) = static_cast<qorv::TileIndex>(x + y == 1 ? 255 : (x + 64 * y) % 144);
    qorv::saveQRE("counted.qre", counted);
    const Outcome result = run({"--textconv", "counted.qre"});
    EXPECT_EQ(result.status, 0);
    std::string expected;
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x)
            expected += std::to_string(x) + "," + std::to_string(y) + ": " +
                        std::to_string(counted.at(x, y)) + "\n";
    EXPECT_EQ(result.out, expected);
}

TEST_F(LevelDiffTools, PicturesFrameTheChangedAndTheConflictingCells) {
    ASSERT_EQ(run({"--diff", "base.qre", "ours.qre", "--png", "diff.png"}).status, 1);
    expectFramedPicture("diff.png", ours_, {{3, 1}, {10, 4}});
    const Outcome merge = run({"--merge", "base.qre", "ours.qre", "clash.qre", "-o", "out.qre",
                               "--conflicts", "conflicts.png"});
    ASSERT_EQ(merge.status, 1) << merge.err;
    expectFramedPicture("conflicts.png", ours_, {{3, 1}});
    // The level the merge left conflicted is drawn the same way, and --render says so.
    const Outcome render = run({"--render", "out.qre", "rendered.png"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(render.err, "qorvedit: out.qre: unresolved merge conflicts: drawn as ours, its 1 "
                          "conflicting cell framed\n");
    expectFramedPicture("rendered.png", ours_, {{3, 1}});
}

// A full disk or a closed pipe behind standard output must not pass for a short diff.
TEST_F(LevelDiffTools, AFailingOutputIsTrouble) {
    const Outcome result = run({"--diff", "base.qre", "ours.qre"}, std::fopen("/dev/full", "w"));
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "qorvedit: cannot write the output: No space left on device\n");
}

} // namespace
