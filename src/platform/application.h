#pragma once

#include <QApplication>

namespace wendolarka {

class ErrorHandler;

// The application object: nothing thrown by an event handler may unwind through
// the event loop, so whatever escapes one goes to the common error handler.
class TApplication final : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // The application title, used by plain message boxes.
    static void setTitle(const QString& title);
    static QString title();
    void setHelpFile(const QString& fileName) { m_helpFile = fileName; }
    const QString& helpFile() const { return m_helpFile; }

    void setErrorHandler(const ErrorHandler* handler) { m_errorHandler = handler; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    const ErrorHandler* m_errorHandler = nullptr;
    QString m_helpFile;
};

} // namespace wendolarka
