#pragma once
// Binding events to handlers. An error raised by a handler ends it at the failing step;
// here, at the edge of Qt's event dispatch, it is caught and shown in the error box, and
// the editor goes on with the state the handler had reached. No exception ever unwinds
// through a Qt frame.

#include "platform/Platform.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace ui {

template <class Handler, class... Args>
void runHandler(Handler&& handler, Args&&... args) noexcept {
    try {
        std::forward<Handler>(handler)(std::forward<Args>(args)...);
    } catch (const std::exception& error) {
        platform::showErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        platform::showErrorBox(QStringLiteral("Unexpected error"));
    }
}

// A slot that runs `handler` guarded. Arguments the signal sends beyond those the
// handler takes (a button's checked state, say) are dropped, as Qt does for slots.
template <class Handler> auto guarded(Handler handler) {
    return [handler](auto&&... args) {
        if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
            runHandler(handler, std::forward<decltype(args)>(args)...);
        else
            runHandler(handler);
    };
}

} // namespace ui
