#pragma once
// Every command mode of the command line is one row of one table: its option, the forms of its
// arguments with their lines of --help, the options it takes, the files it draws, its handler,
// and what its exit status is when it fails or its output is lost. The parser, the help text,
// the checks of what goes with what, and the dispatch all read the table; adding a mode is
// adding a row and its handler.

#include "tools/Console.h"
#include "tools/Invocation.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace app {

// The values an option takes; none: any.
using Choices = std::array<std::string_view, 4>;

// What is wrong with an option's value, in words that follow it ("not a whole number from 1 to
// 450"); empty when nothing is. The parser asks it before anything is read, so that a handler
// is only ever given values its row accepts (ValueChecks.h).
using ValueCheck = std::string (*)(std::string_view value);

struct ExtraOption {
    Extra extra;
    std::string_view letter;    // "o" for -o; empty: none
    std::string_view name;      // the long name, "tiles" for --tiles
    std::string_view valueName; // empty: a switch, which takes no value
    std::string_view description;
    std::string_view valueKind; // what an empty value lacks: "file name", "folder"
    Written written = Written::Nothing;
    Choices choices = {};
    ValueCheck check = nullptr; // none: any value of its kind
};

// One way to give a mode its files. A form that needs an option applies when it is given;
// the files are counted with OUT when the last file is the output.
inline constexpr int AnyNumber = 1 << 20;
struct Form {
    std::string_view arguments; // as --help shows them: "LEVEL OUT.png"
    std::string_view summary;   // the form's line in --help's list of commands
    int minFiles = 0;
    int maxFiles = 0;
    bool lastFileIsOutput = false;
    Extra needs = Extra::None; // the option this form applies with, and the output it names
};

// An option a mode takes, only beside another one where `onlyWith` says so (--tiles goes with
// --diff only when --png asks for a picture).
struct Accepted {
    Extra extra = Extra::None;
    Extra onlyWith = Extra::None;
    Choices choices = {}; // the values it takes with this mode; none: the option's own
};

// The files drawn with a tile sheet, for which the sheet is looked for while parsing.
enum class Drawn { Nothing, EachFile, FirstFile, SecondFile };

using Handler = int(const Invocation& invocation, Console& console);

struct CommandMode {
    std::string_view option;         // the long name: "check" for --check
    std::string_view letter = {};    // a one-letter name ("h" for -h); empty: none
    std::string_view valueName = {}; // the option's own value ("--find-tile N"); empty: none
    std::string_view description;
    std::array<Form, 2> forms; // a form with no summary is no form
    std::array<Accepted, 5> extras = {};
    Drawn drawn = Drawn::Nothing;
    // 0 done, 1 a level failed or levels differ; a failure the handler throws (EditorError)
    // is reported once, by the dispatch, and ends with `failed`. A reference: a row without
    // its handler does not compile.
    Handler& run;
    int failed;     // 1 for the drawing tools and --check, 2 for the comparisons, as diff(1), 0 for
                    // --textconv, whose failure is its output
    int lostOutput; // when standard output does not take the output: 2 where 1 means "differ"
    bool overrides = false;     // --help, --version: chosen whatever else is given
    bool levelSets = false;     // LEVEL... is a set of levels (tools/LevelSet.h)
    ValueCheck check = nullptr; // of the option's own value; none: any
    bool writesBack = false;    // each LEVEL is written back: standard input cannot be one
};

std::span<const CommandMode> commandModes();
std::span<const ExtraOption> extraOptions();

// The extra's option as messages name it: "-o", "--tiles".
std::string shownName(Extra extra);

} // namespace app
