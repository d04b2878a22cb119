#include "lists/spreadsheet_list.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace wendolarka::lists {

namespace {

// Everything unpacked from one file together: a real list is far smaller, a zip
// bomb is not, and reading stops as soon as the sum is passed.
constexpr qint64 kMaxUnpackedBytes = kMaxListFileBytes;
constexpr qint64 kReadChunk = 64 * 1024;
// Repeated cells turn a few bytes into any number of cells; this is what a list
// may cost once read, counting the empty cells that keep columns in place.
constexpr qint64 kMaxSheetCells = qint64(8) * 1024 * 1024;
// No spreadsheet program makes rows beyond this.
constexpr qint64 kMaxRowNumber = qint64(1) << 24;
// XFD, the last column a cell reference can name.
constexpr qint64 kMaxReferenceColumn = 16384;
// Excel's own limit on cell formats; more are not looked at.
constexpr std::size_t kMaxCellFormats = 65536;

constexpr QLatin1StringView kOfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QLatin1StringView kTableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView kTextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

QString trueText() { return QStringLiteral("PRAWDA"); }
QString falseText() { return QStringLiteral("FAŁSZ"); }

QString elided(QStringView text) {
    constexpr qsizetype kShown = 60;
    return text.size() <= kShown ? text.toString() : text.left(kShown).toString() + QChar(0x2026);
}

QString columnLetters(qint64 column) {
    QString letters;
    for (qint64 n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(char16_t(u'A' + (n - 1) % 26)));
    return letters;
}

// Polish plural: 1 arkusz, 2–4 arkusze (but 12–14 arkuszy), 5 arkuszy.
QString counted(qint64 n, const QString& one, const QString& few, const QString& many) {
    const qint64 tens = n % 100, units = n % 10;
    const QString& word = n == 1 ? one : (units >= 2 && units <= 4 && (tens < 12 || tens > 14)) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(word);
}

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

void checkSheetIndex(qsizetype count, int index, const TPlace& place) {
    if (index >= 0 && index < count)
        return;
    if (count == 0)
        place.fail(QStringLiteral("nie ma w nim żadnego arkusza"));
    place.fail(QStringLiteral("ma %1, nie ma w nim arkusza nr %2")
                   .arg(counted(count, QStringLiteral("arkusz"), QStringLiteral("arkusze"), QStringLiteral("arkuszy")),
                        QString::number(qint64(index) + 1)));
}

// One part of the zip as the XML reader's device: unpacked as it is read, in
// chunks counted against the package's budget, so neither a zip bomb nor a huge
// part is ever held whole. Damage and the budget end the reading with an error
// rather than a quiet end, and the package names the cause.
class TPartDevice : public QIODevice {
public:
    enum class TState { Reading, Ended, Damaged, OverBudget };

    TPartDevice(QuaZip& zip, qint64& unpacked) : m_member(&zip), m_unpacked(unpacked) {}

    bool start() { return m_member.open(QIODevice::ReadOnly) && open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    TState state() const { return m_state; }

    // Unpacks what the XML reader left: only a part read to its end has its CRC checked.
    void finish() {
        QByteArray rest(kReadChunk, Qt::Uninitialized);
        while (readData(rest.data(), rest.size()) > 0) {
        }
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (m_state != TState::Reading)
            return m_state == TState::Ended ? 0 : -1;
        const qint64 got = m_member.read(data, std::min(maxSize, kReadChunk));
        if (got == 0) {
            // The sizes the zip declares are not believed; its CRC is.
            m_member.close();
            m_state = m_member.getZipError() == UNZ_OK ? TState::Ended : TState::Damaged;
            return m_state == TState::Ended ? 0 : -1;
        }
        if (got < 0) {
            m_state = TState::Damaged;
            return -1;
        }
        m_unpacked += got;
        if (m_unpacked > kMaxUnpackedBytes) {
            m_state = TState::OverBudget;
            return -1;
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QuaZipFile m_member;
    qint64& m_unpacked;
    TState m_state = TState::Reading;
};

// The zip, with a budget for everything unpacked from it.
class TPackage {
public:
    TPackage(QIODevice& device, const TPlace& place) : m_zip(&device), m_place(place) {
        // An old .xls and a password-protected workbook are both OLE compound files.
        const bool ole = device.peek(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        if (!m_zip.open(QuaZip::mdUnzip)) {
            if (ole)
                m_place.fail(QStringLiteral("to skoroszyt w starym formacie .xls albo zaszyfrowany hasłem; "
                                            "zapisz go jako .xlsx bez hasła"));
            m_place.fail(QStringLiteral("to nie jest arkusz .xlsx ani .ods albo plik jest uszkodzony "
                                        "(nie jest poprawnym archiwum ZIP)"));
        }
    }

    // Gives `read` an XML reader on the part; false when the zip has no such part.
    // Whatever stopped the reader, the message names the first cause: the budget,
    // damage to the zip, then bad XML.
    bool parse(const QString& part, const std::function<void(QXmlStreamReader&)>& read) {
        if (!m_zip.setCurrentFile(part, QuaZip::csInsensitive)) {
            if (m_zip.getZipError() != UNZ_OK)
                damaged(part);
            return false;
        }
        TPartDevice device(m_zip, m_unpacked);
        if (!device.start())
            damaged(part);
        QXmlStreamReader xml(&device);
        read(xml);
        device.finish();
        if (device.state() == TPartDevice::TState::OverBudget)
            m_place.fail(QStringLiteral("po rozpakowaniu ma ponad %1 MB, to nie może być lista osób")
                             .arg(kMaxUnpackedBytes / (1024 * 1024)));
        if (device.state() == TPartDevice::TState::Damaged)
            damaged(part);
        m_place.checkXml(xml, part);
        return true;
    }

private:
    [[noreturn]] void damaged(const QString& part) const {
        m_place.fail(QStringLiteral("jest uszkodzony, nie można rozpakować części %1").arg(part));
    }

    QuaZip m_zip;
    const TPlace& m_place;
    qint64 m_unpacked = 0;
};

// Fifteen significant digits, as spreadsheets show a number: every typed number
// keeps its digits and float noise (0.30000000000000004) falls away; never an
// exponent, integers without decimals, a decimal comma.
QString formatNumber(double value) {
    if (value == 0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype e = scientific.indexOf(u'e');
    QString digits = scientific.left(1) + scientific.mid(2, e - 2);
    const int exponent = scientific.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    QString text;
    if (exponent >= 0) {
        const qsizetype whole = exponent + 1;
        text = digits.size() <= whole ? digits + QString(whole - digits.size(), u'0')
                                      : digits.left(whole) + u',' + digits.mid(whole);
    } else {
        text = QStringLiteral("0,") + QString(-exponent - 1, u'0') + digits;
    }
    return value < 0 ? QChar(u'-') + text : text;
}

QString isoDate(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

// A day serial as yyyy-MM-dd, or nullopt where a spreadsheet would not show a date.
std::optional<QString> serialDate(double serial, bool date1904) {
    if (!(serial >= 0 && serial < 3'000'000))
        return std::nullopt;
    // Rounded to the millisecond first, as the display is, so 0.9999999999 of a day is the next day.
    const qint64 day = std::llround(serial * 86'400'000.0) / 86'400'000;
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(day);
    } else {
        if (day < 1)
            return std::nullopt;
        // The 1900 system counts a 29 February 1900 that never was; spreadsheets show it.
        if (day == 60)
            return QStringLiteral("1900-02-29");
        date = QDate(1899, 12, day < 60 ? 31 : 30).addDays(day);
    }
    if (!date.isValid() || date.year() > 9999)
        return std::nullopt;
    return isoDate(date);
}

// A time of day, or with `elapsed` ([h] formats) the hours in all.
QString formatTime(double serial, bool seconds, bool elapsed) {
    if (!(serial >= 0 && serial < 3'000'000))
        return formatNumber(serial);
    const qint64 total = (std::llround(serial * 86'400'000.0) + 500) / 1000;
    const qint64 second = elapsed ? total : total % 86'400;
    const QString minutes = QStringLiteral("%1:%2").arg(second / 3600).arg(second / 60 % 60, 2, 10, QChar(u'0'));
    return seconds ? QStringLiteral("%1:%2").arg(minutes).arg(second % 60, 2, 10, QChar(u'0')) : minutes;
}

// ---------------------------------------------------------------------------
// .xlsx

enum class TNumberKind : quint8 { Plain, Percent, Date, Time, TimeSeconds, Elapsed, ElapsedSeconds };

TNumberKind builtinNumberKind(int id) {
    switch (id) {
    case 9: case 10: return TNumberKind::Percent;
    case 14: case 15: case 16: case 17: case 22: return TNumberKind::Date;
    case 18: case 20: return TNumberKind::Time;
    case 19: case 21: case 45: case 47: return TNumberKind::TimeSeconds;
    case 46: return TNumberKind::ElapsedSeconds;
    default: return TNumberKind::Plain;
    }
}

// What a custom format shows, from its first section with literal text, colours
// and locales left out: a date when it has a year, day or month (an "m" beside
// hours or seconds is minutes), a time when it has only time parts.
TNumberKind customNumberKind(QStringView code) {
    QString codes;
    bool elapsed = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            i = close < 0 ? code.size() : close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toString().toLower();
            // [h], [mm], [ss]: elapsed time; anything else in brackets is a colour or a locale.
            if (!inside.isEmpty() && std::all_of(inside.begin(), inside.end(), [](QChar p) {
                    return p == u'h' || p == u'm' || p == u's';
                })) {
                codes += inside;
                elapsed = elapsed || inside.contains(u'h');
            }
            i = close < 0 ? code.size() : close;
        } else if (c == u';') {
            break;
        } else {
            codes += c.toLower();
        }
    }
    codes.remove(QStringLiteral("am/pm")).remove(QStringLiteral("a/p"));
    const bool year = codes.contains(u'y'), day = codes.contains(u'd'), month = codes.contains(u'm');
    const bool hour = codes.contains(u'h'), second = codes.contains(u's');
    if (year || day || (month && !hour && !second))
        return TNumberKind::Date;
    if (hour || month || second) {
        if (elapsed)
            return second ? TNumberKind::ElapsedSeconds : TNumberKind::Elapsed;
        return second ? TNumberKind::TimeSeconds : TNumberKind::Time;
    }
    return codes.contains(u'%') ? TNumberKind::Percent : TNumberKind::Plain;
}

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

// The text of a string item (<si> or <is>): plain <t>, or the <t> of every rich
// text run; phonetic guides are not part of the text. Leaves the reader on the end tag.
QString readStringItem(QXmlStreamReader& xml) {
    QString text;
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"t") {
                text += xml.readElementText(QXmlStreamReader::SkipChildElements);
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
    return decodeEscapes(text);
}

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

QStringList readSharedStrings(TPackage& package, const QString& part, const TPlace& place) {
    QStringList strings;
    package.parse(part, [&](QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"si")
                continue;
            if (strings.size() >= kMaxSheetCells)
                place.fail(QStringLiteral("ma ponad %1 różnych tekstów, to nie może być lista osób").arg(kMaxSheetCells));
            strings.append(readStringItem(xml));
        }
    });
    return strings;
}

// What each cell format (the cell's "s") shows a number as.
std::vector<TNumberKind> readCellFormats(TPackage& package, const QString& part) {
    QHash<int, TNumberKind> custom;
    std::vector<int> formatIds;
    package.parse(part, [&](QXmlStreamReader& xml) {
        bool inCellFormats = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
                inCellFormats = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == u"numFmt") {
                custom.insert(attributes.value(QLatin1StringView("numFmtId")).toInt(),
                              customNumberKind(attributes.value(QLatin1StringView("formatCode"))));
            } else if (xml.name() == u"cellXfs") {
                inCellFormats = true;
            } else if (inCellFormats && xml.name() == u"xf" && formatIds.size() < kMaxCellFormats) {
                formatIds.push_back(attributes.value(QLatin1StringView("numFmtId")).toInt());
            }
        }
    });
    // Formats the file defines itself win, also over a built-in number.
    std::vector<TNumberKind> kinds;
    kinds.reserve(formatIds.size());
    for (int id : formatIds)
        kinds.push_back(custom.value(id, builtinNumberKind(id)));
    return kinds;
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

void checkCellText(const QString& text, qint64 column, qint64 row, const TPlace& place) {
    if (column >= kMaxListColumns)
        place.failAt(column, row, QStringLiteral("lista może mieć najwyżej %1 kolumny").arg(kMaxListColumns));
    if (text.size() > kMaxCellChars)
        place.failAt(column, row, QStringLiteral("tekst komórki jest dłuższy niż %1 znaków").arg(kMaxCellChars));
}

class TXlsxSheetReader {
public:
    TXlsxSheetReader(const TWorkbook& workbook, QStringList sharedStrings, std::vector<TNumberKind> formats,
                     const TPlace& place)
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

private:
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

            QString value, inlineText;
            bool hasInline = false;
            while (xml.readNextStartElement()) {
                if (xml.name() == u"v") {
                    value = xml.readElementText(QXmlStreamReader::SkipChildElements);
                } else if (xml.name() == u"is") {
                    inlineText = readStringItem(xml);
                    hasInline = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (xml.hasError())
                return;
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
                     qint64 column, qint64 row) const {
        if (type == u"inlineStr")
            return inlineText ? *inlineText : decodeEscapes(value);
        // A cell without a value is empty whatever its type says.
        if (value.isEmpty())
            return {};
        if (type == u"s") {
            bool ok = false;
            const qint64 index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_shared.size())
                m_place.failAt(column, row, QStringLiteral("odwołanie do wspólnego tekstu nr %1, a plik ma ich %2")
                                                .arg(elided(value.trimmed()), QString::number(m_shared.size())));
            return m_shared[index];
        }
        if (type == u"str")
            return decodeEscapes(value);
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
        const TNumberKind kind =
            style >= 0 && std::size_t(style) < m_formats.size() ? m_formats[std::size_t(style)] : TNumberKind::Plain;
        // Most numbers in a list are plain integers, already written as shown.
        if (kind == TNumberKind::Plain && trimmed.size() <= 15 && (trimmed.size() == 1 || trimmed[0] != u'0') &&
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
        return formatNumber(number);
    }

    const TWorkbook& m_workbook;
    const QStringList m_shared;
    const std::vector<TNumberKind> m_formats;
    const TPlace& m_place;
    TRowCollector m_rows;
    qint64 m_lastRow = 0;
};

TListTable readXlsx(TPackage& package, int sheetIndex, TPlace& place) {
    const TWorkbook workbook = readWorkbook(package, place);
    checkSheetIndex(workbook.names.size(), sheetIndex, place);
    place.sheet = workbook.names[sheetIndex];
    const QString& part = workbook.parts[sheetIndex];
    TXlsxSheetReader reader(workbook, readSharedStrings(package, workbook.sharedStrings, place),
                            readCellFormats(package, workbook.styles), place);
    if (part.isEmpty() || !package.parse(part, [&](QXmlStreamReader& xml) { reader.read(xml); }))
        place.fail(QStringLiteral("brak części z zawartością arkusza%1")
                       .arg(part.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(part)));
    return reader.take();
}

// ---------------------------------------------------------------------------
// .ods

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
            // A merged cell's text is in its first cell; what hides under the merge is not shown.
            if (covered)
                m_xml.skipCurrentElement();
            else
                text = readCell(column);
            if (m_xml.hasError())
                return;
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
};

QString odsTableName(const QXmlStreamReader& xml, qsizetype index) {
    const QString name = xml.attributes().value(kTableNs, QLatin1StringView("name")).toString();
    return name.isEmpty() ? QStringLiteral("Arkusz%1").arg(index + 1) : name;
}

// Gives `read` the reader on content.xml.
void parseOdsContent(TPackage& package, const TPlace& place, const std::function<void(QXmlStreamReader&)>& read) {
    // A password-protected document keeps its parts encrypted; say so rather than "damaged".
    bool encrypted = false;
    package.parse(QStringLiteral("META-INF/manifest.xml"), [&](QXmlStreamReader& xml) {
        while (!encrypted && !xml.atEnd())
            encrypted = xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"encryption-data";
    });
    if (encrypted)
        place.fail(QStringLiteral("arkusz jest zaszyfrowany hasłem, zapisz go bez hasła"));
    if (!package.parse(kOdsContent, read))
        place.fail(QStringLiteral("to nie jest arkusz .ods (brak części %1)").arg(kOdsContent));
}

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
    qsizetype count = 0;
    parseOdsContent(package, place, [&](QXmlStreamReader& xml) {
        forEachOdsTable(xml, place, [&] {
            if (count++ != sheetIndex) {
                xml.skipCurrentElement();
                return true;
            }
            place.sheet = odsTableName(xml, count - 1);
            table = TOdsSheetReader(xml, place).read();
            return false;
        });
    });
    if (!table)
        checkSheetIndex(count, sheetIndex, place);
    return table ? *std::move(table) : TListTable{};
}

// ---------------------------------------------------------------------------

// The zip's bytes as a device. QBuffer warns on every seek past the end, which
// the offsets in a damaged zip ask for; here such a read just finds nothing.
class TBytesDevice : public QIODevice {
public:
    explicit TBytesDevice(const QByteArray& bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    qint64 size() const override { return m_bytes.size(); }
    bool seek(qint64 position) override {
        if (position < 0 || !QIODevice::seek(position))
            return false;
        m_at = position;
        return true;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 count = std::clamp(m_bytes.size() - m_at, qint64(0), maxSize);
        if (count > 0)
            std::memcpy(data, m_bytes.constData() + m_at, std::size_t(count));
        m_at += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray m_bytes;
    qint64 m_at = 0;
};

QStringList sheetNames(QIODevice& device, TSpreadsheetKind kind, const QString& displayName) {
    TPlace place{displayName, QString()};
    TPackage package(device, place);
    return kind == TSpreadsheetKind::Xlsx ? readWorkbook(package, place).names : odsSheetNames(package, place);
}

TListTable readSheet(QIODevice& device, TSpreadsheetKind kind, int sheetIndex, const QString& displayName) {
    TPlace place{displayName, QString()};
    TPackage package(device, place);
    return kind == TSpreadsheetKind::Xlsx ? readXlsx(package, sheetIndex, place) : readOds(package, sheetIndex, place);
}

// The file opened for reading, or an EListFile saying why it cannot be.
TSpreadsheetKind openSpreadsheetFile(QFile& file) {
    const QString name = QFileInfo(file.fileName()).fileName();
    const std::optional<TSpreadsheetKind> kind = spreadsheetKindOfFileName(file.fileName());
    if (!kind)
        throw EListFile(QStringLiteral("Plik %1 nie jest arkuszem: czytam arkusze .xlsx i .ods.").arg(name));
    const QFileInfo info(file.fileName());
    // Only a regular file: opening a FIFO would wait for a writer forever.
    if (!info.exists())
        throw EListFile(QStringLiteral("Nie mogę odczytać pliku %1: nie ma takiego pliku.").arg(name));
    if (!info.isFile())
        throw EListFile(QStringLiteral("Nie mogę odczytać pliku %1: to nie jest zwykły plik.").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw EListFile(QStringLiteral("Nie mogę odczytać pliku %1: brak dostępu.").arg(name));
    if (file.size() > kMaxListFileBytes)
        throw EListFile(QStringLiteral("Plik %1 jest za duży na listę osób (najwięcej %2 MB).")
                            .arg(name)
                            .arg(kMaxListFileBytes / (1024 * 1024)));
    return *kind;
}

} // namespace

std::optional<TSpreadsheetKind> spreadsheetKindOfFileName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"xlsx" || suffix == u"xlsm")
        return TSpreadsheetKind::Xlsx;
    if (suffix == u"ods")
        return TSpreadsheetKind::Ods;
    return std::nullopt;
}

bool isSpreadsheetFileName(const QString& fileName) { return spreadsheetKindOfFileName(fileName).has_value(); }

QStringList spreadsheetSheetNames(const QString& fileName) {
    QFile file(fileName);
    const TSpreadsheetKind kind = openSpreadsheetFile(file);
    return sheetNames(file, kind, QFileInfo(fileName).fileName());
}

QStringList spreadsheetSheetNamesData(const QByteArray& zipBytes, TSpreadsheetKind kind, const QString& displayName) {
    TBytesDevice device(zipBytes);
    return sheetNames(device, kind, displayName);
}

TListTable readSpreadsheet(const QString& fileName, int sheetIndex) {
    QFile file(fileName);
    const TSpreadsheetKind kind = openSpreadsheetFile(file);
    return readSheet(file, kind, sheetIndex, QFileInfo(fileName).fileName());
}

TListTable readSpreadsheetData(const QByteArray& zipBytes, TSpreadsheetKind kind, int sheetIndex,
                               const QString& displayName) {
    TBytesDevice device(zipBytes);
    return readSheet(device, kind, sheetIndex, displayName);
}

} // namespace wendolarka::lists
