#include "tools/Usage.h"

#include "tools/Console.h"

namespace app {

int refuseUsage(const QString& problem, Console& console) {
    console.complain(problem + QStringLiteral("\nTry qorvedit --help."));
    return UsageStatus;
}

} // namespace app
