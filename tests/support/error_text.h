#pragma once

#include "core/exception.h"

#include <QString>

#include <functional>

namespace wendolarka {

// The message of the exception that `action` raises; empty when none.
inline QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.message();
    }
    return {};
}

} // namespace wendolarka
