#include "application.h"

#include "error_handler.h"

namespace wendolarka {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TApplication::setTitle(const QString& title) { QCoreApplication::setApplicationName(title); }

QString TApplication::title() { return QCoreApplication::applicationName(); }

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (m_errorHandler)
            m_errorHandler->showCurrentException();
        return false;
    }
}

} // namespace wendolarka
