#include "tools/Resolve.h"

#include "levelio/LevelFile.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

namespace app {

namespace {

std::optional<qorv::ConflictSide> sideNamed(const QString& name) {
    if (name == u"ours") return qorv::ConflictSide::Ours;
    if (name == u"theirs") return qorv::ConflictSide::Theirs;
    if (name == u"base") return qorv::ConflictSide::Base;
    return std::nullopt;
}

void resolveLevel(const QString& level, qorv::ConflictSide side) {
    const ShownLevel read = readShownLevel(level);
    if (!read.conflicted) return;
    const std::optional<qorv::LevelGrid> resolved = qorv::resolvedLevel(*read.conflicted, side);
    if (!resolved)
        throw qorv::EditorError(
            about(level,
                  "the conflict markers hold no base (git's merge.conflictStyle diff3 writes it)"));
    writeOutputFile(level, qorv::formatLevel(*resolved), {});
}

} // namespace

int runResolve(const Invocation& invocation, Console& console) {
    const std::optional<qorv::ConflictSide> side = sideNamed(invocation.argument);
    if (!side)
        return refuseUsage(QStringLiteral("--resolve takes ours, theirs or base, not %1")
                               .arg(quotedName(invocation.argument)),
                           console);
    int status = 0;
    for (const QString& level : invocation.files) {
        if (const std::optional<std::string> failure =
                failureOf([&] { resolveLevel(level, *side); })) {
            console.complain(*failure);
            status = 1;
        }
    }
    return status;
}

} // namespace app
