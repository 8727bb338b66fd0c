#pragma once
// The command line's texts, made from the table of modes: the options as the parser reads and
// shows them, the names of the modes in messages, and the help (CommandLine.h has the help,
// the version and the no-display line for the program).

#include "cli/CommandModes.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <string_view>
#include <vector>

namespace app {

// The parser's options, one per mode and one per extra, in the tables' order.
struct ParserOptions {
    std::vector<QCommandLineOption> modes;
    std::vector<QCommandLineOption> extras;
};

// Gives the parser every option of the tables, and the help's description of the modes.
ParserOptions describe(QCommandLineParser& parser);

// A text of the tables (ASCII) as a QString.
QString latin1(std::string_view text);

// "--check".
QString optionOf(const CommandMode& mode);

// " [--png OUT.png] [--tiles SHEET.bmp]": the options a mode may take in the form.
QString optionalExtras(const CommandMode& mode, const Form& form);

// "--check, --render, ... and --merge": the modes one chooses between.
QString choosingModes();

} // namespace app
