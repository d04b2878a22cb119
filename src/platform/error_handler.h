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

// A window's control handler: through the error handler when the window has
// one, else directly (a window used on its own, as in tests).
template <typename Command>
void guardOrRun(const ErrorHandler* errors, Command&& command) {
    if (errors)
        errors->guard(std::forward<Command>(command));
    else
        std::forward<Command>(command)();
}

} // namespace wendolarka
