#pragma once
// Running a command line in this process, as the program runs it after parsing: through the
// table's dispatch, with standard output and error caught in files of the test's own.

#include "cli/CommandLine.h"
#include "tools/Console.h"
#include "cli/Headless.h"

#include <QStringList>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace qorv::test {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string contentOf(std::FILE* file) {
    std::string text;
    if (!file) return text; // an output that cannot be read back, such as /dev/full
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

// The dispatch finishes the console, which closes `out`: a lost write is seen (or `out` given).
inline Outcome runInProcess(const QStringList& arguments, std::FILE* out = std::tmpfile()) {
    const app::Invocation invocation = app::parseCommandLine(QStringList{"qorvedit"} + arguments);
    const int outCopy = ::dup(::fileno(out));
    std::FILE* err = std::tmpfile();
    app::Console console(out, err);
    const int status = app::runHeadless(invocation, console);
    std::FILE* written = ::fdopen(outCopy, "r");
    return {status, contentOf(written), contentOf(err)};
}

} // namespace qorv::test
