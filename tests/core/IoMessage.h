#pragma once
// The message the editor would show for a file operation: what its IoError says.

#include "core/IoError.h"

#include <functional>
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

} // namespace qorv::test
