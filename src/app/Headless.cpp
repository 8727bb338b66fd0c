#include "app/Headless.h"

#include "app/Console.h"
#include "app/LevelDiffTools.h"
#include "app/LevelTools.h"
#include "app/MapTools.h"
#include "storage/IoError.h"

namespace app {

namespace {

constexpr int UsageError = 2;

int run(const Invocation& invocation, Console& console) {
    using Mode = Invocation::Mode;
    switch (invocation.mode) {
    case Mode::Help:
        console.print(helpText());
        return 0;
    case Mode::Version:
        console.print(versionText());
        return 0;
    case Mode::Usage:
        console.complain(invocation.error + QStringLiteral("\nTry qorvedit --help."));
        return UsageError;
    case Mode::Check:
        return checkLevels(invocation.levels, console) ? 0 : 1;
    case Mode::Render: {
        const QString& level = invocation.levels.first();
        const QString sheet =
            invocation.tiles.isEmpty() ? defaultSheetFor(level) : invocation.tiles;
        try {
            renderLevelToImage(level, sheet, invocation.output);
            return 0;
        } catch (const qorv::EditorError& error) {
            console.complain(QString::fromUtf8(error.what()));
            return 1;
        }
    }
    case Mode::RenderMany:
    case Mode::Export:
    case Mode::Import:
        return runMapTool(invocation, console);
    case Mode::Diff:
        return runDiff(invocation, console);
    case Mode::TextConv:
        return runTextConv(invocation, console);
    case Mode::Merge:
        return runMerge(invocation, console);
    case Mode::Edit:
        break;
    }
    return 1;
}

// For the comparisons, as for diff(1), 1 means "they differ": output that never arrived is
// trouble, 2, like a wrong argument.
int statusForLostOutput(Invocation::Mode mode) {
    using Mode = Invocation::Mode;
    return mode == Mode::Diff || mode == Mode::TextConv || mode == Mode::Merge ? 2 : 1;
}

} // namespace

bool runsHeadless(const Invocation& invocation) {
    return invocation.mode != Invocation::Mode::Edit;
}

int runHeadless(const Invocation& invocation) {
    Console console;
    return console.finish(run(invocation, console), statusForLostOutput(invocation.mode));
}

} // namespace app
