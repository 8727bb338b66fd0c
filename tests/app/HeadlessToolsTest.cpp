// The built program's headless tools, run as a build pipeline runs them: no display, no
// QT_QPA_PLATFORM, no X server or Wayland compositor to find.

#include "EditorRun.h"
#include "cli/CommandModes.h"
#include "errors/IoError.h"
#include "levelio/LevelFile.h"
#include "render/Raster.h"
#include "render/TileSheet.h"
#include "storage/SafeReplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using qorv::test::bytesOf;
using qorv::test::Result;
using qorv::test::runEditor;

// The crafted files of the level corpus, with what the reader says about each.
struct CorpusRow {
    const char* file;
    const char* message;         // nullptr: reads
    const char* place = "";      // ":LINE:COL" where the text stops being a level
    const char* shown = nullptr; // the name in the report; nullptr: as it is
};
const CorpusRow Corpus[] = {
    {"cr-only.qre", nullptr},
    {"crlf-mixed.qre", nullptr},
    {"empty.qre", "Read beyond end of file", ":1:1"},
    {"eof-byte-at-end.qre", nullptr},
    {"eof-byte-inside.qre", "Read beyond end of file", ":11:21"},
    {"fifty-lines.qre", nullptr},
    {"forty-four-lines.qre", "Read beyond end of file", ":45:1"},
    {"high-bytes.qre", nullptr},
    {"lf-only.qre", "Read beyond end of file", ":1:2926"},
    {"long-lines.qre", nullptr},
    {"new-level.qre", nullptr},
    {"no-final-line-end.qre", nullptr},
    {"one-cr.qre", "Read beyond end of file", ":1:1"},
    {"sample.qre", nullptr},
    {"short-lines.qre", "Read beyond end of file", ":1:41"},
    {"zeros.qre", nullptr},
    {"no-such-level.qre", "File not found"},
    {"no-such-folder/level.qre", "Invalid filename"},
    // A name cannot forge a line of the report.
    {"no-such: File not found\nsample.qre", "File not found", "",
     R"('no-such: File not found'$'\n''sample.qre')"},
};

class HeadlessTools : public ::testing::Test {
  protected:
    void SetUp() override {
        qorv::test::ensureCoreApplication();
        ASSERT_TRUE(work_.isValid());
    }
    QString path(const QString& name) const { return work_.filePath(name); }
    QTemporaryDir work_;
};

TEST_F(HeadlessTools, CheckReportsEveryFailingFileWithTheReadersMessageAndPlace) {
    const QString corpus = QStringLiteral(QORV_LEVEL_CORPUS);
    QStringList files;
    QString expected;
    for (const CorpusRow& row : Corpus) {
        files << row.file;
        if (row.message)
            expected += QStringLiteral("%1%2: %3\n")
                            .arg(row.shown ? row.shown : row.file, row.place, row.message);
    }
    const QByteArray before = bytesOf(corpus + "/sample.qre");
    const Result all = runEditor(QStringList{"--check"} + files, corpus);
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.out, expected);
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(bytesOf(corpus + "/sample.qre"), before) << "checking never writes";

    QStringList good;
    for (const CorpusRow& row : Corpus)
        if (!row.message) good << row.file;
    const Result fine = runEditor(QStringList{"--check"} + good, corpus);
    EXPECT_EQ(fine.exitCode, 0);
    EXPECT_EQ(fine.out, "");
}

TEST_F(HeadlessTools, RenderWritesTheEditorsRasterAsAPng) {
    qorv::LevelGrid level;
    for (int x = 0; x < qorv::GridWidth; ++x)
        for (int y = 0; y < qorv::GridHeight; ++y)
            level.at(x, y) = static_cast<qorv::TileIndex>((x * 5 + y * 11) % 144);
    ASSERT_TRUE(QDir(work_.path()).mkdir("levels"));
    qorv::saveQRE(path("levels/cave.qre").toStdString(), level);
    QImage sheet(160, 160, QImage::Format_RGB888);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
            sheet.setPixel(x, y, qRgb(x, y, 200 - x / 2));
    ASSERT_TRUE(sheet.save(path("levels/all.bmp"), "BMP"));
    ASSERT_TRUE(sheet.mirrored(true, false).save(path("other.bmp"), "BMP"));

    // By default the sheet beside the level, whatever the working directory.
    const Result byDefault = runEditor({"--render", "levels/cave.qre", "cave.png"}, work_.path());
    ASSERT_EQ(byDefault.exitCode, 0) << byDefault.err.toStdString();
    QImage png(path("cave.png"));
    EXPECT_EQ(png.size(), QSize(qorv::RasterWidth, qorv::RasterHeight));
    QImage expected = qorv::makeRaster();
    qorv::drawAllCells(level, sheet, expected);
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB888), expected);

    const Result named =
        runEditor({"--render", "levels/cave.qre", "b.png", "--tiles", "other.bmp"}, work_.path());
    ASSERT_EQ(named.exitCode, 0) << named.err.toStdString();
    qorv::drawAllCells(level, sheet.mirrored(true, false), expected);
    EXPECT_EQ(QImage(path("b.png")).convertToFormat(QImage::Format_RGB888), expected);
}

QRgb colourNumber(int n) {
    return qRgb(n % 256, n / 256, 99);
}

int coloursShown(const QImage& raster) {
    QSet<QRgb> colours;
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x)
            colours.insert(raster.pixel(x, y));
    return int(colours.size());
}

// The picture of a level that shows every tile there is: an 8-bit palette while its colours
// fit, 24 bits beyond; the same pixels either way.
TEST_F(HeadlessTools, RenderWritesAPaletteOnlyWhenEveryColourFits) {
    qorv::LevelGrid level;
    for (int x = 0; x < qorv::GridWidth; ++x)
        for (int y = 0; y < qorv::GridHeight; ++y)
            level.at(x, y) = static_cast<qorv::TileIndex>((x + y * qorv::GridWidth) % 144);
    qorv::saveQRE(path("cave.qre").toStdString(), level);
    const struct {
        int colours;
        QImage::Format written;
    } rows[] = {
        {3, QImage::Format_Indexed8}, {256, QImage::Format_Indexed8}, {257, QImage::Format_RGB32}};
    for (const auto& row : rows) {
        QImage sheet(160, 160, QImage::Format_RGB888);
        for (int tile = 0; tile < 144; ++tile)
            for (int pixel = 0; pixel < 100; ++pixel)
                sheet.setPixel(qorv::tileLeft(tile) + pixel % 10, qorv::tileTop(tile) + pixel / 10,
                               colourNumber((tile * 100 + pixel) % row.colours));
        ASSERT_TRUE(sheet.save(path("tiles.bmp"), "BMP"));
        QImage expected = qorv::makeRaster();
        qorv::drawAllCells(level, sheet, expected);
        ASSERT_EQ(coloursShown(expected), row.colours);

        const QString out = QStringLiteral("out%1").arg(row.colours);
        ASSERT_TRUE(QDir(work_.path()).mkdir(out));
        const Result drawn = runEditor(
            {"--render", "cave.qre", "--tiles", "tiles.bmp", "--out-dir", out}, work_.path());
        ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
        const QImage png(path(out + "/cave.png"));
        EXPECT_EQ(png.format(), row.written) << row.colours << " colours";
        EXPECT_EQ(png.convertToFormat(QImage::Format_RGB888), expected) << row.colours;
    }
}

TEST_F(HeadlessTools, RenderFailuresSayWhatFailedAndWriteNothing) {
    qorv::LevelGrid level{};
    qorv::saveQRE(path("ok.qre").toStdString(), level);
    const struct {
        QStringList arguments;
        const char* message;
        int status; // 2: wrong arguments, whatever the mode
    } rows[] = {
        {{"--render", "missing.qre", "out.png"}, "missing.qre: File not found", 1},
        {{"--render", "ok.qre", "out.png"},
         "qorvedit: no tile sheet: no all.bmp in the working directory or in ",
         1},
        {{"--render", "ok.qre", "out.png", "--tiles", "ok.qre"},
         "qorvedit: ok.qre: Bitmap image is not valid",
         1},
        {{"--render"}, "qorvedit: --render takes LEVEL OUT.png, or LEVEL... --out-dir DIR.", 2},
        {{"--render", "x\ny.qre", "out.png"}, R"(qorvedit: 'x'$'\n''y.qre': File not found)", 1},
        {{"--render", "ok.qre", "out.png", "--tiles", "\033.bmp"},
         R"(qorvedit: ''$'\033''.bmp': File not found)",
         1},
    };
    for (const auto& row : rows) {
        const Result result = runEditor(row.arguments, work_.path());
        EXPECT_EQ(result.exitCode, row.status) << row.message;
        EXPECT_TRUE(result.err.contains(row.message)) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.png")));
    }
}

// Inputs a user pipes in: "-" is standard input, and a pipe named as /dev/fd/N (bash's
// <(...)) or a FIFO is read as a file is, with no time limit; a device stays refused.
TEST_F(HeadlessTools, InputsMayBePipes) {
    qorv::saveQRE(path("a.qre").toStdString(), qorv::LevelGrid{});
    QFile shortLevel(path("short.qre"));
    ASSERT_TRUE(shortLevel.open(QIODevice::WriteOnly) && shortLevel.write("11\r\n") == 4);
    shortLevel.close();
    const struct {
        const char* command;
        int status;
        const char* out;
    } rows[] = {
        {"cat a.qre | qorvedit --check -", 0, ""},
        {"qorvedit --check - <short.qre", 1, "-:1:3: Read beyond end of file\n"},
        {"qorvedit --check - </dev/null", 1, "-: File access denied\n"},
        {"qorvedit --diff <(cat a.qre) a.qre", 0, ""},
        {"mkfifo f && { { sleep 0.2; cat a.qre >f; } & qorvedit --check f; }", 0, ""},
    };
    for (const auto& row : rows) {
        QProcess shell;
        shell.setWorkingDirectory(work_.path());
        shell.start("bash", {"-c", QStringLiteral("qorvedit() { '%1' \"$@\"; }; rm -f f; %2")
                                       .arg(QStringLiteral(QORV_EDITOR_PATH),
                                            QString::fromUtf8(row.command))});
        ASSERT_TRUE(shell.waitForFinished(60000)) << row.command;
        EXPECT_EQ(shell.exitCode(), row.status) << row.command;
        EXPECT_EQ(shell.readAllStandardOutput(), row.out) << row.command;
    }
}

// An OUT that is one of the inputs, by any name, is refused and left as it was.
TEST_F(HeadlessTools, RenderNeverWritesOverItsInputs) {
    qorv::saveQRE(path("ok.qre").toStdString(), qorv::LevelGrid{});
    ASSERT_TRUE(QImage(160, 160, QImage::Format_RGB888).save(path("all.bmp"), "BMP"));
    ASSERT_TRUE(QFile::link(path("ok.qre"), path("link.qre")));
    const QByteArray level = bytesOf(path("ok.qre")), sheet = bytesOf(path("all.bmp"));
    for (const char* out : {"ok.qre", "link.qre", "./all.bmp"}) {
        const Result result = runEditor({"--render", "ok.qre", out}, work_.path());
        EXPECT_EQ(result.exitCode, 1) << out;
        EXPECT_TRUE(result.err.contains("it is the input")) << result.err.toStdString();
        EXPECT_EQ(bytesOf(path("ok.qre")), level) << out;
        EXPECT_EQ(bytesOf(path("all.bmp")), sheet) << out;
    }
}

TEST_F(HeadlessTools, HelpAndVersionNeedNoDisplay) {
    const Result help = runEditor({"--help"}, work_.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: qorvedit")) << help.out.toStdString();
    const Result version = runEditor({"--version"}, work_.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(R"(QorvEdit 1\.0( \(commit [0-9a-z.-]+\))?\n)")
                    .match(version.out)
                    .hasMatch())
        << version.out.toStdString();
}

// A write that fails part way (here the file size limit) keeps the earlier picture whole and
// leaves no other file behind.
TEST_F(HeadlessTools, RenderThatFailsToWriteKeepsTheEarlierPicture) {
    qorv::saveQRE(path("ok.qre").toStdString(), qorv::LevelGrid{});
    QImage sheet(160, 160, QImage::Format_RGB888);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
            sheet.setPixel(x, y, qRgb(x * 7, y * 13, x * y));
    ASSERT_TRUE(sheet.save(path("all.bmp"), "BMP"));
    QFile earlier(path("out.png"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier picture") == 15);
    earlier.close();
    const QStringList files = QDir(work_.path()).entryList(QDir::Files | QDir::Hidden);

    QProcess editor;
    editor.setWorkingDirectory(work_.path());
    editor.setChildProcessModifier([] {
        const rlimit small{512, 512};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    editor.start(QStringLiteral(QORV_EDITOR_PATH), {"--render", "ok.qre", "out.png"});
    ASSERT_TRUE(editor.waitForFinished(60000));
    EXPECT_EQ(editor.exitCode(), 1);
    EXPECT_TRUE(editor.readAllStandardError().startsWith("qorvedit: Cannot write out.png: "));
    EXPECT_EQ(bytesOf(path("out.png")), "earlier picture");
    EXPECT_EQ(QDir(work_.path()).entryList(QDir::Files | QDir::Hidden), files);
}

// Output that never arrives is a failure, said on standard error.
TEST_F(HeadlessTools, OutputThatCannotBeWrittenFails) {
    for (const QStringList& arguments :
         {QStringList{"--help"}, QStringList{"--version"}, QStringList{"--check", "none.qre"}}) {
        const Result result = runEditor(arguments, work_.path(), "/dev/full");
        EXPECT_EQ(result.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_EQ(result.err, "qorvedit: cannot write the output: No space left on device\n");
    }
}

// A FIFO, a socket or a device given as OUT stays what it is and receives nothing; the
// safe replacement itself refuses them too, through a link as well.
TEST_F(HeadlessTools, RenderWritesOnlyIntoRegularFiles) {
    qorv::saveQRE(path("ok.qre").toStdString(), qorv::LevelGrid{});
    ASSERT_TRUE(QImage(160, 160, QImage::Format_RGB888).save(path("all.bmp"), "BMP"));
    ASSERT_EQ(::mkfifo(path("fifo").toLocal8Bit(), 0600), 0);
    ASSERT_EQ(::mknod(path("socket").toLocal8Bit(), S_IFSOCK | 0600, 0), 0);
    ASSERT_TRUE(QDir(work_.path()).mkdir("folder"));
    ASSERT_TRUE(QFile::link(path("fifo"), path("to-fifo")));
    QStringList outputs = {"fifo", "socket", "folder", "to-fifo"};
    // A null device of our own (as root): /dev/null itself must not be at stake here.
    if (::mknod(path("null").toLocal8Bit(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        ASSERT_TRUE(QFile::link(path("null"), path("to-null")));
        outputs << "null"
                << "to-null";
    }
    // Opened before the editor runs and without waiting, so that a faulty editor writing
    // into the FIFO cannot block, and what it wrote can be seen.
    const int reader = ::open(path("fifo").toLocal8Bit(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    for (const QString& out : outputs) {
        struct stat before {
        }, after{};
        ASSERT_EQ(::lstat(path(out).toLocal8Bit(), &before), 0);
        const Result result = runEditor({"--render", "ok.qre", out}, work_.path());
        EXPECT_EQ(result.exitCode, 1) << out.toStdString();
        EXPECT_EQ(result.err, "qorvedit: Cannot write " + out + ": it is not a regular file\n");
        EXPECT_THROW(qorv::replaceFileContent(path(out).toStdString(), "x"), qorv::IoError);
        ASSERT_EQ(::lstat(path(out).toLocal8Bit(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << out.toStdString();
        EXPECT_EQ(after.st_ino, before.st_ino) << out.toStdString();
    }
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "the FIFO received nothing";
    ::close(reader);
}

// Without any display the editor says so in one line and how to work without one,
// instead of Qt's abort.
TEST_F(HeadlessTools, WithoutADisplayTheEditorSaysSoAndEnds) {
    const Result result = runEditor({"level.qre"}, work_.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.startsWith("qorvedit: no display found")) << result.err.toStdString();
    for (const app::CommandMode& mode : app::commandModes())
        EXPECT_EQ(result.err.contains("--" + QString::fromLatin1(mode.option)), !mode.overrides)
            << mode.option;
}

} // namespace
