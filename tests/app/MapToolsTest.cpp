// The built program's map and batch tools: --render into a folder, --render by extension,
// --export and --import, as a pipeline runs them.

#include "EditorRun.h"
#include "interchange/MapLimits.h"
#include "levelio/LevelFile.h"
#include "render/Raster.h"
#include "tools/Export.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using qorv::test::bytesOf;
using qorv::test::Result;
using qorv::test::runEditor;

QImage sheetOf(int shade) {
    QImage sheet(160, 160, QImage::Format_RGB888);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
            sheet.setPixel(x, y, qRgb(x, y, shade));
    return sheet;
}

qorv::LevelGrid levelOf(int seed) {
    qorv::LevelGrid level;
    for (int i = 0; i < qorv::GridCells; ++i)
        level.cells[size_t(i)] = qorv::TileIndex((i * 7 + seed) % 144);
    return level;
}

QImage drawn(const qorv::LevelGrid& level, const QImage& sheet) {
    QImage raster = qorv::makeRaster();
    qorv::drawAllCells(level, sheet, raster);
    return raster;
}

class MapTools : public ::testing::Test {
  protected:
    void SetUp() override {
        qorv::test::ensureCoreApplication();
        ASSERT_TRUE(work_.isValid());
        ASSERT_TRUE(QDir(work_.path()).mkpath("sub"));
        ASSERT_TRUE(QDir(work_.path()).mkpath("out"));
        qorv::saveQRE(path("a.qre").toStdString(), levelOf(1));
        qorv::saveQRE(path("sub/b.qre").toStdString(), levelOf(2));
        ASSERT_TRUE(sheetOf(10).save(path("all.bmp"), "BMP"));
        ASSERT_TRUE(sheetOf(200).save(path("sub/all.bmp"), "BMP"));
    }
    QString path(const QString& name) const { return work_.filePath(name); }
    Result run(const QStringList& arguments) { return runEditor(arguments, work_.path()); }
    QTemporaryDir work_;
};

// Each level with the sheet beside it; an unreadable one is reported as --check reports it.
TEST_F(MapTools, RenderIntoAFolderDrawsEveryReadableLevel) {
    const Result result =
        run({"--render", "a.qre", "missing.qre", "sub/b.qre", "--out-dir", "out"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "qorvedit: missing.qre: File not found\n");
    EXPECT_EQ(QImage(path("out/a.png")).convertToFormat(QImage::Format_RGB888),
              drawn(levelOf(1), sheetOf(10)));
    EXPECT_EQ(QImage(path("out/b.png")).convertToFormat(QImage::Format_RGB888),
              drawn(levelOf(2), sheetOf(200)));
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files), QStringList({"a.png", "b.png"}));

    const Result fine =
        run({"--render", "a.qre", "sub/b.qre", "--out-dir", "out", "--tiles", "all.bmp"});
    EXPECT_EQ(fine.exitCode, 0) << fine.err.toStdString();
    EXPECT_EQ(QImage(path("out/b.png")).convertToFormat(QImage::Format_RGB888),
              drawn(levelOf(2), sheetOf(10)));
}

TEST_F(MapTools, RenderIntoAFolderRefusesTwoLevelsWithOneNameBeforeDrawing) {
    ASSERT_TRUE(QFile::copy(path("a.qre"), path("sub/a.qre")));
    const Result result = run({"--render", "sub/b.qre", "a.qre", "sub/a.qre", "--out-dir", "out"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("a.qre and sub/a.qre would both be drawn into out/a.png"))
        << result.err.toStdString();
    EXPECT_TRUE(QDir(path("out")).isEmpty());
    const Result two = run({"--render", "sub/a.qre", "a.qre", "--out-dir", "out"});
    EXPECT_TRUE(two.err.contains("sub/a.qre and a.qre would both be drawn into out/a.png"))
        << two.err.toStdString();
    EXPECT_TRUE(QDir(path("out")).isEmpty());
}

// A picture that cannot be written (a folder, a link to an input) is reported with its
// level; a file is no folder.
TEST_F(MapTools, RenderIntoAFolderReportsWhatItCannotWrite) {
    ASSERT_TRUE(QDir(work_.path()).mkpath("out/a.png"));
    const Result blocked = run({"--render", "a.qre", "sub/b.qre", "--out-dir", "out"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(blocked.err, "qorvedit: Cannot write out/a.png: it is not a regular file\n");
    EXPECT_TRUE(QFile::exists(path("out/b.png")));

    ASSERT_TRUE(QFile::copy(path("a.qre"), path("sub/all.qre")));
    ASSERT_TRUE(QFile::copy(path("a.qre"), path("sub/c.qre")));
    ASSERT_TRUE(QFile::link("../all.bmp", path("out/all.png")));
    ASSERT_TRUE(QFile::link("../sub/c.qre", path("out/c.png")));
    const QByteArray sheet = bytesOf(path("all.bmp")), level = bytesOf(path("sub/c.qre"));
    const Result overInputs =
        run({"--render", "sub/all.qre", "sub/c.qre", "--out-dir", "out", "--tiles", "all.bmp"});
    EXPECT_EQ(overInputs.exitCode, 1);
    EXPECT_EQ(overInputs.err, "qorvedit: Cannot write out/all.png: it is the input all.bmp\n"
                              "qorvedit: Cannot write out/c.png: it is the input sub/c.qre\n");
    EXPECT_EQ(bytesOf(path("all.bmp")), sheet);
    EXPECT_EQ(bytesOf(path("sub/c.qre")), level);

    const Result notAFolder = run({"--render", "a.qre", "--out-dir", "all.bmp"});
    EXPECT_EQ(notAFolder.exitCode, 1);
    EXPECT_TRUE(notAFolder.err.contains("Cannot write all.bmp: it is not a folder"))
        << notAFolder.err.toStdString();
}

// Every output folder (--out-dir, --review's -o, --report's DIR) is made when missing, not
// its parents, and every output that cannot be written, file or folder, is refused in one
// wording: "Cannot write NAME: WHY", a missing folder named.
TEST_F(MapTools, EveryOutputIsMadeAlikeAndRefusedInOneWording) {
    using Arguments = QStringList (*)(const QString& out);
    const struct {
        const char* writer;
        Arguments arguments;
        const char* written; // the file that shows a folder made and used; nullptr: a file
    } writers[] = {
        {"--out-dir",
         [](const QString& out) {
             return QStringList{"--render", "a.qre", "--out-dir", out};
         },
         "a.png"},
        {"-o",
         [](const QString& out) {
             return QStringList{"--review", "sub", "sub", "-o", out};
         },
         "review.md"},
        {"--report",
         [](const QString& out) {
             return QStringList{"--report", out, "a.qre"};
         },
         "index.html"},
        {"--render",
         [](const QString& out) {
             return QStringList{"--render", "a.qre", out + ".png"};
         },
         nullptr},
        {"--sheet",
         [](const QString& out) {
             return QStringList{"--sheet", out + ".png", "a.qre"};
         },
         nullptr},
        {"--merge",
         [](const QString& out) {
             return QStringList{"--merge", "a.qre", "a.qre", "a.qre", "-o", out + ".png"};
         },
         nullptr},
        {"--check",
         [](const QString&) {
             return QStringList{"--check", "--format", "github", "a.qre", "broken.qre"};
         },
         nullptr},
    };
    ASSERT_TRUE(QFile::copy(path("a.qre"), path("sub/a.qre")));
    QFile broken(path("broken.qre"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("x") == 1);
    broken.close();
    int index = 0;
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.writer);
        const QString fresh = QStringLiteral("fresh%1").arg(index++);
        const QString missing = "no" + fresh + "/deeper";
        const bool folder = writer.written != nullptr;
        const QString named = folder ? missing : missing + ".png";
        const QStringList variables = {"GITHUB_STEP_SUMMARY=" + named};
        const Result made = runEditor(writer.arguments(fresh), work_.path(), {},
                                      {"GITHUB_STEP_SUMMARY=" + fresh + ".png"});
        if (folder) {
            EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
            EXPECT_TRUE(QFile::exists(path(fresh + "/" + writer.written)));
        }
        const Result lost = runEditor(writer.arguments(missing), work_.path(), {}, variables);
        EXPECT_NE(lost.exitCode, 0);
        EXPECT_TRUE(lost.err.contains("qorvedit: Cannot write " + named + ": the folder no" +
                                      fresh + " does not exist\n"))
            << lost.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("no" + fresh)));
        if (!folder) continue;
        // Arguments refused before anything is drawn make no folder.
        const QString unmade = "unmade" + fresh;
        QStringList refused = writer.arguments(unmade);
        refused.replaceInStrings(QRegularExpression("^sub$"), "gone");
        if (refused.first() == u"--render") refused << "sub/a.qre"; // a second a.png
        if (refused.first() == u"--report")
            refused << "--rules"
                    << "none.toml";
        EXPECT_NE(run(refused).exitCode, 0) << refused.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(path(unmade))) << refused.join(' ').toStdString();
        const Result notAFolder = run(writer.arguments("a.qre"));
        EXPECT_NE(notAFolder.exitCode, 0);
        EXPECT_TRUE(notAFolder.err.contains("qorvedit: Cannot write a.qre: it is not a folder\n"))
            << notAFolder.err.toStdString();
    }
}

// A map is read whole up to its size limit, and refused unread beyond it.
TEST_F(MapTools, ImportReadsMapsUpToTheSizeLimit) {
    using qorv::interchange::MaxMapBytes;
    for (const qsizetype size : {MaxMapBytes, MaxMapBytes + 1}) {
        QFile map(path("big.tmx"));
        ASSERT_TRUE(map.open(QIODevice::WriteOnly) && map.resize(size)); // sparse
        map.close();
        const Result result = run({"--import", "big.tmx", "out.qre"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err.contains("big.tmx: the file is larger than 1048576 bytes"),
                  size > MaxMapBytes)
            << size << ": " << result.err.toStdString();
    }
}

TEST_F(MapTools, RenderWritesTheFormatItsExtensionNames) {
    const struct {
        const char* out;
        QByteArray magic;
    } rows[] = {{"a.jpg", "\xff\xd8\xff"},
                {"a.JPEG", "\xff\xd8\xff"},
                {"a.bmp", "BM"},
                {"a.png", "\x89PNG"},
                {"a", "\x89PNG"}};
    for (const auto& row : rows) {
        const Result result = run({"--render", "a.qre", row.out});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(bytesOf(path(row.out)).startsWith(row.magic)) << row.out;
    }
    const Result refused = run({"--render", "a.qre", "a.xyz"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Cannot write a.xyz: no image format is named \".xyz\""))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("a.xyz")));
}

// Our export imports as the very bytes of the level, through either format.
TEST_F(MapTools, ExportThenImportGivesTheLevelBack) {
    for (const char* map : {"sub/a.tmx", "a.tmj"}) {
        const Result exported = run({"--export", "a.qre", map});
        ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        const Result imported = run({"--import", map, "back.qre"});
        ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
        EXPECT_EQ(imported.err, "");
        EXPECT_EQ(bytesOf(path("back.qre")), bytesOf(path("a.qre"))) << map;
        QFile::remove(path("back.qre"));
    }
    // The sheet is named relative to the map's folder.
    EXPECT_TRUE(bytesOf(path("sub/a.tmx")).contains("<image source=\"../all.bmp\""));
}

TEST_F(MapTools, ImportRefusalsWriteNothing) {
    ASSERT_EQ(run({"--export", "a.qre", "a.tmx"}).exitCode, 0);
    const auto writeFile = [&](const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    writeFile("iso.tmx", bytesOf(path("a.tmx")).replace("orthogonal", "isometric"));
    // A tileset file is looked for beside the map, not in the working directory.
    writeFile("sub/ext.tmx",
              bytesOf(path("a.tmx")).replace("<tileset ", "<tileset source=\"t.tsx\" "));
    writeFile("sub/t.tsx", R"(<tileset name="t" tilewidth="32" tileheight="32"/>)");
    ASSERT_TRUE(QFile::copy(path("all.bmp"), path("esc\033.bmp")));
    ASSERT_EQ(::mkfifo(path("fifo.qre").toLocal8Bit().constData(), 0600), 0);
    const struct {
        QStringList arguments;
        const char* message;
    } rows[] = {
        {{"--import", "iso.tmx", "out.qre"},
         "Cannot import iso.tmx: the map is \"isometric\", not orthogonal"},
        {{"--import", "a.qre", "out.qre"},
         "Cannot import a.qre: the extension names no map format"},
        {{"--import", "bad\nname.tmx", "out.qre"},
         R"(Cannot import 'bad'$'\n''name.tmx': File not found)"},
        {{"--import", "a.tmx", "a.tmx"}, "Cannot write a.tmx: it is the input a.tmx"},
        {{"--import", "a.tmx", "fifo.qre"}, "Cannot write fifo.qre: it is not a regular file"},
        {{"--import", "a.tmx", "no-dir/out.qre"},
         "Cannot write no-dir/out.qre: the folder no-dir does not exist"},
        {{"--export", "a.qre", "out.qre"},
         "Cannot export to out.qre: the extension names no map format"},
        {{"--import", "sub/ext.tmx", "out.qre"},
         "Cannot import sub/ext.tmx: the tileset's tiles are 32 x 32 pixels, not 10 x 10"},
        {{"--export", "a.qre", "e.tmx", "--tiles", "esc\033.bmp"},
         "Cannot export to e.tmx: the tile sheet's name holds a character a TMX map cannot hold"},
    };
    const QByteArray map = bytesOf(path("a.tmx"));
    for (const auto& row : rows) {
        const Result result = run(row.arguments);
        EXPECT_EQ(result.exitCode, 1) << row.message;
        EXPECT_TRUE(result.err.contains(row.message)) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.qre")));
    }
    EXPECT_EQ(bytesOf(path("a.tmx")), map);
    EXPECT_FALSE(QFile::exists(path("e.tmx")));
    struct stat st {};
    EXPECT_EQ(::stat(path("fifo.qre").toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
