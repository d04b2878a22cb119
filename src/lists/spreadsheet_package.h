#pragma once

// What the .xlsx and .ods readers share: the zip read part by part within a
// budget, where a message points, and the rows with the checks every sheet
// makes. Internal to the spreadsheet readers.

#include "lists/list_table.h"

#include <quazip/quazip.h>

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <functional>

namespace wendolarka::lists::spreadsheet {

// Repeated cells turn a few bytes into any number of cells; this is what a list
// may cost once read, counting the empty cells that keep columns in place.
inline constexpr qint64 kMaxSheetCells = qint64(8) * 1024 * 1024;
// No spreadsheet program makes rows beyond this.
inline constexpr qint64 kMaxRowNumber = qint64(1) << 24;
// XFD, the last column a cell reference can name.
inline constexpr qint64 kMaxReferenceColumn = 16384;
// Excel's own limit on cell formats; more are not looked at.
inline constexpr std::size_t kMaxCellFormats = 65536;
// Excel writes a character XML cannot hold as _xHHHH_, seven for one: text read
// before those are decoded may be this much longer than a cell's.
inline constexpr qsizetype kMaxRawCellChars = 7 * kMaxCellChars;
// A workbook's shared strings: one for each cell a sheet may have, and in all
// what a large real list holds many times over.
inline constexpr qsizetype kMaxSharedStrings = kMaxSheetCells;
inline constexpr qsizetype kMaxSharedChars = qsizetype(16) * 1024 * 1024;

// A text as a message quotes it: cut at 60 characters with an ellipsis.
QString elided(QStringView text);
// A column's letters as in a cell reference: 0 is A, 26 is AA.
QString columnLetters(qint64 column);
// Polish plural: 1 arkusz, 2–4 arkusze (but 12–14 arkuszy), 5 arkuszy.
QString counted(qint64 n, const QString& one, const QString& few, const QString& many);

inline QString trueText() { return QStringLiteral("PRAWDA"); }
inline QString falseText() { return QStringLiteral("FAŁSZ"); }

// Where a message points: the file, then the sheet once it is known, then the cell.
struct TPlace {
    QString file;
    QString sheet;

    QString prefix() const {
        return sheet.isNull() ? QStringLiteral("Plik %1").arg(file)
                              : QStringLiteral("Plik %1, arkusz „%2”").arg(file, elided(sheet));
    }
    [[noreturn]] void fail(const QString& what) const { throw EListFile(prefix() + QStringLiteral(": ") + what + u'.'); }
    [[noreturn]] void failAt(qint64 column, qint64 row, const QString& what) const {
        throw EListFile(QStringLiteral("%1, komórka %2: %3.")
                            .arg(prefix(), columnLetters(column) + QString::number(row), what));
    }
    [[noreturn]] void failXml(const QXmlStreamReader& xml, const QString& part) const {
        fail(QStringLiteral("część %1 nie jest poprawnym XML (wiersz %2, kolumna %3); plik jest uszkodzony")
                 .arg(part, QString::number(xml.lineNumber()), QString::number(xml.columnNumber())));
    }
    void checkXml(const QXmlStreamReader& xml, const QString& part) const {
        if (xml.hasError())
            failXml(xml, part);
    }
};

// Refuses a sheet number the workbook does not have, saying how many it has.
void checkSheetIndex(qsizetype count, int index, const TPlace& place);

// The zip, with a budget for everything unpacked from it.
class TPackage {
public:
    TPackage(QIODevice& device, const TPlace& place);

    // Gives `read` an XML reader on the part; false when the zip has no such part.
    // Whatever stopped the reader, the message names the first cause: the budget,
    // damage to the zip, a run of text too long to read, then bad XML. For the
    // long run `refuseLongRun` may throw a message that names the cell it is in.
    bool parse(const QString& part, const std::function<void(QXmlStreamReader&)>& read,
               const std::function<void()>& refuseLongRun = {});

private:
    [[noreturn]] void damaged(const QString& part) const;

    QuaZip m_zip;
    const TPlace& m_place;
    qint64 m_unpacked = 0;
};

// Rows as they are read, with the checks every sheet shares.
class TRowCollector {
public:
    explicit TRowCollector(const TPlace& place) : m_place(place) {}

    void add(const QStringList& cells, qint64 row) {
        if (row > kMaxRowNumber)
            m_place.failAt(0, row, QStringLiteral("wiersz leży poza arkuszem"));
        if (qsizetype(m_table.rows.size()) >= kMaxListRows)
            m_place.fail(QStringLiteral("lista może mieć najwyżej %1 wierszy").arg(kMaxListRows));
        m_cells += cells.size();
        if (m_cells > kMaxSheetCells)
            m_place.fail(QStringLiteral("arkusz ma ponad %1 komórek, to nie może być lista osób").arg(kMaxSheetCells));
        m_table.rows.push_back({int(row), cells});
    }

    TListTable take() { return std::move(m_table); }

private:
    const TPlace& m_place;
    TListTable m_table;
    qint64 m_cells = 0;
};

// Refuses a cell past the last column a list may have or with too long a text.
void checkCellText(const QString& text, qint64 column, qint64 row, const TPlace& place);

} // namespace wendolarka::lists::spreadsheet
