#include "app/Headless.h"

#include "app/Console.h"
#include "app/Reporting.h"

namespace app {

int refuseUsage(const QString& problem, Console& console) {
    console.complain(problem + QStringLiteral("\nTry qorvedit --help."));
    return UsageStatus;
}

bool runsHeadless(const Invocation& invocation) {
    return invocation.mode != nullptr || !invocation.error.isEmpty();
}

int runHeadless(const Invocation& invocation) {
    Console console;
    return runHeadless(invocation, console);
}

int runHeadless(const Invocation& invocation, Console& console) {
    if (!invocation.mode) return console.finish(refuseUsage(invocation.error, console));
    const CommandMode& mode = *invocation.mode;
    int status = mode.failed;
    if (const std::optional<std::string> failure =
            failureOf([&] { status = mode.run(invocation, console); }))
        console.complain(*failure);
    return console.finish(status, mode.lostOutput);
}

} // namespace app
