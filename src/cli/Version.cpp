#include "cli/Version.h"

namespace app {

QString versionText() {
    const QString commit = QStringLiteral(QORV_COMMIT);
    return QStringLiteral("QorvEdit " QORV_VERSION) +
           (commit.isEmpty() ? QString() : QStringLiteral(" (commit %1)").arg(commit)) + '\n';
}

int printVersion(const Invocation&, Console& console) {
    console.print(versionText());
    return 0;
}

} // namespace app
