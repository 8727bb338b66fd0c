// Reading the command line: which mode, which files, and what is refused.

#include "cli/CommandLine.h"

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

// The parser's own messages repeat what was given.
TEST(CommandLine, ItsParsersMessagesAreQuoted) {
    EXPECT_EQ(app::parseCommandLine(QStringList{"qorvedit", "--\033x"}).error,
              R"('Unknown option '\'''$'\033''x'\''.')");
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
        const Invocation got =
            app::parseCommandLine(QList<QByteArray>{program, "--check", row.name});
        EXPECT_EQ(got.mode, nullptr) << row.shown;
        EXPECT_EQ(got.error, QString(row.shown) + " is not a name this system can spell in text; "
                                                  "rename the file.");
    }
}

// The table is the command line: each mode is in --help with every form of its arguments,
// the parser chooses it from them, and every option that qualifies a mode is described.
TEST(CommandLine, EveryModeOfTheTableIsInTheHelpAndParsed) {
    const QString help = app::helpText();
    EXPECT_TRUE(help.startsWith("Usage: qorvedit")) << help.toStdString();
    for (const app::CommandMode& mode : app::commandModes()) {
        const QString option = "--" + QString::fromLatin1(mode.option);
        for (const app::Form& form : mode.forms) {
            if (form.summary.empty()) continue;
            QString usage = "qorvedit " + option;
            if (!mode.valueName.empty()) usage += ' ' + QString::fromLatin1(mode.valueName);
            if (!form.arguments.empty()) usage += ' ' + QString::fromLatin1(form.arguments);
            EXPECT_TRUE(help.contains(usage)) << usage.toStdString();
            QStringList arguments = {"qorvedit", option};
            if (!mode.valueName.empty()) arguments << "value";
            for (int file = 0; file < form.minFiles; ++file)
                arguments << QStringLiteral("file%1").arg(file);
            if (form.needs != Extra::None)
                arguments << QString::fromStdString(app::shownName(form.needs)) << "named";
            EXPECT_EQ(app::parseCommandLine(arguments).mode, &mode) << usage.toStdString();
        }
    }
    for (const app::ExtraOption& extra : app::extraOptions())
        EXPECT_TRUE(help.contains("--" + QString::fromLatin1(extra.name))) << extra.name;
    EXPECT_TRUE(help.contains("Wrong arguments exit with status 2"));
    EXPECT_EQ(app::versionText(), "QorvEdit 1.0\n");
}

} // namespace
