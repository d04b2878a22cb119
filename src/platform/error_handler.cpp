#include "error_handler.h"

#include "core/exception.h"

namespace wendolarka {

QString exceptionText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Za mało pamięci.");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Nieznany błąd.");
    }
}

void ErrorHandler::showCurrentException() const noexcept {
    try {
        const QString text = exceptionText(std::current_exception());
        m_dialogs.ShowError(text);
    } catch (...) {
        // Showing the error failed as well; there is nobody left to tell.
    }
}

} // namespace wendolarka
