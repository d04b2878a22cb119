// The .ods reader: content.xml's tables, their repeated rows and cells, and
// the values as a spreadsheet shows them.
#include "lists/spreadsheet_ods.h"

#include "lists/spreadsheet_number_format.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace wendolarka::lists::spreadsheet {
namespace {

constexpr QLatin1StringView kOfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QLatin1StringView kTableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView kTextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");


const QString kOdsContent = QStringLiteral("content.xml");

bool isXmlSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

qint64 repeatCount(const QXmlStreamAttributes& attributes, QLatin1StringView name) {
    bool ok = false;
    const qint64 count = attributes.value(kTableNs, name).toLongLong(&ok);
    return ok && count > 1 ? std::min(count, qint64(1) << 30) : 1;
}

// Enters the next child element with this name, skipping others; false at the parent's end.
bool enterChild(QXmlStreamReader& xml, QLatin1StringView ns, QStringView name) {
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == ns && xml.name() == name)
            return true;
        xml.skipCurrentElement();
    }
    return false;
}

// Calls `onTable` on each sheet's table element in tab order; it must read the
// element to its end and returns false to stop.
template <class F>
void forEachOdsTable(QXmlStreamReader& xml, const TPlace& place, F onTable) {
    if (!xml.readNextStartElement() || xml.namespaceUri() != kOfficeNs || xml.name() != u"document-content") {
        // A reader stopped by damage is reported by the package.
        if (xml.hasError())
            return;
        place.fail(QStringLiteral("to nie jest arkusz OpenDocument (%1 nie zawiera dokumentu)").arg(kOdsContent));
    }
    if (!enterChild(xml, kOfficeNs, u"body") || !enterChild(xml, kOfficeNs, u"spreadsheet"))
        return;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == kTableNs && xml.name() == u"table") {
            if (!onTable())
                return;
        } else {
            xml.skipCurrentElement();
        }
    }
}

class TOdsSheetReader {
public:
    TOdsSheetReader(QXmlStreamReader& xml, const TPlace& place) : m_xml(xml), m_place(place), m_rows(place) {}

    // A run of text too long to read: in a cell, that cell's; elsewhere, after the last cell.
    void refuseLongRun() const {
        if (!m_cell)
            return;
        const auto [column, row] = *m_cell;
        if (m_inCell)
            m_place.failAt(column, row, QStringLiteral("tekst komórki jest dłuższy niż %1 znaków").arg(kMaxCellChars));
        m_place.failAt(column, row,
                       QStringLiteral("za nią część %1 ma tekst poza komórkami dłuższy niż %2 znaków, plik jest uszkodzony")
                           .arg(kOdsContent)
                           .arg(kMaxCellChars));
    }

    // Reads the table element the reader is on, to its end.
    TListTable read() {
        int depth = 0;
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (m_xml.namespaceUri() == kTableNs) {
                    if (m_xml.name() == u"table-row") {
                        readRow();
                        continue;
                    }
                    // Rows may sit in header, plain and (nested) group wrappers.
                    if (m_xml.name() == u"table-header-rows" || m_xml.name() == u"table-rows" ||
                        m_xml.name() == u"table-row-group") {
                        ++depth;
                        continue;
                    }
                }
                m_xml.skipCurrentElement();
            } else if (token == QXmlStreamReader::EndElement) {
                if (depth == 0)
                    break;
                --depth;
            }
        }
        return m_rows.take();
    }

private:
    void readRow() {
        const qint64 repeat = repeatCount(m_xml.attributes(), QLatin1StringView("number-rows-repeated"));
        QStringList cells;
        // Empty cells are only counted: LibreOffice ends rows with a thousand of them,
        // and they become cells only when text follows.
        qint64 pendingEmpty = 0;
        while (m_xml.readNextStartElement()) {
            const bool covered = m_xml.name() == u"covered-table-cell";
            if (m_xml.namespaceUri() != kTableNs || (!covered && m_xml.name() != u"table-cell")) {
                m_xml.skipCurrentElement();
                continue;
            }
            const qint64 columns = repeatCount(m_xml.attributes(), QLatin1StringView("number-columns-repeated"));
            const qint64 column = cells.size() + pendingEmpty;
            QString text;
            m_cell = {column, m_row};
            m_inCell = true;
            // A merged cell's text is in its first cell; what hides under the merge is not shown.
            if (covered)
                m_xml.skipCurrentElement();
            else
                text = readCell(column);
            if (m_xml.hasError())
                return;
            m_inCell = false;
            if (text.isEmpty()) {
                pendingEmpty = std::min(pendingEmpty + columns, qint64(1) << 40);
                continue;
            }
            // A repeat reaching past the last column is named by the first cell that does not fit.
            const bool fits = column + columns <= kMaxListColumns;
            checkCellText(text, fits ? column : std::max(column, qint64(kMaxListColumns)), m_row, m_place);
            for (; pendingEmpty > 0; --pendingEmpty)
                cells.append(QString());
            for (qint64 i = 0; i < columns; ++i)
                cells.append(text);
        }
        if (m_xml.hasError())
            return;
        if (cells.isEmpty()) {
            m_row = std::min(m_row + repeat, kMaxRowNumber + 1);
            return;
        }
        for (qint64 i = 0; i < repeat; ++i)
            m_rows.add(cells, m_row++);
    }

    // The cell's text as shown; the reader is on the cell's start tag and ends on its end tag.
    QString readCell(qint64 column) {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QString type = attributes.value(kOfficeNs, QLatin1StringView("value-type")).toString();
        QString shown;
        int paragraphs = 0;
        while (m_xml.readNextStartElement()) {
            if (m_xml.namespaceUri() == kTextNs && (m_xml.name() == u"p" || m_xml.name() == u"h")) {
                if (paragraphs++ > 0)
                    shown += u'\n';
                readParagraph(shown, column);
            } else {
                // Comments (office:annotation), pictures and the like are no part of the text.
                m_xml.skipCurrentElement();
            }
        }
        if (type == u"date") {
            const QString value = attributes.value(kOfficeNs, QLatin1StringView("date-value")).toString();
            const QDate date = QDate::fromString(value.left(value.indexOf(u'T')), Qt::ISODate);
            if (date.isValid() && date.year() >= 1 && date.year() <= 9999)
                return isoDate(date);
            return shown;
        }
        if (!shown.isEmpty())
            return shown;
        // Files written by other programs may give the value alone.
        if (type == u"float" || type == u"currency" || type == u"percentage") {
            bool ok = false;
            const double number = attributes.value(kOfficeNs, QLatin1StringView("value")).toDouble(&ok);
            if (!ok || !std::isfinite(number))
                return {};
            return type == u"percentage" ? formatNumber(number * 100) + QChar(u'%') : formatNumber(number);
        }
        if (type == u"boolean") {
            const QStringView value = attributes.value(kOfficeNs, QLatin1StringView("boolean-value"));
            return value == u"true" ? trueText() : value == u"false" ? falseText() : QString();
        }
        if (type == u"string")
            return attributes.value(kOfficeNs, QLatin1StringView("string-value")).toString();
        return {};
    }

    // Appends a paragraph's text: runs of white space in the XML are one space
    // (none at the start or end), <text:s/> spaces, tabs and line breaks are kept.
    void readParagraph(QString& text, qint64 column) {
        const qsizetype start = text.size();
        bool afterSpace = true;
        bool collapsedAtEnd = false;
        int depth = 0;
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::Characters) {
                // Runs without white space are copied whole.
                const QStringView chars = m_xml.text();
                qsizetype run = 0;
                for (qsizetype i = 0; i <= chars.size(); ++i) {
                    if (i < chars.size() && !isXmlSpace(chars[i]))
                        continue;
                    if (i > run) {
                        text += chars.mid(run, i - run);
                        afterSpace = collapsedAtEnd = false;
                    }
                    if (i < chars.size() && !afterSpace) {
                        text += u' ';
                        afterSpace = collapsedAtEnd = true;
                    }
                    run = i + 1;
                }
            } else if (token == QXmlStreamReader::StartElement) {
                const bool inText = m_xml.namespaceUri() == kTextNs;
                if (inText && m_xml.name() == u"s") {
                    bool ok = false;
                    const qint64 count = m_xml.attributes().value(kTextNs, QLatin1StringView("c")).toLongLong(&ok);
                    text += QString(ok ? qBound(qint64(0), count, qint64(kMaxCellChars) + 1) : 1, u' ');
                } else if (inText && m_xml.name() == u"tab") {
                    text += u'\t';
                } else if (inText && m_xml.name() == u"line-break") {
                    text += u'\n';
                } else if ((inText && m_xml.name() == u"note") ||
                           (m_xml.namespaceUri() == kOfficeNs && m_xml.name() == u"annotation")) {
                    // Footnotes and comments are not the cell's text.
                } else {
                    // Spans, links and fields: their text is the paragraph's.
                    ++depth;
                    continue;
                }
                afterSpace = collapsedAtEnd = false;
                m_xml.skipCurrentElement();
            } else if (token == QXmlStreamReader::EndElement) {
                if (depth == 0)
                    break;
                --depth;
            }
            if (text.size() > kMaxCellChars)
                checkCellText(text, column, m_row, m_place);
        }
        if (collapsedAtEnd && text.size() > start)
            text.chop(1);
    }

    QXmlStreamReader& m_xml;
    const TPlace& m_place;
    TRowCollector m_rows;
    qint64 m_row = 1;
    // The last cell whose start the reader has passed (column, row), and whether it is still in it.
    std::optional<std::pair<qint64, qint64>> m_cell;
    bool m_inCell = false;
};

QString odsTableName(const QXmlStreamReader& xml, qsizetype index) {
    const QString name = xml.attributes().value(kTableNs, QLatin1StringView("name")).toString();
    return name.isEmpty() ? QStringLiteral("Arkusz%1").arg(index + 1) : name;
}

// Gives `read` the reader on content.xml.
void parseOdsContent(TPackage& package, const TPlace& place, const std::function<void(QXmlStreamReader&)>& read,
                     const std::function<void()>& refuseLongRun = {}) {
    // A password-protected document keeps its parts encrypted; say so rather than "damaged".
    bool encrypted = false;
    package.parse(QStringLiteral("META-INF/manifest.xml"), [&](QXmlStreamReader& xml) {
        while (!encrypted && !xml.atEnd())
            encrypted = xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"encryption-data";
    });
    if (encrypted)
        place.fail(QStringLiteral("arkusz jest zaszyfrowany hasłem, zapisz go bez hasła"));
    if (!package.parse(kOdsContent, read, refuseLongRun))
        place.fail(QStringLiteral("to nie jest arkusz .ods (brak części %1)").arg(kOdsContent));
}

} // namespace

QStringList odsSheetNames(TPackage& package, const TPlace& place) {
    QStringList names;
    parseOdsContent(package, place, [&](QXmlStreamReader& xml) {
        forEachOdsTable(xml, place, [&] {
            names.append(odsTableName(xml, names.size()));
            xml.skipCurrentElement();
            return true;
        });
    });
    return names;
}

TListTable readOds(TPackage& package, int sheetIndex, TPlace& place) {
    std::optional<TListTable> table;
    std::optional<TOdsSheetReader> reader;
    qsizetype count = 0;
    parseOdsContent(
        package, place,
        [&](QXmlStreamReader& xml) {
            forEachOdsTable(xml, place, [&] {
                if (count++ != sheetIndex) {
                    xml.skipCurrentElement();
                    return true;
                }
                place.sheet = odsTableName(xml, count - 1);
                table = reader.emplace(xml, place).read();
                return false;
            });
        },
        [&] {
            if (reader)
                reader->refuseLongRun();
        });
    if (!table)
        checkSheetIndex(count, sheetIndex, place);
    return table ? *std::move(table) : TListTable{};
}

} // namespace wendolarka::lists::spreadsheet
