#pragma once
// Binding events to handlers. An error raised by a handler ends it at the failing step;
// here, at the edge of Qt's event dispatch, it is caught and shown in the error box of the
// handler's window, and the editor goes on with the state the handler had reached. No
// exception ever unwinds through a Qt frame.

#include "platform/Dialogs.h"

#include <exception>
#include <type_traits>
#include <utility>

class QWidget;

namespace ui {

// The window whose handler runs, which owns its error box, and the dialogs it received.
struct BoxOwner {
    QWidget& window;
    platform::Dialogs& dialogs;
};

inline void showError(const BoxOwner& owner, const QString& message) {
    owner.dialogs.showError(owner.window, platform::errorBoxText(message));
}

template <class Handler, class... Args>
void runHandler(const BoxOwner& owner, Handler&& handler, Args&&... args) noexcept {
    try {
        std::forward<Handler>(handler)(std::forward<Args>(args)...);
    } catch (const std::exception& error) {
        showError(owner, QString::fromUtf8(error.what()));
    } catch (...) {
        showError(owner, QStringLiteral("Unexpected error"));
    }
}

// A slot that runs `handler` guarded. Arguments the signal sends beyond those the
// handler takes (a button's checked state, say) are dropped, as Qt does for slots.
template <class Handler> auto guarded(BoxOwner owner, Handler handler) {
    return [owner, handler](auto&&... args) {
        if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
            runHandler(owner, handler, std::forward<decltype(args)>(args)...);
        else
            runHandler(owner, handler);
    };
}

} // namespace ui
