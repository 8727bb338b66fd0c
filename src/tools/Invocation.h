#pragma once
// What the program was asked to do, as the command line's parser leaves it for the dispatch
// and the handlers.

#include "render/TileSheetSearch.h"
#include "tools/LevelSet.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace app {

struct CommandMode;

// The options that qualify a mode rather than choose one.
enum class Extra {
    None,
    Tiles,
    OutDir,
    Png,
    Output,
    Conflicts,
    Rules,
    Format,
    DryRun,
    Columns,
    Scale,
    Path,
    Quiet,
    Global,
    Recursive
};
inline constexpr int ExtraCount = 15;

// What an option's file is to its mode. A picture is never written over an input nor over
// the other output; a level may be (git's merge driver writes the result over OURS).
enum class Written { Nothing, Picture, Level };

// A file an option given names as an output (--png OUT.png, -o OUT).
struct NamedOutput {
    QString name;
    Written written = Written::Nothing;
};

struct Invocation {
    const CommandMode* mode = nullptr; // nothing: the editor, or wrong arguments (`error`)
    QString argument;                  // the value of the mode's own option, if it takes one
    QStringList files;                 // the files the mode reads, the output taken off
    LevelSet levels;                   // a mode of sets: its levels, whose names `files` holds
    QString output;                    // what it writes: OUT, -o OUT or the folder of --out-dir
    std::array<std::optional<QString>, ExtraCount> extras; // the value of each extra given
    QList<NamedOutput> namedOutputs;     // the outputs the options given name, as the table says
    QList<qorv::TileSheetSearch> sheets; // per file: the sheet it is drawn with, when drawn
    QString error;                       // wrong arguments: what is wrong

    bool given(Extra extra) const { return extras[std::size_t(extra)].has_value(); }
    QString value(Extra extra) const { return extras[std::size_t(extra)].value_or(QString()); }
};

} // namespace app
