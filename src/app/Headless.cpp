#include "app/Headless.h"

#include "app/LevelDiffTools.h"
#include "app/LevelTools.h"
#include "core/IoError.h"

#include <cstdio>

namespace app {

namespace {
void print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}
} // namespace

bool runsHeadless(const Invocation& invocation) {
    return invocation.mode != Invocation::Mode::Edit;
}

int runHeadless(const Invocation& invocation) {
    using Mode = Invocation::Mode;
    switch (invocation.mode) {
    case Mode::Help:
        print(stdout, helpText());
        return 0;
    case Mode::Version:
        print(stdout, versionText());
        return 0;
    case Mode::Usage:
        print(stderr, QStringLiteral("qorvedit: %1\nTry qorvedit --help.\n").arg(invocation.error));
        return 2;
    case Mode::Check:
        return checkLevels(invocation.levels, stdout) ? 0 : 1;
    case Mode::Render: {
        const QString& level = invocation.levels.first();
        const QString sheet =
            invocation.tiles.isEmpty() ? defaultSheetFor(level) : invocation.tiles;
        try {
            renderLevelToPng(level, sheet, invocation.output);
            return 0;
        } catch (const qorv::EditorError& error) {
            print(stderr, QStringLiteral("qorvedit: %1\n").arg(QString::fromUtf8(error.what())));
            return 1;
        }
    }
    case Mode::Diff:
        return runDiff(invocation, stdout, stderr);
    case Mode::TextConv:
        return runTextConv(invocation, stdout, stderr);
    case Mode::Merge:
        return runMerge(invocation, stderr);
    case Mode::Edit:
        break;
    }
    return 1;
}

} // namespace app
