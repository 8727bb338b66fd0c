// The modes as the dispatch runs them from the table: each row's handler and exit statuses,
// the same words for one failure in every mode, and "-" as standard output.

#include "InProcess.h"
#include "levelio/LevelFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

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

// A value each mode's own option takes, so that it goes on to its files.
QString valueFor(const app::CommandMode& mode) {
    if (mode.option == "find-tile") return "1";
    return mode.option == "remap" ? "1=2" : "value";
}

// Every row runs its own handler: given files that do not exist, each mode fails with its own
// status, and says so in the reader's words; --git-setup, which takes no files, fails outside
// a git clone (the test's folder is none).
TEST_F(CommandTable, EachModeRunsItsHandlerAndFailsWithItsStatus) {
    for (const app::CommandMode& mode : app::commandModes()) {
        const app::Form& form = mode.forms[0];
        QStringList arguments = {"--" + QString::fromLatin1(mode.option)};
        if (!mode.valueName.empty()) arguments << valueFor(mode);
        for (int file = 0; file < form.minFiles; ++file)
            arguments << (form.lastFileIsOutput && file == form.minFiles - 1
                              ? QStringLiteral("out.tmx")
                              : QStringLiteral("missing%1.tmx").arg(file));
        if (form.needs != app::Extra::None)
            arguments << QString::fromStdString(app::shownName(form.needs)) << "out.tmx";
        const Outcome result = runInProcess(arguments);
        const std::string trace = arguments.join(' ').toStdString();
        EXPECT_EQ(result.status, mode.overrides ? 0 : mode.failed) << trace;
        if (form.maxFiles == 0 && !mode.overrides) {
            EXPECT_NE(result.err.find("not in a git clone"), std::string::npos) << trace;
        } else if (!mode.overrides) {
            EXPECT_NE((result.out + result.err).find("missing0.tmx: File not found"),
                      std::string::npos)
                << trace << ": " << result.out << result.err;
        }
        EXPECT_FALSE(QFile::exists("out.tmx")) << trace;
    }
}

// A level a line merge left its markers in, or one whose line ends git converted, fails alike
// wherever it is read; only the exit status follows the mode's convention, and --check's report
// points at the place as well.
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
    } rows[] = {
        {{"--check", "LEVEL"}, 1, true, true},
        {{"--render", "LEVEL", "out.png"}, 1, false, false},
        {{"--render", "LEVEL", "--out-dir", "."}, 1, false, false},
        {{"--export", "LEVEL", "out.tmx"}, 1, false, false},
        {{"--diff", "base.qre", "LEVEL"}, 2, false, false},
        {{"--textconv", "LEVEL"}, 0, true, false},
        {{"--merge", "base.qre", "LEVEL", "base.qre", "-o", "out.qre"}, 2, false, false},
        {{"--find-tile", "1", "LEVEL"}, 2, false, false},
        {{"--remap", "1=2", "LEVEL"}, 1, false, false},
    };
    for (const auto& level : levels) {
        const std::string name = level.level.toStdString();
        for (const auto& row : rows) {
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
