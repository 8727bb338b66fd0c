#pragma once
// The headless tools run in process, as the program runs them after parsing its arguments.

#include "cli/CommandLine.h"
#include "tools/Console.h"

#include <cstdio>

namespace bench {

inline app::Invocation invocation(const QStringList& arguments) {
    return app::parseCommandLine(QStringList{QStringLiteral("qorvedit")} + arguments);
}

// Output into /dev/null through the tools' own console, as the program prints.
struct Sink {
    Sink() : file(std::fopen("/dev/null", "w")), console(file, file) {}
    ~Sink() { std::fclose(file); }
    std::FILE* file;
    app::Console console;
};

} // namespace bench
