#pragma once
// File names in the headless tools' messages. A name may hold any byte but '/' and NUL: a
// newline in it would forge a line of --check's report, an escape sequence would reach the
// terminal. Such names are printed as GNU ls --quoting-style=shell-escape prints them, so a
// failing file is always one line, and a shell reads the quoted form back as the name.

#include <QByteArray>
#include <QString>

namespace app {

// The name as it is when every character is printable text; otherwise the whole name in
// shell quotes, with control characters and bytes that are no UTF-8 as $'\n', $'\033'.
QString quotedName(const QByteArray& name);

// The same for a name the program holds as text (its bytes are the file name's bytes).
QString quotedName(const QString& name);

} // namespace app
