#include "platform/NoDisplay.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

struct Watch {
    std::mutex mutex;
    QtMessageHandler previous = nullptr;
    NoDisplaySaying say = nullptr;
    std::vector<HeldMessage> held;
};

Watch& watch() {
    static Watch state;
    return state;
}

// The variable that names the display the chosen platform connects to.
QString displayVariable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("wayland")) return QStringLiteral("WAYLAND_DISPLAY");
    if (platform.isEmpty() || platform.startsWith("xcb")) {
        const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
        return x11 || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                   ? QStringLiteral("DISPLAY")
                   : QStringLiteral("WAYLAND_DISPLAY");
    }
    return {};
}

void holdBack(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && watch().say) {
        // The only fatal failure while the application is made: no platform would start.
        const QString variable = displayVariable();
        watch().say(variable.isEmpty()
                         ? QStringLiteral("the platform QT_QPA_PLATFORM names cannot start")
                         : variable + QStringLiteral(" names a display that does not answer"));
        std::_Exit(1);
    }
    const std::lock_guard lock(watch().mutex);
    watch().held.push_back({type, QByteArray(context.category), text});
}

} // namespace

DisplayStartWatch::DisplayStartWatch(NoDisplaySaying say) {
    watch().say = say;
    watch().previous = qInstallMessageHandler(holdBack);
}

DisplayStartWatch::~DisplayStartWatch() {
    qInstallMessageHandler(watch().previous);
    const std::lock_guard lock(watch().mutex);
    for (const HeldMessage& message : watch().held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        watch().previous(message.type, context, message.text);
    }
    watch().held.clear();
}

} // namespace platform
