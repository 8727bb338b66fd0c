#pragma once
// The manual page qorvedit.1 and the bash completion, made from the table of modes at build
// time (tools/MakeCommandDocs.cpp), so that neither can name an option the program lacks or
// miss one it has.

#include <QString>

namespace app {

// qorvedit(1) in the man macros: the forms of every mode, each mode and option described as
// --help describes it, the exit statuses.
QString manPage();

// A bash completion script: options from the tables, their values (choices, files, folders)
// as each option's value name says.
QString bashCompletion();

} // namespace app
