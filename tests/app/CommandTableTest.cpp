// The modes as the dispatch runs them from the table: each row's handler and exit statuses,
// usage errors, the same words for one failure in every mode, the one tile sheet search of
// every drawing mode, and "-" as standard output.

#include "EditorRun.h"
#include "InProcess.h"
#include "OtherAccount.h"
#include "levelio/LevelFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using qorv::test::Outcome;
using qorv::test::runInProcess;

class CommandTable : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
        qorv::ClearFull(level_);
        qorv::saveQRE("base.qre", level_);
        // What git's line merge leaves when it cannot merge row 1.
        const QByteArray text = QByteArray::fromStdString(qorv::formatLevel(level_));
        write("conflicted.qre", text.left(66) + "<<<<<<< HEAD\r\n" + text.mid(66, 66) +
                                    "=======\r\n" + text.mid(66, 66) + ">>>>>>> other\r\n" +
                                    text.mid(132));
        QImage sheet(160, 160, QImage::Format_RGB888);
        sheet.fill(Qt::darkGreen);
        ASSERT_TRUE(sheet.save("all.bmp", "BMP"));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    static void write(const char* name, const QByteArray& bytes) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    QTemporaryDir work_;
    QString previous_;
    qorv::LevelGrid level_;
};

// Every row runs its own handler: given files that do not exist, each mode fails with its own
// status, and says so in the reader's words; --git-setup, which takes no files, fails outside
// a git clone (the test's folder is none). The statuses are written here, not read from the
// table under test; every mode of the table must have its row.
TEST_F(CommandTable, EachModeRunsItsHandlerAndFailsWithItsStatus) {
    const struct {
        QStringList arguments;
        int status;
    } rows[] = {
        {{"--check", "missing0.tmx"}, 1},
        {{"--render", "missing0.tmx", "out.tmx"}, 1},
        {{"--sheet", "value", "missing0.tmx"}, 1},
        {{"--report", "value", "missing0.tmx"}, 1},
        {{"--export", "missing0.tmx", "out.tmx"}, 1},
        {{"--import", "missing0.tmx", "out.tmx"}, 1},
        {{"--diff", "missing0.tmx", "missing1.tmx"}, 2},
        {{"--textconv", "missing0.tmx"}, 0},
        {{"--merge", "missing0.tmx", "missing1.tmx", "missing2.tmx", "-o", "out.tmx"}, 2},
        {{"--stats", "missing0.tmx"}, 1},
        {{"--find-tile", "1", "missing0.tmx"}, 2},
        {{"--remap", "1=2", "missing0.tmx"}, 1},
        {{"--resolve", "theirs", "missing0.tmx"}, 1},
        {{"--review", "missing0.tmx", "missing1.tmx", "-o", "out.tmx"}, 2},
        {{"--git-setup"}, 1},
        {{"--help"}, 0},
        {{"--version"}, 0},
    };
    QStringList covered;
    for (const auto& row : rows) {
        const Outcome result = runInProcess(row.arguments);
        const std::string trace = row.arguments.join(' ').toStdString();
        covered << row.arguments.first();
        EXPECT_EQ(result.status, row.status) << trace << ": " << result.err;
        if (row.arguments.first() == "--git-setup") {
            EXPECT_NE(result.err.find("not in a git clone"), std::string::npos) << trace;
        } else if (row.arguments.size() > 1) {
            EXPECT_NE((result.out + result.err).find("missing0.tmx: File not found"),
                      std::string::npos)
                << trace << ": " << result.out << result.err;
        }
        EXPECT_FALSE(QFile::exists("out.tmx")) << trace;
    }
    for (const app::CommandMode& mode : app::commandModes())
        EXPECT_TRUE(covered.contains("--" + QString::fromLatin1(mode.option))) << mode.option;
}

// Wrong values are refused by the parser from the table, before any file is read, each naming
// the value as messages quote names; unknown options are told with the nearest known one.
TEST_F(CommandTable, UsageErrorsNameTheBadValueAndPointToTheHelp) {
    const struct {
        QStringList arguments;
        std::string message;
    } rows[] = {
        {{"--sheet", "o.png", "base.qre", "--scale", "0"},
         "--scale 0: not a whole number from 1 to 450."},
        {{"--sheet", "o.png", "base.qre", "--scale", "451"},
         "--scale 451: not a whole number from 1 to 450."},
        {{"--sheet", "o.png", "base.qre", "--columns", "2x"},
         "--columns 2x: not a whole number from 1 to 100000."},
        {{"--sheet", "o.png", "base.qre", "--columns", "0"},
         "--columns 0: not a whole number from 1 to 100000."},
        {{"--find-tile", "256", "base.qre"},
         "--find-tile 256: not tiles 0 to 255 separated by commas."},
        {{"--find-tile", "1,300", "base.qre"},
         "--find-tile 1,300: not tiles 0 to 255 separated by commas."},
        {{"--find-tile", "\033", "base.qre"},
         R"(--find-tile ''$'\033': not tiles 0 to 255 separated by commas.)"},
        {{"--remap", "1=2,1=3", "base.qre"}, "--remap 1=2,1=3: 1=3: tile 1 is replaced twice."},
        {{"--remap", "1=2", "-"},
         "--remap writes each level back: standard input (-) cannot be one."},
        {{"--resolve", "ours", "-"},
         "--resolve writes each level back: standard input (-) cannot be one."},
        {{"--check", "base.qre", "--format", "xml"},
         "--format xml: not text, github, gitlab or json."},
        {{"--chek", "base.qre"}, "unknown option --chek; did you mean --check?"},
        {{"--render", "base.qre", "o.png", "--tile", "s.bmp"},
         "unknown option --tile; did you mean --tiles?"},
        {{"--rendr=x"}, "unknown option --rendr=x; did you mean --render?"},
        {{"-platform", "xcb"}, "unknown option -platform."},
        {{"-version"}, "unknown option -version; did you mean --version?"},
        {{"--check", "base.qre", "--bogus"}, "unknown option --bogus."},
    };
    for (const auto& row : rows) {
        const Outcome result = runInProcess(row.arguments);
        const std::string trace = row.arguments.join(' ').toStdString();
        EXPECT_EQ(result.status, 2) << trace;
        EXPECT_EQ(result.err, "qorvedit: " + row.message + "\nTry qorvedit --help.\n") << trace;
        EXPECT_EQ(result.out, "") << trace;
        EXPECT_FALSE(QFile::exists("o.png")) << trace;
    }
}

// A shared folder (sticky, everyone may write it, as /tmp): another account's "all.bmp" there is
// passed over by every mode that draws, as a rules file there is, and the working directory's
// sheet draws instead. Hers is no bitmap: used, it would fail the mode.
TEST_F(CommandTable, EveryDrawingModePassesOverASheetAnotherAccountPlanted) {
    QORV_NEEDS_OTHER_ACCOUNT();
    qorv::test::ensureCoreApplication();
    QTemporaryDir shared(QDir::tempPath() + "/qorv-shared-XXXXXX");
    ASSERT_TRUE(shared.isValid());
    const QString s = shared.path();
    for (const QString& folder : {s, s + "/old", s + "/new"}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
        ASSERT_EQ(qorv::test::asOtherAccount("echo planted >\"$1/all.bmp\"",
                                             {QFile::encodeName(folder).toStdString()}),
                  0);
    }
    qorv::LevelGrid changed = level_;
    changed.at(3, 4) = 7;
    for (const QString& name : {s + "/a.qre", s + "/old/a.qre"})
        qorv::saveQRE(QFile::encodeName(name).toStdString(), level_);
    for (const QString& name : {s + "/b.qre", s + "/new/a.qre"})
        qorv::saveQRE(QFile::encodeName(name).toStdString(), changed);
    ASSERT_TRUE(QDir().mkdir("review"));
    const struct {
        QStringList arguments;
        int status;
    } rows[] = {
        {{"--render", s + "/a.qre", "out.png"}, 0},
        {{"--render", s + "/a.qre", "--out-dir", "."}, 0},
        {{"--sheet", "sheet.png", s + "/a.qre"}, 0},
        {{"--report", "web", s + "/a.qre"}, 0},
        {{"--stats", s + "/a.qre"}, 0},
        {{"--export", s + "/a.qre", "out.tmx"}, 0},
        {{"--diff", s + "/a.qre", s + "/b.qre", "--png", "diff.png"}, 1},
        {{"--merge", s + "/a.qre", s + "/b.qre", s + "/a.qre", "-o", "m.qre", "--conflicts",
          "c.png"},
         0},
        {{"--review", s + "/old", s + "/new", "-o", "review"}, 0},
    };
    for (const auto& row : rows) { // the program itself: --sheet makes its own application
        const qorv::test::Result result = qorv::test::runEditor(row.arguments, work_.path());
        EXPECT_EQ(result.exitCode, row.status)
            << row.arguments.join(' ').toStdString() << ": " << result.err.toStdString();
    }
    QFile map("out.tmx");
    ASSERT_TRUE(map.open(QIODevice::ReadOnly));
    EXPECT_FALSE(map.readAll().contains(QFile::encodeName(s))) << "the map names her sheet";
}

// A level a line merge left its markers in, or one whose line ends git converted, fails alike
// wherever it is read; only the exit status follows the mode's convention, and --check's report
// points at the place as well. (--render and --textconv show a conflicted level instead:
// LevelDiffToolsTest, and --review: LevelReviewTest.)
TEST_F(CommandTable, ABrokenLevelFailsWithTheSameWordsInEveryMode) {
    write("converted.qre", QByteArray::fromStdString(qorv::formatLevel(level_)).replace("\r", ""));
    const struct {
        QString level;
        std::string words;
        std::string place; // --check's report also says where
    } levels[] = {
        {"conflicted.qre", "unresolved merge conflict at line 2", ":2"},
        {"converted.qre",
         "line endings were converted (LF instead of CR LF), as git's text conversion does: see "
         "README, Levels in git",
         ":1:65"},
    };
    const struct {
        QStringList arguments; // LEVEL stands for the level
        int status;
        bool onStandardOutput; // --check's report and --textconv's text; the others complain
        bool placed;
        bool showsConflicts = false; // a conflicted level is drawn or shown, not refused
    } rows[] = {
        {{"--check", "LEVEL"}, 1, true, true},
        {{"--render", "LEVEL", "out.png"}, 1, false, false, true},
        {{"--render", "LEVEL", "--out-dir", "."}, 1, false, false, true},
        {{"--export", "LEVEL", "out.tmx"}, 1, false, false},
        {{"--diff", "base.qre", "LEVEL"}, 2, false, false},
        {{"--textconv", "LEVEL"}, 0, true, false, true},
        {{"--merge", "base.qre", "LEVEL", "base.qre", "-o", "out.qre"}, 2, false, false},
        {{"--find-tile", "1", "LEVEL"}, 2, false, false},
        {{"--remap", "1=2", "LEVEL"}, 1, false, false},
    };
    for (const auto& level : levels) {
        const std::string name = level.level.toStdString();
        for (const auto& row : rows) {
            if (row.showsConflicts && level.level == "conflicted.qre") continue;
            QStringList arguments = row.arguments;
            arguments.replaceInStrings("LEVEL", level.level);
            const Outcome result = runInProcess(arguments);
            const std::string trace = arguments.join(' ').toStdString();
            EXPECT_EQ(result.status, row.status) << trace;
            const std::string said =
                name + (row.placed ? level.place : "") + ": " + level.words + "\n";
            EXPECT_EQ(result.out, row.onStandardOutput ? said : "") << trace;
            EXPECT_EQ(result.err, row.onStandardOutput ? "" : "qorvedit: " + said) << trace;
        }
    }
}

// Where a mode writes one picture or one level, "-" is standard output: the very bytes the
// file would hold.
TEST_F(CommandTable, ADashWritesThePictureOrTheLevelToStandardOutput) {
    ASSERT_EQ(runInProcess({"--render", "base.qre", "base.png"}).status, 0);
    ASSERT_EQ(runInProcess({"--export", "base.qre", "base.tmx"}).status, 0);
    const std::string level = qorv::formatLevel(level_);
    QFile png("base.png");
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const struct {
        QStringList arguments;
        std::string out;
    } rows[] = {
        {{"--render", "base.qre", "-"}, png.readAll().toStdString()},
        {{"--import", "base.tmx", "-"}, level},
        {{"--merge", "base.qre", "base.qre", "base.qre", "-o", "-"}, level},
    };
    for (const auto& row : rows) {
        const Outcome result = runInProcess(row.arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.out == row.out) << row.arguments.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists("-"));
}

} // namespace
