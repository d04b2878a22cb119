#include "lists/spreadsheet_list.h"
#include "lists/spreadsheet_number_format.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

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
// Excel writes a character XML cannot hold as _xHHHH_, seven for one: text read
// before those are decoded may be this much longer than a cell's.
constexpr qsizetype kMaxRawCellChars = 7 * kMaxCellChars;
// The XML reader holds a whole run of text (or a whole tag) before it hands it
// over, so a part may not have a longer run of code units without a '<' than a
// cell's text at its longest in the widest spelling (an entity or _xHHHH_ for
// each character), with room for the tag before it.
constexpr qint64 kMaxRunUnits = 8 * qint64(kMaxCellChars) + 4096;
static_assert(kMaxRunUnits > kReadChunk, "a run longer than the bound spans chunks");
// A workbook's shared strings: one for each cell a sheet may have, and in all
// what a large real list holds many times over.
constexpr qsizetype kMaxSharedStrings = kMaxSheetCells;
constexpr qsizetype kMaxSharedChars = qsizetype(16) * 1024 * 1024;

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
// part is ever held whole. Damage, the budget and a run of text longer than the
// XML reader should hold end the reading with an error rather than a quiet end,
// and the package names the cause.
class TPartDevice : public QIODevice {
public:
    enum class TState { Reading, Ended, Damaged, OverBudget, LongRun };

    TPartDevice(QuaZip& zip, qint64& unpacked) : m_member(&zip), m_unpacked(unpacked) {}

    bool start() {
        if (!m_member.open(QIODevice::ReadOnly) || !open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
        detectUnits(m_member.peek(4));
        return true;
    }
    bool isSequential() const override { return true; }
    TState state() const { return m_state; }
    // Bytes to a code unit of the part's encoding as its first bytes give it: 1, 2 or 4.
    int unitWidth() const { return m_width; }

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
        if (!countRuns(data, got)) {
            m_state = TState::LongRun;
            return -1;
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    // As the XML reader guesses: a byte order mark, else where the zero bytes of
    // the first '<' are. Any other encoding keeps '<' the byte 0x3C.
    void detectUnits(const QByteArray& head) {
        const auto starts = [&](const char* bytes, int size) { return head.startsWith(QByteArrayView(bytes, size)); };
        if (starts("\x00\x00\xFE\xFF", 4) || starts("\x00\x00\x00<", 4))
            m_width = 4, m_bigEndian = true;
        else if (starts("\xFF\xFE\x00\x00", 4) || starts("<\x00\x00\x00", 4))
            m_width = 4;
        else if (starts("\xFE\xFF", 2) || starts("\x00<", 2))
            m_width = 2, m_bigEndian = true;
        else if (starts("\xFF\xFE", 2) || starts("<\x00", 2))
            m_width = 2;
    }

    // Counts the code units since the last '<', across chunks; false once there are too many.
    bool countRuns(const char* data, qint64 size) {
        if (m_width == 1) {
            // A run within one chunk is shorter than the bound: only the ends need counting.
            const char* first = static_cast<const char*>(std::memchr(data, '<', std::size_t(size)));
            if (!first)
                return (m_run += size) <= kMaxRunUnits;
            if (m_run + (first - data) > kMaxRunUnits)
                return false;
            const char* last = data + size - 1;
            while (*last != '<')
                --last;
            m_run = data + size - 1 - last;
            return true;
        }
        for (qint64 i = 0; i < size; ++i) {
            m_unit[m_filled++] = data[i];
            if (m_filled < m_width)
                continue;
            m_filled = 0;
            const int lt = m_bigEndian ? m_width - 1 : 0;
            bool isLt = true;
            for (int b = 0; b < m_width; ++b)
                isLt = isLt && m_unit[b] == (b == lt ? '<' : '\0');
            m_run = isLt ? 0 : m_run + 1;
            if (m_run > kMaxRunUnits)
                return false;
        }
        return true;
    }

    QuaZipFile m_member;
    qint64& m_unpacked;
    TState m_state = TState::Reading;
    int m_width = 1;
    bool m_bigEndian = false;
    char m_unit[4] = {};
    int m_filled = 0;
    qint64 m_run = 0;
};

// Whether the encoding a part declares is one whose text the device counts right:
// UTF-8 and the single-byte code pages keep '<' a byte of its own, and a part
// that starts in UTF-16 or UTF-32 must say so or nothing.
bool countableEncoding(QStringView declared, int unitWidth) {
    if (declared.isEmpty())
        return true;
    const QString name = declared.toString().toUpper().remove(u'_').remove(u'-');
    if (unitWidth == 2)
        return name.startsWith(QStringLiteral("UTF16"));
    if (unitWidth == 4)
        return name.startsWith(QStringLiteral("UTF32"));
    static const QRegularExpression singleByte(
        QStringLiteral("^(UTF8|USASCII|ASCII|LATIN[0-9]+|ISO8859[0-9]+|WINDOWS125[0-8]|CP125[0-8])$"));
    return singleByte.match(name).hasMatch();
}

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
    // damage to the zip, a run of text too long to read, then bad XML. For the
    // long run `refuseLongRun` may throw a message that names the cell it is in.
    bool parse(const QString& part, const std::function<void(QXmlStreamReader&)>& read,
               const std::function<void()>& refuseLongRun = {}) {
        if (!m_zip.setCurrentFile(part, QuaZip::csInsensitive)) {
            if (m_zip.getZipError() != UNZ_OK)
                damaged(part);
            return false;
        }
        TPartDevice device(m_zip, m_unpacked);
        if (!device.start())
            damaged(part);
        QXmlStreamReader xml(&device);
        // The declaration is the first thing read, long before a run could pass the bound.
        if (xml.readNext() == QXmlStreamReader::StartDocument &&
            !countableEncoding(xml.documentEncoding(), device.unitWidth()))
            m_place.fail(QStringLiteral("część %1 jest zapisana w kodowaniu %2, którego nie czytam; zapisz arkusz ponownie")
                             .arg(part, elided(xml.documentEncoding())));
        read(xml);
        device.finish();
        if (device.state() == TPartDevice::TState::OverBudget)
            m_place.fail(QStringLiteral("po rozpakowaniu ma ponad %1 MB, to nie może być lista osób")
                             .arg(kMaxUnpackedBytes / (1024 * 1024)));
        if (device.state() == TPartDevice::TState::Damaged)
            damaged(part);
        if (device.state() == TPartDevice::TState::LongRun) {
            if (refuseLongRun)
                refuseLongRun();
            m_place.fail(QStringLiteral("część %1 ma tekst dłuższy niż %2 znaków, to nie może być lista osób")
                             .arg(part)
                             .arg(kMaxCellChars));
        }
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

// ---------------------------------------------------------------------------
// .xlsx

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
