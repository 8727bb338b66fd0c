#include "cli/Headless.h"

#include "cli/CommandModes.h"
#include "tools/Console.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

namespace app {

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
    const OutputRun run;
    console.setQuiet(invocation.given(Extra::Quiet));
    int status = mode.failed;
    if (const std::optional<std::string> failure =
            failureOf([&] { status = mode.run(invocation, console); }))
        console.complain(*failure);
    return console.finish(status, mode.lostOutput);
}

} // namespace app
