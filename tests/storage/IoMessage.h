#pragma once
// What a file operation's IoError says: the message the editor would show, and its code.

#include "errors/IoError.h"

#include <functional>
#include <optional>
#include <string>

namespace qorv::test {

// The message of the IoError `action` throws; "" when it succeeds.
inline std::string ioMessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const IoError& e) {
        return e.what();
    }
    return "";
}

// The code of the IoError `action` throws; nothing when it succeeds.
inline std::optional<IoCode> ioCodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const IoError& e) {
        return e.code();
    }
    return std::nullopt;
}

} // namespace qorv::test
