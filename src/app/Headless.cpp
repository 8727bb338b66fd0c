#include "app/Headless.h"

#include "app/Console.h"
#include "app/Reporting.h"

namespace app {

bool runsHeadless(const Invocation& invocation) {
    return invocation.mode != nullptr || !invocation.error.isEmpty();
}

int runHeadless(const Invocation& invocation) {
    Console console;
    return runHeadless(invocation, console);
}

int runHeadless(const Invocation& invocation, Console& console) {
    if (!invocation.mode) {
        console.complain(invocation.error + QStringLiteral("\nTry qorvedit --help."));
        return console.finish(UsageStatus);
    }
    const CommandMode& mode = *invocation.mode;
    int status = mode.failed;
    if (const std::optional<std::string> failure =
            failureOf([&] { status = mode.run(invocation, console); }))
        console.complain(*failure);
    return console.finish(status, mode.lostOutput);
}

} // namespace app
