#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

namespace wendolarka {

// The program's error: a message for the user and nothing else. Every handler's
// failure travels as one of these and ends up in the common error handler.
class Exception : public std::exception {
public:
    explicit Exception(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace wendolarka
