#include "cli/Help.h"

#include "cli/CommandLineText.h"

#include <QCommandLineParser>

namespace app {

QString helpText() {
    QCommandLineParser parser;
    describe(parser);
    // The parser names the program after the application object, which the command line
    // does not make ("<executable_name>" without one): the help names the command.
    QString text = parser.helpText();
    const qsizetype name = text.indexOf(' ') + 1;
    return text.replace(name, text.indexOf(' ', name) - name, QStringLiteral("qorvedit"));
}

int printHelp(const Invocation&, Console& console) {
    console.print(helpText());
    return 0;
}

} // namespace app
