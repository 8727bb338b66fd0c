#include "app/PlatformChoice.h"

namespace app {

PlatformChoice choosePlatform(const QProcessEnvironment& environment) {
    auto value = [&](const char* name) { return environment.value(QString::fromLatin1(name)); };
    // The user's own choice always holds.
    if (!value("QT_QPA_PLATFORM").isEmpty()) return {};
    const bool wayland =
        !value("WAYLAND_DISPLAY").isEmpty() ||
        value("XDG_SESSION_TYPE").compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0;
    if (!wayland) return {};
    if (!value("DISPLAY").isEmpty()) return {QStringLiteral("xcb"), QString()};
    return {QStringLiteral("wayland"),
            QStringLiteral("QorvEdit: running on Wayland without XWayland; window placement is "
                           "up to the compositor.")};
}

void applyPlatformChoice(const PlatformChoice& choice, std::FILE* notices) {
    if (!choice.platform.isEmpty()) qputenv("QT_QPA_PLATFORM", choice.platform.toLatin1());
    if (!choice.notice.isEmpty())
        std::fprintf(notices, "%s\n", choice.notice.toLocal8Bit().constData());
}

} // namespace app
