#pragma once

#include "exception.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The Windows-1250 code page: what the database, templates and grid files hold.
// Every byte decodes to one character (the five bytes the code page leaves
// unassigned become the control characters of the same number, as Windows does),
// so bytes survive a round trip. Encoding never replaces: a character outside
// the code page is reported.
namespace wendolarka::cp1250 {

class EUnencodable : public Exception {
public:
    EUnencodable(QChar character, qsizetype position);
    QChar character() const { return m_character; }
    qsizetype position() const { return m_position; }

private:
    QChar m_character;
    qsizetype m_position;
};

QString decode(const char* bytes, qsizetype length);
QString decode(const QByteArray& bytes);
// Decodes onto the end of `text`, for texts gathered into one block.
void appendDecoded(QString& text, const char* bytes, qsizetype length);

// Throws EUnencodable for the first character the code page cannot hold.
QByteArray encode(const QString& text);

// The index of the first character the code page cannot hold, if any.
std::optional<qsizetype> firstUnencodable(const QString& text);

bool canEncode(QChar character);

} // namespace wendolarka::cp1250
