// Reading the command line: which mode, which files, and what is refused.

#include "app/CommandLine.h"
#include "app/Quoting.h"

#include <gtest/gtest.h>

using app::Invocation;
using Mode = Invocation::Mode;

namespace {

struct Row {
    QStringList arguments; // after the program's name
    Mode mode;
    QStringList levels;
    QString output = {};
    QString tiles = {};
    QString picture = {};
};

const Row Rows[] = {
    {{}, Mode::Edit, {}},
    {{"maze.qre"}, Mode::Edit, {"maze.qre"}},
    {{"--", "-odd.qre"}, Mode::Edit, {"-odd.qre"}},
    {{"--help"}, Mode::Help, {}},
    {{"-h"}, Mode::Help, {}},
    {{"--version"}, Mode::Version, {}},
    {{"-v"}, Mode::Version, {}},
    {{"--check", "a.qre"}, Mode::Check, {"a.qre"}},
    {{"--check", "a.qre", "b.qrl", "c"}, Mode::Check, {"a.qre", "b.qrl", "c"}},
    {{"a.qre", "--check", "b.qre"}, Mode::Check, {"a.qre", "b.qre"}},
    {{"--render", "a.qre", "a.png"}, Mode::Render, {"a.qre"}, "a.png"},
    {{"--render", "a.qre", "a.png", "--tiles", "s.bmp"}, Mode::Render, {"a.qre"}, "a.png", "s.bmp"},
    {{"--tiles=s.bmp", "--render", "a.qre", "a.png"}, Mode::Render, {"a.qre"}, "a.png", "s.bmp"},
    {{"--render", "a.qre", "b/c.qre", "--out-dir", "out"},
     Mode::RenderMany,
     {"a.qre", "b/c.qre"},
     "out"},
    {{"--render", "a.qre", "--out-dir=out", "--tiles", "s.bmp"},
     Mode::RenderMany,
     {"a.qre"},
     "out",
     "s.bmp"},
    {{"--export", "a.qre", "a.tmx"}, Mode::Export, {"a.qre"}, "a.tmx"},
    {{"--export", "a.qre", "a.tmj", "--tiles", "s.bmp"}, Mode::Export, {"a.qre"}, "a.tmj", "s.bmp"},
    {{"--import", "a.tmx", "a.qre"}, Mode::Import, {"a.tmx"}, "a.qre"},
    // Refused: the program must say so rather than guess.
    {{"--render", "--out-dir", "out"}, Mode::Usage, {}},
    {{"--check", "a.qre", "--out-dir", "out"}, Mode::Usage, {}},
    {{"--export", "a.qre"}, Mode::Usage, {}},
    {{"--export", "--import", "a.qre", "a.tmx"}, Mode::Usage, {}},
    {{"--export", "--render", "a.qre", "a.tmx"}, Mode::Usage, {}},
    {{"--import", "a.tmx", "a.qre", "--tiles", "s.bmp"}, Mode::Usage, {}},
    {{"--diff", "a", "b"}, Mode::Diff, {"a", "b"}},
    {{"--diff", "a", "b", "--png", "d.png", "--tiles", "s.bmp"},
     Mode::Diff,
     {"a", "b"},
     "",
     "s.bmp",
     "d.png"},
    {{"--textconv", "a"}, Mode::TextConv, {"a"}},
    {{"--merge", "o", "a", "b", "-o", "out"}, Mode::Merge, {"o", "a", "b"}, "out"},
    {{"--merge", "o", "a", "b", "-oout", "--conflicts", "c.png"},
     Mode::Merge,
     {"o", "a", "b"},
     "out",
     "",
     "c.png"},
    // Refused: the program must say so rather than guess.
    {{"--diff", "a"}, Mode::Usage, {}},
    {{"--diff", "a", "b", "c"}, Mode::Usage, {}},
    {{"--textconv", "a", "b"}, Mode::Usage, {}},
    {{"--merge", "o", "a", "b"}, Mode::Usage, {}},
    {{"--merge", "o", "a", "-o", "out"}, Mode::Usage, {}},
    {{"--diff", "--merge", "o", "a", "b", "-o", "out"}, Mode::Usage, {}},
    {{"--check", "--textconv", "a"}, Mode::Usage, {}},
    {{"--png", "d.png", "a", "b"}, Mode::Usage, {}},
    {{"--diff", "a", "b", "--png", ""}, Mode::Usage, {}},
    {{"--diff", "a", "b", "--tiles", "s.bmp"}, Mode::Usage, {}},
    {{"--diff", "a", "b", "-o", "out"}, Mode::Usage, {}},
    {{"--diff", "a", "b", "--conflicts", "c.png"}, Mode::Usage, {}},
    {{"a.qre", "b.qre"}, Mode::Usage, {}},
    {{"--check"}, Mode::Usage, {}},
    {{"--render", "a.qre"}, Mode::Usage, {}},
    {{"--render", "a.qre", "b.png", "c.png"}, Mode::Usage, {}},
    {{"--render", "--check", "a.qre", "a.png"}, Mode::Usage, {}},
    {{"--tiles", "s.bmp", "a.qre"}, Mode::Usage, {}},
    {{"--render", "a.qre", "a.png", "--tiles"}, Mode::Usage, {}},
    {{"--render", "a.qre", "a.png", "--tiles="}, Mode::Usage, {}},
    {{"--render", "a.qre", "a.png", "--tiles", ""}, Mode::Usage, {}},
    {{"--bogus"}, Mode::Usage, {}},
    {{"-platform", "xcb"}, Mode::Usage, {}},
};

TEST(CommandLine, ModesFilesAndRefusals) {
    for (const Row& row : Rows) {
        const Invocation got = app::parseCommandLine(QStringList{"qorvedit"} + row.arguments);
        const std::string trace = row.arguments.join(' ').toStdString();
        EXPECT_EQ(got.mode, row.mode) << trace;
        if (row.mode == Mode::Usage) {
            EXPECT_FALSE(got.error.isEmpty()) << trace;
            continue;
        }
        EXPECT_EQ(got.levels, row.levels) << trace;
        EXPECT_EQ(got.output, row.output) << trace;
        EXPECT_EQ(got.tiles, row.tiles) << trace;
        EXPECT_EQ(got.picture, row.picture) << trace;
    }
}

// Names are taken as the bytes they are; bytes that are no text would become another name.
TEST(CommandLine, NamesThatAreNoTextAreRefused) {
    const QByteArray program("qorvedit");
    EXPECT_EQ(app::parseCommandLine(QList<QByteArray>{program, "caf\xc3\xa9.qre"}).levels,
              QStringList{QString::fromUtf8("caf\xc3\xa9.qre")});
    const struct {
        QByteArray name;
        const char* shown;
    } rows[] = {{"caf\351.qre", R"('caf'$'\351''.qre')"},
                {"\377\376.qre", R"(''$'\377\376''.qre')"}};
    for (const auto& row : rows) {
        const Invocation got =
            app::parseCommandLine(QList<QByteArray>{program, "--check", row.name});
        EXPECT_EQ(got.mode, Mode::Usage) << row.shown;
        EXPECT_EQ(got.error, QString(row.shown) + " is not a name this system can spell in text; "
                                                  "rename the file.");
    }
}

// Names with control characters or bytes that are no UTF-8 are quoted as GNU ls
// --quoting-style=shell-escape quotes them (the expectations are its output); others not.
TEST(CommandLine, NamesInMessagesAreQuotedWhenTheyHoldControlCharacters) {
    const struct {
        QByteArray name;
        const char* shown;
    } rows[] = {
        {"plain.qre", "plain.qre"},
        {"sp ace, it's", "sp ace, it's"},
        {"caf\303\251 \360\237\230\200\302\240", "caf\303\251 \360\237\230\200\302\240"},
        {"bad.qre: File access denied\ngood.qre",
         R"('bad.qre: File access denied'$'\n''good.qre')"},
        {"esc\033[31mred", R"('esc'$'\033''[31mred')"},
        {"tab\there\r", R"('tab'$'\t''here'$'\r')"},
        {"a\001\177b", R"('a'$'\001\177''b')"},
        {"a\037b", R"('a'$'\037''b')"},
        {"\177", R"(''$'\177')"},
        {"\302\2331", R"(''$'\302\233''1')"},             // C1 control: CSI
        {"\377\376.qre", R"(''$'\377\376''.qre')"},       // no UTF-8
        {"\300\2572", R"(''$'\300\257''2')"},             // overlong '/'
        {"\355\240\2003", R"(''$'\355\240\200''3')"},     // surrogate
        {"\364\220\200\200", R"(''$'\364\220\200\200')"}, // past U+10FFFF
        {"x\342\202", R"('x'$'\342\202')"},               // cut short
        {"ab'c\001d", R"('ab'\''c'$'\001''d')"},
        {"\n'", R"(''$'\n'\''')"},
        {"'\n", R"(''\'''$'\n')"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(app::quotedName(row.name).toUtf8(), QByteArray(row.shown)) << row.shown;
    // The parser's own messages repeat what was given.
    EXPECT_EQ(app::parseCommandLine(QStringList{"qorvedit", "--\033x"}).error,
              R"('Unknown option '\'''$'\033''x'\''.')");
}

TEST(CommandLine, HelpNamesTheProgramAndEveryOption) {
    const QString help = app::helpText();
    for (const char* part : {"Usage: qorvedit", "--check", "--render", "--tiles", "--version",
                             "--out-dir", "--export", "--import", "--diff", "--png", "--textconv",
                             "--merge", "--conflicts", "Wrong arguments exit with status 2"})
        EXPECT_TRUE(help.contains(part)) << part;
    EXPECT_EQ(app::versionText(), "QorvEdit 1.0\n");
}

} // namespace
