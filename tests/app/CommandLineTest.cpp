// Reading the command line: which mode, which files, and what is refused.

#include "app/CommandLine.h"

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
    for (const QByteArray& name : {QByteArray("caf\xe9.qre"), QByteArray("\xff\xfe.qre")}) {
        const Invocation got = app::parseCommandLine(QList<QByteArray>{program, "--check", name});
        EXPECT_EQ(got.mode, Mode::Usage) << name.toHex().toStdString();
        EXPECT_TRUE(got.error.contains("rename the file")) << got.error.toStdString();
    }
}

TEST(CommandLine, HelpNamesTheProgramAndEveryOption) {
    const QString help = app::helpText();
    for (const char* part :
         {"Usage: qorvedit", "--check", "--render", "--tiles", "--version", "--diff", "--png",
          "--textconv", "--merge", "--conflicts", "Wrong arguments exit with status 2"})
        EXPECT_TRUE(help.contains(part)) << part;
    EXPECT_EQ(app::versionText(), "QorvEdit 1.0\n");
}

} // namespace
