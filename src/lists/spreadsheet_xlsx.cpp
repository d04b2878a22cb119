// The .xlsx reader: the workbook's sheets, shared strings and number formats,
// and one sheet's cells as rows.
#include "lists/spreadsheet_xlsx.h"

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

// Excel writes characters XML cannot hold as _xHHHH_ (and a literal "_x" as _x005F_x).
QString decodeEscapes(const QString& text) {
    if (!text.contains(QStringLiteral("_x")))
        return text;
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        bool ok = false;
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                decoded += QChar(char16_t(code));
                i += 7;
                continue;
            }
        }
        decoded += text[i++];
    }
    return decoded;
}

// Appends the text of the element the reader is on, child elements skipped, and
// leaves the reader on its end tag. `refuse` must throw: it is called as soon as
// the text is longer than `limit`, so no element holds more than a cell could.
void appendElementText(QXmlStreamReader& xml, QString& text, qsizetype limit, const std::function<void()>& refuse) {
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::EntityReference) {
            text += xml.text();
            if (text.size() > limit)
                refuse();
        } else if (token == QXmlStreamReader::StartElement) {
            xml.skipCurrentElement();
        } else if (token == QXmlStreamReader::EndElement) {
            break;
        }
    }
}

// The text of a string item (<si> or <is>): plain <t>, or the <t> of every rich
// text run; phonetic guides are not part of the text. Leaves the reader on the end
// tag; `refuse` throws once the text is longer than a cell may be.
QString readStringItem(QXmlStreamReader& xml, const std::function<void()>& refuse) {
    QString text;
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"t") {
                appendElementText(xml, text, kMaxRawCellChars, refuse);
            } else if (xml.name() == u"rPh" || xml.name() == u"phoneticPr") {
                xml.skipCurrentElement();
            } else {
                ++depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 0)
                break;
            --depth;
        }
    }
    text = decodeEscapes(text);
    if (text.size() > kMaxCellChars)
        refuse();
    return text;
}

// A workbook's shared strings as one text and where each ends: a QString apiece
// costs some fifty bytes even for a single letter, and a hostile file holds
// millions of them.
class TSharedStrings {
public:
    qsizetype size() const { return qsizetype(m_ends.size()); }
    qsizetype chars() const { return m_text.size(); }
    void append(const QString& text) {
        m_text += text;
        m_ends.push_back(quint32(m_text.size()));
    }

    // Short strings are made afresh for each cell, at about what the cell costs
    // anyway; a long one is made once and shared by every cell that shows it.
    QString at(qsizetype index) {
        constexpr qsizetype kMadeAfresh = 32;
        const qsizetype start = index == 0 ? 0 : qsizetype(m_ends[std::size_t(index) - 1]);
        const qsizetype size = qsizetype(m_ends[std::size_t(index)]) - start;
        if (size <= kMadeAfresh)
            return m_text.mid(start, size);
        QString& made = m_made[index];
        if (made.isNull())
            made = m_text.mid(start, size);
        return made;
    }

private:
    QString m_text;
    std::vector<quint32> m_ends;
    QHash<qsizetype, QString> m_made;
};

QString partDirectory(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

// A relationship target made a part name: relative to the source's folder unless
// it starts with '/', with "." and ".." resolved.
QString resolveTarget(const QString& directory, const QString& target) {
    const QString path = target.startsWith(u'/') ? target : directory + u'/' + target;
    QStringList parts;
    for (const QString& segment : path.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (segment != u".") {
            parts.append(segment);
        }
    }
    return parts.join(u'/');
}

struct TRelation {
    QString type;
    QString part;
};

// The relationships of `source` ("" for the package itself), by id; none when the part is missing.
QHash<QString, TRelation> readRelations(TPackage& package, const QString& source) {
    const QString directory = partDirectory(source);
    const QString relsPart = (directory.isEmpty() ? QString() : directory + u'/') + QStringLiteral("_rels/") +
                             source.mid(directory.isEmpty() ? 0 : directory.size() + 1) + QStringLiteral(".rels");
    QHash<QString, TRelation> relations;
    package.parse(relsPart, [&](QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.value(QLatin1StringView("TargetMode")).compare(u"External", Qt::CaseInsensitive) == 0)
                continue;
            relations.insert(attributes.value(QLatin1StringView("Id")).toString(),
                             {attributes.value(QLatin1StringView("Type")).toString(),
                              resolveTarget(directory, attributes.value(QLatin1StringView("Target")).toString())});
        }
    });
    return relations;
}

QString relatedPart(const QHash<QString, TRelation>& relations, QStringView typeEnding, const QString& fallback) {
    for (const TRelation& relation : relations)
        if (relation.type.endsWith(typeEnding))
            return relation.part;
    return fallback;
}

struct TWorkbook {
    QStringList names;
    QStringList parts; // empty where the workbook names no part for a sheet
    QString sharedStrings;
    QString styles;
    bool date1904 = false;
};

TWorkbook readWorkbook(TPackage& package, const TPlace& place) {
    const QString workbookPart = relatedPart(readRelations(package, QString()), u"/officeDocument",
                                             QStringLiteral("xl/workbook.xml"));
    const QHash<QString, TRelation> relations = readRelations(package, workbookPart);
    const QString directory = partDirectory(workbookPart);

    TWorkbook workbook;
    workbook.sharedStrings = relatedPart(relations, u"/sharedStrings", resolveTarget(directory, QStringLiteral("sharedStrings.xml")));
    workbook.styles = relatedPart(relations, u"/styles", resolveTarget(directory, QStringLiteral("styles.xml")));
    const bool found = package.parse(workbookPart, [&](QXmlStreamReader& xml) {
        bool inSheets = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"sheets")
                inSheets = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == u"workbookPr") {
                const QStringView value = attributes.value(QLatin1StringView("date1904"));
                workbook.date1904 = value == u"1" || value.compare(u"true", Qt::CaseInsensitive) == 0;
            } else if (xml.name() == u"sheets") {
                inSheets = true;
            } else if (inSheets && xml.name() == u"sheet") {
                QString id;
                for (const QXmlStreamAttribute& attribute : attributes)
                    if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                        id = attribute.value().toString();
                workbook.names.append(attributes.value(QLatin1StringView("name")).toString());
                const auto relation = relations.constFind(id);
                workbook.parts.append(relation == relations.constEnd() ? QString() : relation->part);
            }
        }
    });
    if (!found)
        place.fail(QStringLiteral("to nie jest skoroszyt .xlsx (brak części %1)").arg(workbookPart));
    return workbook;
}

TSharedStrings readSharedStrings(TPackage& package, const QString& part, const TPlace& place) {
    TSharedStrings strings;
    bool inItem = false;
    const auto refuseItem = [&] {
        place.fail(QStringLiteral("tekst nr %1 w części %2 jest dłuższy niż %3 znaków")
                       .arg(QString::number(strings.size() + 1), part, QString::number(kMaxCellChars)));
    };
    package.parse(
        part,
        [&](QXmlStreamReader& xml) {
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"si")
                    continue;
                if (strings.size() >= kMaxSharedStrings)
                    place.fail(QStringLiteral("ma ponad %1 różnych tekstów, to nie może być lista osób").arg(kMaxSharedStrings));
                inItem = true;
                const QString text = readStringItem(xml, refuseItem);
                if (xml.hasError())
                    return;
                inItem = false;
                if (strings.chars() + text.size() > kMaxSharedChars)
                    place.fail(QStringLiteral("wspólne teksty skoroszytu mają razem ponad %1 znaków, to nie może być lista osób")
                                   .arg(kMaxSharedChars));
                strings.append(text);
            }
        },
        [&] {
            if (inItem)
                refuseItem();
        });
    return strings;
}

// What each cell format (the cell's "s") shows a number and a text as.
class TCellFormats {
public:
    TCellFormats() : m_formats(1) {}

    void add(const TNumberFormat& format) { m_formats.push_back(format); }
    void setStyles(std::vector<quint32> styles) { m_ofStyle = std::move(styles); }
    qsizetype count() const { return qsizetype(m_formats.size()); }
    const TNumberFormat& of(qsizetype style) const {
        return style >= 0 && std::size_t(style) < m_ofStyle.size() ? m_formats[m_ofStyle[std::size_t(style)]] : m_formats[0];
    }

private:
    std::vector<TNumberFormat> m_formats; // the first is General
    std::vector<quint32> m_ofStyle;
};

TCellFormats readCellFormats(TPackage& package, const QString& part) {
    QHash<int, TNumberFormat> custom;
    std::vector<int> formatIds;
    qsizetype shaped = 0;
    package.parse(part, [&](QXmlStreamReader& xml) {
        bool inCellFormats = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
                inCellFormats = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == u"numFmt" && std::size_t(custom.size()) < kMaxCellFormats) {
                custom.insert(attributes.value(QLatin1StringView("numFmtId")).toInt(),
                              numberFormat(attributes.value(QLatin1StringView("formatCode")), shaped++ < kMaxShapedFormats));
            } else if (xml.name() == u"cellXfs") {
                inCellFormats = true;
            } else if (inCellFormats && xml.name() == u"xf" && formatIds.size() < kMaxCellFormats) {
                formatIds.push_back(attributes.value(QLatin1StringView("numFmtId")).toInt());
            }
        }
    });
    // Formats the file defines itself win, also over a built-in number; each is kept once.
    TCellFormats formats;
    QHash<int, quint32> indexOfId;
    std::vector<quint32> styles;
    styles.reserve(formatIds.size());
    for (int id : formatIds) {
        auto index = indexOfId.constFind(id);
        if (index == indexOfId.constEnd()) {
            const auto own = custom.constFind(id);
            formats.add(own != custom.constEnd() ? *own : builtinNumberFormat(id));
            index = indexOfId.insert(id, quint32(formats.count() - 1));
        }
        styles.push_back(*index);
    }
    formats.setStyles(std::move(styles));
    return formats;
}

struct TCellReference {
    qint64 column = 0; // from 0
    qint64 row = 0;    // from 1
};

std::optional<TCellReference> parseCellReference(QStringView text) {
    TCellReference reference;
    qsizetype i = 0;
    for (; i < text.size() && i < 4; ++i) {
        const char16_t letter = text[i].toUpper().unicode();
        if (letter < u'A' || letter > u'Z')
            break;
        reference.column = reference.column * 26 + (letter - u'A' + 1);
    }
    if (i == 0 || reference.column > kMaxReferenceColumn)
        return std::nullopt;
    reference.column -= 1;
    const QStringView digits = text.mid(i);
    if (digits.isEmpty() || digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        }))
        return std::nullopt;
    reference.row = digits.toLongLong();
    if (reference.row < 1 || reference.row > kMaxRowNumber)
        return std::nullopt;
    return reference;
}

class TXlsxSheetReader {
public:
    TXlsxSheetReader(const TWorkbook& workbook, TSharedStrings sharedStrings, TCellFormats formats, const TPlace& place)
        : m_workbook(workbook), m_shared(std::move(sharedStrings)), m_formats(std::move(formats)), m_place(place),
          m_rows(place) {}

    void read(QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheetData") {
                readSheetData(xml);
                return;
            }
        }
    }

    TListTable take() { return m_rows.take(); }

    // A run of text too long to read: in a cell, that cell's; elsewhere, after the last cell.
    void refuseLongRun(const QString& part) const {
        if (!m_cell)
            return;
        if (m_inCell)
            refuseLongText();
        m_place.failAt(m_cell->column, m_cell->row,
                       QStringLiteral("za nią część %1 ma tekst poza komórkami dłuższy niż %2 znaków, plik jest uszkodzony")
                           .arg(part)
                           .arg(kMaxCellChars));
    }

private:
    [[noreturn]] void refuseLongText() const {
        m_place.failAt(m_cell->column, m_cell->row,
                       QStringLiteral("tekst komórki jest dłuższy niż %1 znaków").arg(kMaxCellChars));
    }

    void readSheetData(QXmlStreamReader& xml) {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"row")
                readRow(xml);
            else
                xml.skipCurrentElement();
        }
    }

    void readRow(QXmlStreamReader& xml) {
        qint64 row = 0;
        const QStringView rowAttribute = xml.attributes().value(QLatin1StringView("r"));
        if (!rowAttribute.isEmpty()) {
            row = rowAttribute.trimmed().toLongLong();
            if (row < 1 || row > kMaxRowNumber)
                m_place.fail(QStringLiteral("błędny numer wiersza „%1”").arg(elided(rowAttribute)));
        }
        QStringList cells;
        qint64 nextColumn = 0;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"c") {
                xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString type = attributes.value(QLatin1StringView("t")).toString();
            const QStringView styleAttribute = attributes.value(QLatin1StringView("s"));
            const qsizetype style = styleAttribute.isEmpty() ? 0 : styleAttribute.toLongLong();
            qint64 column = nextColumn;
            const QStringView referenceText = attributes.value(QLatin1StringView("r"));
            if (!referenceText.isEmpty()) {
                const std::optional<TCellReference> reference = parseCellReference(referenceText.trimmed());
                if (!reference)
                    m_place.fail(QStringLiteral("błędny adres komórki „%1”").arg(elided(referenceText)));
                column = reference->column;
                // A row without its own number takes it from its cells.
                if (row == 0)
                    row = reference->row;
            }
            if (row == 0)
                row = m_lastRow + 1;
            m_cell = TCellReference{column, row};
            m_inCell = true;

            QString value, inlineText;
            bool hasInline = false;
            const auto refuse = [this] { refuseLongText(); };
            while (xml.readNextStartElement()) {
                if (xml.name() == u"v") {
                    value.clear();
                    appendElementText(xml, value, kMaxRawCellChars, refuse);
                } else if (xml.name() == u"is") {
                    inlineText = readStringItem(xml, refuse);
                    hasInline = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (xml.hasError())
                return;
            m_inCell = false;
            nextColumn = column + 1;
            const QString text = cellText(type, value, hasInline ? &inlineText : nullptr, style, column, row);
            if (text.isEmpty())
                continue;
            checkCellText(text, column, row, m_place);
            while (cells.size() < column)
                cells.append(QString());
            if (cells.size() == column)
                cells.append(text);
            else
                cells[column] = text;
        }
        if (xml.hasError())
            return;
        if (row == 0)
            row = m_lastRow + 1;
        m_lastRow = row;
        if (!cells.isEmpty())
            m_rows.add(cells, row);
    }

    QString cellText(const QString& type, const QString& value, const QString* inlineText, qsizetype style,
                     qint64 column, qint64 row) {
        const TNumberFormat& format = m_formats.of(style);
        if (type == u"inlineStr")
            return textByFormat(format, inlineText ? *inlineText : decodeEscapes(value));
        // A cell without a value is empty whatever its type says.
        if (value.isEmpty())
            return {};
        if (type == u"s") {
            bool ok = false;
            const qint64 index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_shared.size())
                m_place.failAt(column, row, QStringLiteral("odwołanie do wspólnego tekstu nr %1, a plik ma ich %2")
                                                .arg(elided(value.trimmed()), QString::number(m_shared.size())));
            return textByFormat(format, m_shared.at(index));
        }
        if (type == u"str")
            return textByFormat(format, decodeEscapes(value));
        if (type == u"e")
            return value;
        const QString trimmed = value.trimmed();
        if (type == u"b")
            return trimmed == u"1" ? trueText() : trimmed == u"0" ? falseText() : trimmed;
        if (type == u"d") {
            const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
            return date.isValid() ? isoDate(date) : trimmed;
        }
        if (trimmed.isEmpty())
            return {};
        const TNumberKind kind = format.kind;
        // Most numbers in a list are plain integers, already written as shown.
        if (kind == TNumberKind::Plain && format.sections.empty() && trimmed.size() <= 15 &&
            (trimmed.size() == 1 || trimmed[0] != u'0') &&
            std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return trimmed;
        bool ok = false;
        const double number = trimmed.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return trimmed;
        switch (kind) {
        case TNumberKind::Date:
            return serialDate(number, m_workbook.date1904).value_or(formatNumber(number));
        case TNumberKind::Time:
        case TNumberKind::TimeSeconds:
        case TNumberKind::Elapsed:
        case TNumberKind::ElapsedSeconds:
            return formatTime(number, kind == TNumberKind::TimeSeconds || kind == TNumberKind::ElapsedSeconds,
                              kind == TNumberKind::Elapsed || kind == TNumberKind::ElapsedSeconds);
        case TNumberKind::Percent:
            return formatNumber(number * 100) + QChar(u'%');
        case TNumberKind::Plain:
            break;
        }
        return formatByFormat(format, number);
    }

    const TWorkbook& m_workbook;
    TSharedStrings m_shared;
    const TCellFormats m_formats;
    const TPlace& m_place;
    TRowCollector m_rows;
    qint64 m_lastRow = 0;
    // The last cell whose start the reader has passed, and whether it is still in it.
    std::optional<TCellReference> m_cell;
    bool m_inCell = false;
};

} // namespace

QStringList xlsxSheetNames(TPackage& package, const TPlace& place) { return readWorkbook(package, place).names; }

TListTable readXlsx(TPackage& package, int sheetIndex, TPlace& place) {
    const TWorkbook workbook = readWorkbook(package, place);
    checkSheetIndex(workbook.names.size(), sheetIndex, place);
    place.sheet = workbook.names[sheetIndex];
    const QString& part = workbook.parts[sheetIndex];
    TXlsxSheetReader reader(workbook, readSharedStrings(package, workbook.sharedStrings, place),
                            readCellFormats(package, workbook.styles), place);
    if (part.isEmpty() || !package.parse(part, [&](QXmlStreamReader& xml) { reader.read(xml); },
                                         [&] { reader.refuseLongRun(part); }))
        place.fail(QStringLiteral("brak części z zawartością arkusza%1")
                       .arg(part.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(part)));
    return reader.take();
}

} // namespace wendolarka::lists::spreadsheet
