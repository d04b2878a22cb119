#pragma once

#include "dialogs.h"

#include <exception>
#include <utility>

namespace wendolarka {

// The common error handler: a failed command shows its message with one OK
// button and the program carries on.
class ErrorHandler {
public:
    explicit ErrorHandler(IDialogs& dialogs) : m_dialogs(dialogs) {}

    // Shows the exception in flight; call from a catch block.
    void showCurrentException() const noexcept;

    // Runs a command; whatever it throws is shown, never passed on.
    template <typename Command>
    void guard(Command&& command) const noexcept {
        try {
            std::forward<Command>(command)();
        } catch (...) {
            showCurrentException();
        }
    }

private:
    IDialogs& m_dialogs;
};

// The text a user sees for an exception.
QString exceptionText(const std::exception_ptr& error);

} // namespace wendolarka
