// The built program's headless tools, run as a build pipeline runs them: no display, no
// QT_QPA_PLATFORM, no X server or Wayland compositor to find.

#include "EditorRun.h"
#include "OtherAccount.h"
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

const char* const LfForCrLf = "line endings were converted (LF instead of CR LF), as git's text "
                              "conversion does: see README, Levels in git";

// The crafted files of the level corpus, with what the reader says about each.
struct CorpusRow {
    const char* file;
    const char* message;         // nullptr: reads
    const char* place = "";      // ":LINE:COL" where the text stops being a level
    const char* shown = nullptr; // the name in the report; nullptr: as it is
};
const CorpusRow Corpus[] = {
    {"cr-only.qre", nullptr},
    {"crcrlf.qre",
     "line endings were converted (CR CR LF instead of CR LF), as a second text "
     "conversion does: see README, Levels in git",
     ":1:65"},
    {"crlf-mixed.qre", nullptr},
    {"empty.qre", "Read beyond end of file", ":1:1"},
    {"eof-byte-at-end.qre", nullptr},
    {"eof-byte-inside.qre", "Read beyond end of file", ":11:21"},
    {"fifty-lines.qre", nullptr},
    {"forty-four-lines.qre", "Read beyond end of file", ":45:1"},
    {"high-bytes.qre", nullptr},
    {"lf-only.qre", LfForCrLf, ":1:65"},
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

// Every writer of the tools against what another account (nobody) can plant where it writes,
// or what is no file: her link to our file, her link in place of a folder, her folder, her
// file (0666) in a folder others may write, a FIFO, a device. Each is refused by name, with
// our file, her entries and the FIFO as they were. Run as root, then as an unprivileged
// account of ours (daemon), for whom the permission checks do not all pass.
struct Writer {
    const char* name;
    const char* written; // the file a folder writer writes there; nullptr: a file writer
    QStringList (*arguments)(const QString& in, const QString& out);
    QStringList variables(const QString& out) const {
        return QString(name) == u"step summary" ? QStringList{"GITHUB_STEP_SUMMARY=" + out}
                                                : QStringList{};
    }
};
const Writer Writers[] = {
    {"picture", nullptr,
     [](const QString& in, const QString& out) {
         return QStringList{"--render", in + "/a.qre", out};
     }},
    {"sheet", nullptr,
     [](const QString& in, const QString& out) {
         return QStringList{"--sheet", out, in + "/a.qre"};
     }},
    {"level", nullptr,
     [](const QString& in, const QString& out) {
         return QStringList{"--merge", in + "/a.qre", in + "/a.qre", in + "/a.qre", "-o", out};
     }},
    {"step summary", nullptr,
     [](const QString& in, const QString&) {
         return QStringList{"--check", in + "/broken.qre", "--format", "github"};
     }},
    {"pictures", "a.png",
     [](const QString& in, const QString& out) {
         return QStringList{"--render", in + "/a.qre", "--out-dir", out};
     }},
    {"review", "review.md",
     [](const QString& in, const QString& out) {
         return QStringList{"--review", in + "/old", in + "/new", "-o", out};
     }},
    {"report", "index.html",
     [](const QString& in, const QString& out) {
         return QStringList{"--report", out, in + "/a.qre"};
     }},
};

// Where the output goes for each case, and the refusal: "Cannot write <named>: <why>".
struct Planted {
    const char* what;
    const char* fileOutput;   // for a file writer
    const char* folderOutput; // for a folder writer, which writes its file there
    const char* named;        // "": the output itself; else the folder writer's file in it
    const char* why;          // for a file writer
    const char* folderWhy;    // for a folder writer
};
const Planted Plants[] = {
    {"her link to our file", "open/x.png", "open", "/", "File access denied", "File access denied"},
    {"her link in place of a folder", "att/out/x.png", "att/out", "", "File access denied",
     "File access denied"},
    {"her folder", "att/rev/x.png", "att/rev", "", "File access denied",
     "it is another account's folder"},
    {"her file in a folder others may write", "open/her.png", "her", "/", "File access denied",
     "File access denied"},
    {"a FIFO", "fifo.png", "fifo", "/", "it is not a regular file", "it is not a regular file"},
    {"a device", "null.png", "null", "/", "it is not a regular file", "it is not a regular file"},
};

TEST_F(HeadlessTools, EveryWriterRefusesWhatAnotherAccountPlantedOrWhatIsNoFile) {
    QORV_NEEDS_OTHER_ACCOUNT();
    const QByteArray level = bytesOf(QStringLiteral(QORV_EXAMPLES_DIR "/maze.qre"));
    const auto sh = [](const QString& line) {
        return ::system(qPrintable("sh -ec '" + line + "'")) == 0;
    };
    ASSERT_EQ(::chmod(work_.path().toLocal8Bit(), 0711), 0);
    int index = 0;
    for (const uid_t us : {uid_t(0), qorv::test::unprivilegedAccountId()})
        for (const Writer& writer : Writers)
            for (const Planted& plant : Plants) {
                const bool intoFolder = writer.written != nullptr;
                const QString out = intoFolder ? plant.folderOutput : plant.fileOutput;
                SCOPED_TRACE(std::string(writer.name) + " into " + plant.what +
                             (us ? ", unprivileged" : ", as root"));
                // k/: ours; k/home: our private folder with our .bashrc; k/att: hers.
                const QString k = path(QString::number(index++));
                const QString in = k + "/in", home = k + "/home", att = k + "/att";
                for (const QString& folder : {in, in + "/old", in + "/new", home, k + "/open"})
                    ASSERT_TRUE(QDir().mkpath(folder));
                for (const QString& file : {in + "/a.qre", in + "/old/a.qre", in + "/new/a.qre"})
                    QFile::copy(QStringLiteral(QORV_EXAMPLES_DIR "/maze.qre"), file);
                QFile::copy(QStringLiteral(QORV_EXAMPLES_DIR "/all.bmp"), in + "/all.bmp");
                QFile::copy(QStringLiteral(QORV_EXAMPLES_DIR "/all.bmp"), in + "/old/all.bmp");
                QFile::copy(QStringLiteral(QORV_EXAMPLES_DIR "/all.bmp"), in + "/new/all.bmp");
                QFile broken(in + "/broken.qre");
                ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("x") == 1);
                broken.close();
                QFile bashrc(home + "/.bashrc");
                ASSERT_TRUE(bashrc.open(QIODevice::WriteOnly) && bashrc.write("precious") == 8);
                bashrc.close();
                ASSERT_TRUE(QDir().mkpath(k + "/her") && QDir().mkpath(k + "/fifo") &&
                            QDir().mkpath(k + "/null"));
                const QString file = intoFolder ? out + "/" + writer.written : out;
                if (QString(plant.what) == u"a FIFO")
                    ASSERT_EQ(::mkfifo((k + "/" + file).toLocal8Bit(), 0600), 0);
                if (QString(plant.what) == u"a device")
                    ASSERT_EQ(
                        ::mknod((k + "/" + file).toLocal8Bit(), S_IFCHR | 0600, makedev(1, 3)), 0);
                const QString owner = QString::number(us);
                ASSERT_TRUE(sh("chown -hR " + owner + " " + k + " && chmod 0700 " + home +
                               " && chmod 0777 " + k + "/open " + k + "/her && mkdir " + att +
                               " && chown nobody " + att + " && chmod 0777 " + att));
                // Hers, made by her: her folder open to all with her link in place of a
                // folder, her folder of her own with her link in it, her links and her file.
                ASSERT_EQ(
                    qorv::test::asOtherAccount(
                        "ln -s \"$2\" \"$1/out\"; mkdir \"$1/rev\"; "
                        "ln -s \"$2/.bashrc\" \"$1/rev/$3\"; ln -s \"$2/.bashrc\" \"$4\"; "
                        "printf hers >\"$5\"; chmod 0666 \"$5\"",
                        {att.toStdString(), home.toStdString(),
                         QString(intoFolder ? writer.written : "x.png").toStdString(),
                         (k + "/" +
                          (intoFolder ? "open/" + QString(writer.written) : QString("open/x.png")))
                             .toStdString(),
                         (k + "/" +
                          (intoFolder ? "her/" + QString(writer.written) : QString("open/her.png")))
                             .toStdString()}),
                    0);
                const QStringList before =
                    QDir(att).entryList(QDir::AllEntries | QDir::System | QDir::Hidden) +
                    QDir(att + "/rev").entryList(QDir::AllEntries | QDir::System);

                const QStringList wrapper =
                    us ? QStringList{"/usr/bin/setpriv", "--reuid=" + owner, "--regid=" + owner,
                                     "--clear-groups", "--"}
                       : QStringList{};
                const Result result = runEditor(writer.arguments(in, out), k, QString(),
                                                writer.variables(out), wrapper);
                const QString named = plant.named == QString("/") && intoFolder ? file : out;
                EXPECT_NE(result.exitCode, 0);
                EXPECT_TRUE(result.err.contains("qorvedit: Cannot write " + named + ": " +
                                                (intoFolder ? plant.folderWhy : plant.why) + "\n"))
                    << result.err.toStdString();
                EXPECT_EQ(bytesOf(home + "/.bashrc"), "precious");
                EXPECT_EQ(QDir(home).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                               QDir::NoDotAndDotDot),
                          QStringList{".bashrc"});
                EXPECT_EQ(QDir(att).entryList(QDir::AllEntries | QDir::System | QDir::Hidden) +
                              QDir(att + "/rev").entryList(QDir::AllEntries | QDir::System),
                          before);
                EXPECT_EQ(bytesOf(k + "/" +
                                  (intoFolder ? "her/" + QString(writer.written)
                                              : QString("open/her.png"))),
                          "hers");
                struct stat st {};
                if (QString(plant.what) == u"a FIFO" || QString(plant.what) == u"a device") {
                    ASSERT_EQ(::lstat((k + "/" + file).toLocal8Bit(), &st), 0);
                    EXPECT_TRUE(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode));
                }
            }
}

} // namespace
