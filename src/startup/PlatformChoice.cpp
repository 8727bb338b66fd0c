#include "startup/PlatformChoice.h"

#include "text/Message.h"

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
            QString::fromUtf8(qorv::text::ProgramPrefix) +
                QStringLiteral("running on Wayland without XWayland; window placement is up to "
                               "the compositor.")};
}

bool displayFound(const QProcessEnvironment& environment) {
    auto set = [&](const char* name) {
        return !environment.value(QString::fromLatin1(name)).isEmpty();
    };
    const QString chosen = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (chosen.startsWith(QStringLiteral("xcb"))) return set("DISPLAY");
    if (!chosen.isEmpty()) return true; // offscreen, vnc, wayland...: Qt's own to judge
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

void applyPlatformChoice(const PlatformChoice& choice, std::FILE* notices) {
    if (!choice.platform.isEmpty()) qputenv("QT_QPA_PLATFORM", choice.platform.toLatin1());
    if (!choice.notice.isEmpty())
        std::fprintf(notices, "%s\n", choice.notice.toLocal8Bit().constData());
}

} // namespace app
