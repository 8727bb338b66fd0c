// --check as CI runs it, over one set of failures: a level that breaks three of its team's
// rules, one with a short line and one that is missing, reported in every format.

#include "EditorRun.h"

#include "core/LevelGrid.h"
#include "levelio/LevelFile.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

using qorv::test::bytesOf;
using qorv::test::Result;
using qorv::test::runEditor;

// Found by the search up from levels/, as a team keeps it at the top of its repository.
constexpr char Rules[] = "[[rule]]\nid = \"walled\"\nhelp = \"Every level is walled in.\"\n"
                         "border = [1]\n"
                         "[[rule]]\nid = \"one-start\"\ncount = { tile = 2, min = 1, max = 1 }\n"
                         "[[rule]]\nid = \"palette\"\ntiles-allowed = [0, 1, 2]\n";

const QStringList Levels = {"levels/broken.qre", "levels/short.qre", "levels/missing.qre"};

const char Text[] =
    "levels/broken.qre:1:6: border cell 5,0 holds tile 0, not one of 1 [walled: Every level is "
    "walled in.]\n"
    "levels/broken.qre:10:8: tile 2 appears 2 times, wanted exactly 1 [one-start]\n"
    "levels/broken.qre:21:11: cell 10,20 holds tile 5, which is not allowed [palette]\n"
    "levels/short.qre:3:11: Read beyond end of file\n"
    "levels/missing.qre: File not found\n";

const char Github[] =
    "::error file=levels/broken.qre,line=1,col=6,title=qorvedit walled::border cell 5,0 holds "
    "tile 0, not one of 1%0AEvery level is walled in.\n"
    "::error file=levels/broken.qre,line=10,col=8,title=qorvedit one-start::tile 2 appears 2 "
    "times, wanted exactly 1\n"
    "::error file=levels/broken.qre,line=21,col=11,title=qorvedit palette::cell 10,20 holds tile "
    "5, which is not allowed\n"
    "::error file=levels/short.qre,line=3,col=11,title=qorvedit::Read beyond end of file\n"
    "::error file=levels/missing.qre,title=qorvedit::File not found\n";

class CheckReports : public ::testing::Test {
  protected:
    void SetUp() override {
        qorv::test::ensureCoreApplication();
        ASSERT_TRUE(work_.isValid() && QDir(work_.path()).mkdir("levels"));
        writeFile("qorvedit-rules.toml", Rules);
        qorv::LevelGrid level;
        for (int x = 0; x < qorv::GridWidth; ++x)
            for (int y = 0; y < qorv::GridHeight; ++y)
                level.at(x, y) =
                    x == 0 || y == 0 || x == qorv::GridWidth - 1 || y == qorv::GridHeight - 1;
        level.at(5, 0) = 0;
        level.at(3, 3) = level.at(7, 9) = 2;
        level.at(10, 20) = 5;
        qorv::saveQRE(path("levels/broken.qre").toStdString(), level);
        const QByteArray row(64, '0');
        writeFile("levels/short.qre", row + "\r\n" + row + "\r\n0123456789\r\n");
    }
    QString path(const QString& name) const { return work_.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QTemporaryDir work_;
};

// Each line a JSON document of its own, as `python3 -m json.tool` reads it.
void expectJsonLines(const QString& lines) {
    for (const QString& line : lines.split('\n', Qt::SkipEmptyParts)) {
        QProcess tool;
        tool.start("python3", {"-m", "json.tool"});
        tool.write(line.toUtf8());
        tool.closeWriteChannel();
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << line.toStdString();
    }
}

TEST_F(CheckReports, EveryFormatReportsTheSameFailuresWithTheirPlaces) {
    const struct {
        QStringList options;
        QStringList variables;
        QString out; // empty: checked as JSON
    } rows[] = {
        {{}, {}, Text},
        {{"--format", "text"}, {"GITHUB_ACTIONS=true"}, Text},
        {{}, {"GITHUB_ACTIONS=true"}, Github},
        {{}, {"GITHUB_ACTIONS=false"}, Text},
        {{}, {"GITHUB_ACTIONS=true", "GITHUB_STEP_SUMMARY="}, Github}, // no summary, no error
        {{"--format", "github"}, {}, Github},
        {{"--format", "json"}, {}, {}},
        {{"--format", "gitlab"}, {}, {}},
    };
    for (const auto& row : rows) {
        const std::string trace = (row.options + row.variables).join(' ').toStdString();
        const Result result = runEditor(QStringList{"--check"} + row.options + Levels, work_.path(),
                                        {}, row.variables);
        EXPECT_EQ(result.exitCode, 1) << trace;
        EXPECT_EQ(result.err, "") << trace;
        if (!row.out.isEmpty()) {
            EXPECT_EQ(result.out, row.out) << trace;
            continue;
        }
        const bool gitlab = row.options.contains("gitlab");
        expectJsonLines(gitlab ? QString(result.out).replace('\n', ' ') : result.out);
        EXPECT_EQ(result.out.count(gitlab ? "\"check_name\"" : "\"rule\""), 5) << trace;
        EXPECT_TRUE(result.out.contains("\"line\":21,\"column\":11,\"cell\":{\"x\":10,\"y\":20}") ||
                    gitlab)
            << trace;
    }
}

// GitHub shows 10 annotations of a step: the rest are counted in a notice, and every failure
// is a row of the step summary, after what the step had written there.
TEST_F(CheckReports, GithubAnnotatesTenAndSummarisesEvery) {
    QStringList missing;
    for (int i = 0; i < 100; ++i)
        missing << QStringLiteral("m%1.qre").arg(i);
    writeFile("summary.md", "earlier step output\n");
    const Result result = runEditor(QStringList{"--check"} + missing, work_.path(), {},
                                    {"GITHUB_ACTIONS=true", "GITHUB_STEP_SUMMARY=summary.md"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out.count("::error "), 10);
    EXPECT_TRUE(result.out.endsWith("::notice title=qorvedit::90 more failures are not annotated: "
                                    "GitHub shows the first 10 of a step.\n"));
    const QByteArray summary = bytesOf(path("summary.md"));
    EXPECT_TRUE(summary.startsWith("earlier step output\n### qorvedit: 100 failures\n"));
    EXPECT_EQ(summary.count("\n| m"), 100);
}

// A summary the step has nearly filled takes what is left of GitHub's 1 MiB: the rows that fit
// and the count of the rest, or nothing when not even that fits.
TEST_F(CheckReports, TheStepSummaryTakesWhatIsLeftOfItsLimit) {
    QStringList missing;
    for (int i = 0; i < 100; ++i)
        missing << QStringLiteral("m%1.qre").arg(i);
    for (const int left : {400, 150}) {
        const QByteArray earlier((1 << 20) - left, 'e');
        writeFile("summary.md", earlier);
        const Result result = runEditor(QStringList{"--check", "--format", "github"} + missing,
                                        work_.path(), {}, {"GITHUB_STEP_SUMMARY=summary.md"});
        EXPECT_EQ(result.exitCode, 1) << left;
        const QByteArray summary = bytesOf(path("summary.md"));
        EXPECT_TRUE(summary.startsWith(earlier)) << left;
        EXPECT_LT(summary.size(), 1 << 20) << left;
        if (left == 150) {
            EXPECT_EQ(summary.size(), earlier.size());
        } else {
            EXPECT_TRUE(summary.endsWith(" more failures are left out: GitHub takes a step summary "
                                         "of at most 1 MiB.\n"))
                << summary.right(300).toStdString();
        }
    }
}

// The summary is an output like any other: a FIFO under its name is refused in the words of
// every output, and a link of our own is followed as every writer follows it (links planted
// by another account: HeadlessTools.EveryWriterRefusesWhatAnotherAccountPlantedOrWhatIsNoFile).
TEST_F(CheckReports, TheStepSummaryIsWrittenOnlyAsARegularFile) {
    writeFile("target.md", "");
    ASSERT_TRUE(QFile::link(path("target.md"), path("link.md")));
    ASSERT_EQ(QProcess::execute("mkfifo", {path("fifo.md")}), 0);
    const struct {
        QString name;
        const char* err;
    } rows[] = {{"link.md", ""},
                {"fifo.md", "qorvedit: Cannot write fifo.md: it is not a regular file\n"}};
    for (const auto& row : rows) {
        const Result result = runEditor({"--check", "--format", "github", "levels/short.qre"},
                                        work_.path(), {}, {"GITHUB_STEP_SUMMARY=" + row.name});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, row.err);
    }
    EXPECT_TRUE(bytesOf(path("target.md")).startsWith("### qorvedit: 1 failure\n"));
}

// Each level meets the rules of its own folder, however the folders' levels are interleaved.
TEST_F(CheckReports, EachLevelMeetsTheRulesNearestToIt) {
    ASSERT_TRUE(QDir(work_.path()).mkdir("free"));
    writeFile("free/qorvedit-rules.toml", "");
    ASSERT_TRUE(QFile::copy(path("levels/broken.qre"), path("free/broken.qre")));
    const Result result = runEditor(
        {"--check", "levels/broken.qre", "free/broken.qre", "levels/broken.qre"}, work_.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out.count("levels/broken.qre:1:6: border cell"), 2)
        << result.out.toStdString();
    EXPECT_FALSE(result.out.contains("free/")) << result.out.toStdString();
}

// Memory follows what is printed, not what is found: 1,000 levels that each break 500 rules
// are half a million failures, which took 137 MB when every format kept them to the end. A
// rule's help is held once (RuleCheckTest), so its length adds nothing per failure either.
TEST_F(CheckReports, HalfAMillionFailuresInLittleMemory) {
    QByteArray rules;
    for (int i = 0; i < 500; ++i)
        rules += "[[rule]]\nid = \"r" + QByteArray::number(i) + "\"\nhelp = \"" +
                 QByteArray(100, 'h') + "\"\ntiles-forbidden = [0]\n";
    ASSERT_TRUE(QDir(work_.path()).mkdir("many"));
    writeFile("many/qorvedit-rules.toml", rules);
    QStringList levels;
    for (int i = 0; i < 1000; ++i) {
        levels << QStringLiteral("many/%1.qre").arg(i);
        ASSERT_TRUE(QFile::copy(path("levels/broken.qre"), path(levels.back())));
    }
    // AddressSanitizer keeps freed memory aside (256 MB by default): here it would count.
    const QString sanitizer = "ASAN_OPTIONS=" + qEnvironmentVariable("ASAN_OPTIONS") +
                              ":quarantine_size_mb=8:detect_leaks=0";
    const Result result =
        runEditor(QStringList{"--check", "--format", "github"} + levels, work_.path(), "/dev/null",
                  {sanitizer, "GITHUB_STEP_SUMMARY=summary.md"});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(children.ru_maxrss, 100 * 1024); // KiB
    const QByteArray summary = bytesOf(path("summary.md"));
    EXPECT_LT(summary.size(), 1 << 20);
    EXPECT_TRUE(summary.startsWith("### qorvedit: 500000 failures\n"));
}

// The rules are read before any level: one that is wrong stops the run as wrong arguments do.
TEST_F(CheckReports, ARulesFileThatDoesNotParseIsAUsageErrorAtItsLine) {
    writeFile("bad.toml", "[[rule]]\nid = \"x\"\nborder = [1,\n");
    // 200,000 key parts in 400 KB: the TOML reader would recurse once a part.
    writeFile("deep.toml", "[a" + QByteArray(".a").repeated(200'000) + "]\n");
    writeFile("long.toml", QByteArray("# a line\n").repeated(116'509) + "x = 1\n");
    writeFile("bad\x1b[2J.toml", "[[rule]]\nid = \"x\"\n");
    const struct {
        QStringList options;
        QString err;
    } rows[] = {
        {{"--rules", "bad.toml"}, "qorvedit: bad.toml:3: "},
        {{"--rules", "deep.toml"}, "qorvedit: deep.toml:1: a key of more than 8 dotted parts\n"},
        {{"--rules", "long.toml"},
         "qorvedit: long.toml:116509: the file is longer than 1048576 bytes\n"},
        {{"--rules", "bad\x1b[2J.toml"},
         "qorvedit: 'bad'$'\\033''[2J.toml':1: rule \"x\" has no kind"},
        {{"--rules", "none.toml"}, "qorvedit: none.toml: File not found\n"},
        {{"--format", "xml"}, "qorvedit: --format xml: not text, github, gitlab or json.\n"},
    };
    for (const auto& row : rows) {
        const Result result =
            runEditor(QStringList{"--check"} + row.options + Levels, work_.path());
        EXPECT_EQ(result.exitCode, 2) << row.err.toStdString();
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.startsWith(row.err)) << result.err.toStdString();
    }
}

} // namespace
