// Reading the command line: which mode, which files, and what is refused.

#include "cli/CommandLine.h"
#include "cli/Help.h"

#include <algorithm>

#include <gtest/gtest.h>

using app::Extra;
using app::Invocation;

namespace {

constexpr const char* Edit = "";
constexpr const char* Usage = nullptr;

struct Row {
    QStringList arguments; // after the program's name
    const char* mode;      // the mode's option; Edit; Usage: refused
    QStringList files;
    QString output = {};
    QString tiles = {};
    QString picture = {}; // --png or --conflicts
};

const Row Rows[] = {
    {{}, Edit, {}},
    {{"maze.qre"}, Edit, {"maze.qre"}},
    {{"--", "-odd.qre"}, Edit, {"-odd.qre"}},
    {{"--help"}, "help", {}},
    {{"-h"}, "help", {}},
    {{"--help", "--check", "--render"}, "help", {}},
    {{"--version"}, "version", {}},
    {{"-v"}, "version", {}},
    {{"--check", "a.qre"}, "check", {"a.qre"}},
    {{"--check", "a.qre", "b.qrl", "c"}, "check", {"a.qre", "b.qrl", "c"}},
    {{"a.qre", "--check", "b.qre"}, "check", {"a.qre", "b.qre"}},
    {{"--render", "a.qre", "a.png"}, "render", {"a.qre"}, "a.png"},
    {{"--render", "a.qre", "a.png", "--tiles", "s.bmp"}, "render", {"a.qre"}, "a.png", "s.bmp"},
    {{"--tiles=s.bmp", "--render", "a.qre", "a.png"}, "render", {"a.qre"}, "a.png", "s.bmp"},
    {{"--render", "a.qre", "b/c.qre", "--out-dir", "out"}, "render", {"a.qre", "b/c.qre"}, "out"},
    {{"--render", "a.qre", "--out-dir=out", "--tiles", "s.bmp"},
     "render",
     {"a.qre"},
     "out",
     "s.bmp"},
    {{"--export", "a.qre", "a.tmx"}, "export", {"a.qre"}, "a.tmx"},
    {{"--export", "a.qre", "a.tmj", "--tiles", "s.bmp"}, "export", {"a.qre"}, "a.tmj", "s.bmp"},
    {{"--import", "a.tmx", "a.qre"}, "import", {"a.tmx"}, "a.qre"},
    {{"--diff", "a", "b"}, "diff", {"a", "b"}},
    {{"--diff", "a", "b", "--png", "d.png", "--tiles", "s.bmp"},
     "diff",
     {"a", "b"},
     "",
     "s.bmp",
     "d.png"},
    {{"--textconv", "a"}, "textconv", {"a"}},
    {{"--merge", "o", "a", "b", "-o", "out"}, "merge", {"o", "a", "b"}, "out"},
    {{"--merge", "o", "a", "b", "-oout", "--conflicts", "c.png"},
     "merge",
     {"o", "a", "b"},
     "out",
     "",
     "c.png"},
    {{"--sheet", "s.png", "a.qre", "--scale", "2", "--columns", "3"}, "sheet", {"a.qre"}},
    {{"--report", "web", "a.qre", "-q"}, "report", {"a.qre"}},
    {{"--stats", "a.qre", "--format", "json"}, "stats", {"a.qre"}},
    {{"--find-tile", "1, 2", "a.qre"}, "find-tile", {"a.qre"}},
    {{"--remap", "1=2", "a.qre", "--dry-run", "--quiet"}, "remap", {"a.qre"}},
    {{"--remap", "table.txt", "a.qre"}, "remap", {"a.qre"}}, // a file: read with the levels
    {{"--review", "old", "new", "-o", "out"}, "review", {"old", "new"}, "out"},
    {{"--check", "a.qre", "-q"}, "check", {"a.qre"}},
    {{"--render", "a.qre", "--out-dir", "out", "--quiet"}, "render", {"a.qre"}, "out"},
    // Refused: the program must say so rather than guess.
    {{"--render", "--out-dir", "out"}, Usage, {}},
    {{"--check", "a.qre", "--out-dir", "out"}, Usage, {}},
    {{"--export", "a.qre"}, Usage, {}},
    {{"--export", "--import", "a.qre", "a.tmx"}, Usage, {}},
    {{"--export", "--render", "a.qre", "a.tmx"}, Usage, {}},
    {{"--import", "a.tmx", "a.qre", "--tiles", "s.bmp"}, Usage, {}},
    {{"--diff", "a"}, Usage, {}},
    {{"--diff", "a", "b", "c"}, Usage, {}},
    {{"--textconv", "a", "b"}, Usage, {}},
    {{"--merge", "o", "a", "b"}, Usage, {}},
    {{"--merge", "o", "a", "-o", "out"}, Usage, {}},
    {{"--diff", "--merge", "o", "a", "b", "-o", "out"}, Usage, {}},
    {{"--check", "--textconv", "a"}, Usage, {}},
    {{"--png", "d.png", "a", "b"}, Usage, {}},
    {{"--diff", "a", "b", "--png", ""}, Usage, {}},
    {{"--diff", "a", "b", "--tiles", "s.bmp"}, Usage, {}},
    {{"--diff", "a", "b", "-o", "out"}, Usage, {}},
    {{"--diff", "a", "b", "--conflicts", "c.png"}, Usage, {}},
    {{"a.qre", "b.qre"}, Usage, {}},
    {{"--check"}, Usage, {}},
    {{"--render", "a.qre"}, Usage, {}},
    {{"--render", "a.qre", "b.png", "c.png"}, Usage, {}},
    {{"--render", "--check", "a.qre", "a.png"}, Usage, {}},
    {{"--tiles", "s.bmp", "a.qre"}, Usage, {}},
    {{"--render", "a.qre", "a.png", "--tiles"}, Usage, {}},
    {{"--render", "a.qre", "a.png", "--tiles="}, Usage, {}},
    {{"--render", "a.qre", "a.png", "--tiles", ""}, Usage, {}},
    {{"--bogus"}, Usage, {}},
    {{"--diff", "a", "b", "-q"}, Usage, {}},
    {{"--find-tile", "", "a.qre"}, Usage, {}},
    {{"--remap", "1=2", "a.qre", "-"}, Usage, {}},
    {{"--sheet", "s.png", "a.qre", "--scale", " 4"}, Usage, {}},
    {{"-platform", "xcb"}, Usage, {}},
};

TEST(CommandLine, ModesFilesAndRefusals) {
    for (const Row& row : Rows) {
        const Invocation got = app::parseCommandLine(QStringList{"qorvedit"} + row.arguments);
        const std::string trace = row.arguments.join(' ').toStdString();
        if (!row.mode) {
            EXPECT_EQ(got.mode, nullptr) << trace;
            EXPECT_FALSE(got.error.isEmpty()) << trace;
            continue;
        }
        EXPECT_EQ(got.mode ? got.mode->option : "", row.mode) << trace;
        EXPECT_EQ(got.error, "") << trace;
        if (got.mode && got.mode->overrides) continue;
        EXPECT_EQ(got.files, row.files) << trace;
        EXPECT_EQ(got.output, row.output) << trace;
        EXPECT_EQ(got.value(Extra::Tiles), row.tiles) << trace;
        EXPECT_EQ(got.value(Extra::Png) + got.value(Extra::Conflicts), row.picture) << trace;
    }
}

// The parser's messages repeat what was given, quoted as names are.
TEST(CommandLine, ItsParsersMessagesAreQuoted) {
    EXPECT_EQ(app::parseCommandLine(QStringList{"qorvedit", "--\033x"}).error,
              R"(unknown option '--'$'\033''x'.)");
}

// Names are taken as the bytes they are; bytes that are no text would become another name.
TEST(CommandLine, NamesThatAreNoTextAreRefused) {
    const QByteArray program("qorvedit");
    EXPECT_EQ(app::parseCommandLine(QList<QByteArray>{program, "caf\xc3\xa9.qre"}).files,
              QStringList{QString::fromUtf8("caf\xc3\xa9.qre")});
    const struct {
        QByteArray name;
        const char* shown;
    } rows[] = {{"caf\351.qre", R"('caf'$'\351''.qre')"},
                {"\377\376.qre", R"(''$'\377\376''.qre')"}};
    for (const auto& row : rows) {
        // Refused where it names one file; in a set, a level that cannot be read.
        for (const QByteArray& mode : {"--textconv", "--report"}) {
            const Invocation got =
                app::parseCommandLine(QList<QByteArray>{program, mode, row.name});
            EXPECT_EQ(got.mode, nullptr) << row.shown;
            EXPECT_EQ(got.error, QString(row.shown) + " is not a name this system can spell in "
                                                      "text; rename the file.");
        }
        const Invocation set =
            app::parseCommandLine(QList<QByteArray>{program, "--check", "a.qre", row.name});
        ASSERT_EQ(set.levels.size(), 2u) << row.shown;
        EXPECT_EQ(set.levels[1].path, row.name.toStdString());
        EXPECT_TRUE(set.levels[1].failure && !set.levels[0].failure);
    }
}

// The help shows each form of every mode with its options, and each option; written out here
// rather than made again from the table under test. Every mode of the table has its lines.
TEST(CommandLine, EveryModeOfTheTableIsInTheHelpAndParsed) {
    const QString help = app::helpText();
    EXPECT_TRUE(help.startsWith("Usage: qorvedit")) << help.toStdString();
    const QStringList lines = {
        "  qorvedit [LEVEL]                      edit LEVEL, or a new level",
        "  qorvedit --check LEVEL... [--rules FILE] [--format FORMAT] [-q] [-r]",
        "  qorvedit --render LEVEL OUT.png [--tiles SHEET.bmp] [-q]",
        "  qorvedit --render LEVEL... --out-dir DIR [--tiles SHEET.bmp] [-q] [-r]",
        "  qorvedit --sheet OUT.png LEVEL... [--columns N] [--scale N] [--tiles SHEET.bmp] [-q] "
        "[-r]",
        "  qorvedit --report DIR LEVEL... [--tiles SHEET.bmp] [-q] [-r]",
        "  qorvedit --export LEVEL OUT.tmx|OUT.tmj [--tiles SHEET.bmp]",
        "  qorvedit --import IN.tmx|IN.tmj OUT.qre",
        "  qorvedit --diff A B [--png OUT.png] [--tiles SHEET.bmp] [-r]",
        "  qorvedit --textconv LEVEL             a level as text, for git diff",
        "  qorvedit --merge BASE OURS THEIRS -o OUT [--conflicts PNG] [--tiles SHEET.bmp] "
        "[--path PATH]",
        "  qorvedit --stats LEVEL... [--format FORMAT] [--tiles SHEET.bmp] [-r]",
        "  qorvedit --find-tile N[,M...] LEVEL... [-r]",
        "  qorvedit --remap TABLE LEVEL... [--dry-run] [-q] [-r]",
        "  qorvedit --resolve ours|theirs|base LEVEL...",
        "  qorvedit --review OLD NEW -o DIR [--tiles SHEET.bmp] [-q] [-r]",
        "  qorvedit --git-setup [--global]       set a git clone up for levels",
        "  qorvedit --help                       this help",
        "  qorvedit --version                    the version",
        "  --sheet <OUT.png>             Draw every LEVEL (a folder: its *.qre and",
        "  --find-tile <N[,M...]>        Print every cell of each LEVEL (a folder: its",
        "  --resolve <ours|theirs|base>  Resolve each LEVEL a merge left with conflict",
        "  -o, --output <OUT>            With --merge: the level to write; with",
        "  -q, --quiet                   No progress line: where standard error is a",
    };
    for (const QString& line : lines)
        EXPECT_TRUE(help.contains(line)) << line.toStdString() << "\n" << help.toStdString();
    for (const app::CommandMode& mode : app::commandModes()) {
        const QString usage = "  qorvedit --" + QString::fromLatin1(mode.option);
        EXPECT_TRUE(std::ranges::any_of(lines, [&](const QString& line) {
            return line.startsWith(usage + ' ') || line == usage;
        })) << mode.option;
    }
    for (const app::ExtraOption& extra : app::extraOptions())
        EXPECT_TRUE(help.contains("--" + QString::fromLatin1(extra.name))) << extra.name;
    EXPECT_TRUE(help.contains("Wrong arguments exit with status 2"));
}

} // namespace
