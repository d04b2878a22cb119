#pragma once

#include "lists/list_table.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>

namespace wendolarka::lists {

// How the bytes of a text list become characters. Auto tells UTF-8 from
// Windows-1250 by the bytes; ISO-8859-2 cannot be told from Windows-1250 that
// way, so it is read only when asked for.
enum class TListEncoding { Auto, Utf8, Windows1250, Iso8859_2 };

struct TDelimitedOptions {
    TListEncoding encoding = TListEncoding::Auto;
    QChar delimiter; // null: detected from ';', ',' and tab
};

// A list as read, with the encoding and delimiter that were used (never Auto or null).
struct TDelimitedList {
    TListTable table;
    TListEncoding encoding = TListEncoding::Windows1250;
    QChar delimiter;
};

// Reads a delimited text list (CSV as spreadsheets write it: RFC 4180 quoting,
// any line ends, a UTF-8 byte order mark) into rows. Empty lines are no rows, but
// every row keeps the physical line it starts on. A quote inside an unquoted
// field, or text after a closing quote, is taken literally; a line break inside
// quotes becomes "\n". Throws EListFile, naming `fileName` and the line, for a
// list that cannot be read or breaks one of the bounds in list_table.h.
TDelimitedList readDelimitedList(const QByteArray& bytes, const TDelimitedOptions& options, const QString& fileName);

// The same for a file on disk; a missing, unreadable or oversized file is an
// EListFile naming the file and the cause.
TDelimitedList readDelimitedListFile(const QString& fileName, const TDelimitedOptions& options);

// Names for the command line and settings: "auto", "utf-8", "windows-1250",
// "iso-8859-2" (case does not matter); nullopt for anything else.
std::optional<TListEncoding> parseListEncoding(const QString& name);
QString listEncodingName(TListEncoding encoding);
// The name a dialog shows: "UTF-8", "Windows-1250", "ISO-8859-2", or that it is detected.
QString listEncodingDisplayName(TListEncoding encoding);

// "auto" gives a null QChar (detect); ";", ",", "tab" (or a tab character) give
// that delimiter; nullopt for anything else.
std::optional<QChar> parseListDelimiter(const QString& name);
QString listDelimiterName(QChar delimiter);

} // namespace wendolarka::lists
