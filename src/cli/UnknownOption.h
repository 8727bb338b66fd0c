#pragma once
// An option the table of modes does not know, told before the parser reads the arguments, with
// the nearest one the table knows: "unknown option --chek; did you mean --check?".

#include <QString>
#include <QStringList>

namespace app {

// The message about the first option of `arguments` (the program's name first) that no row of
// the tables names; empty when every option is known. Values of options are not options, and
// nothing after "--" is one.
QString unknownOption(const QStringList& arguments);

} // namespace app
