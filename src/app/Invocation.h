#pragma once
// What the program was asked to do, as the command line's parser leaves it for the dispatch
// and the handlers.

#include "app/CommandModes.h"
#include "render/TileSheetSearch.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace app {

struct Invocation {
    const CommandMode* mode = nullptr; // nothing: the editor, or wrong arguments (`error`)
    QString argument;                  // the value of the mode's own option, if it takes one
    QStringList files;                 // the files the mode reads, the output taken off
    QString output;                    // what it writes: OUT, -o OUT or the folder of --out-dir
    std::array<std::optional<QString>, ExtraCount> extras; // the value of each extra given
    QList<qorv::TileSheetSearch> sheets; // per file: the sheet it is drawn with, when drawn
    QString error;                       // wrong arguments: what is wrong

    bool given(Extra extra) const { return extras[std::size_t(extra)].has_value(); }
    QString value(Extra extra) const { return extras[std::size_t(extra)].value_or(QString()); }
};

} // namespace app
