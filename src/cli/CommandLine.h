#pragma once
// What the program was asked to do, read from its arguments by the table of command modes
// before any window or display is touched: edit (optionally one level), one of the modes, or
// wrong arguments.

#include "cli/CommandModes.h"
#include "tools/Invocation.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace app {

// Reads the arguments, the program's name first, as the user gave them. The tile sheet of each
// file the mode draws is looked for here, once.
Invocation parseCommandLine(const QStringList& arguments);

// The same, from the bytes the program was given. File names are bytes, and the program
// works with them as text: a name whose bytes are not text in the system's encoding would
// turn into another name and fail as "File not found", so it is refused, and said so.
Invocation parseCommandLine(const QList<QByteArray>& arguments);

// Why the editor cannot start without a display, and which modes need none: one line.
QString noDisplayMessage(const QString& why);

} // namespace app
