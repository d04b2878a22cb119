#include "lists/spreadsheet_package.h"

#include <quazip/quazipfile.h>

#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace wendolarka::lists::spreadsheet {
namespace {

// Everything unpacked from one file together: a real list is far smaller, a zip
// bomb is not, and reading stops as soon as the sum is passed.
constexpr qint64 kMaxUnpackedBytes = kMaxListFileBytes;
constexpr qint64 kReadChunk = 64 * 1024;
// The XML reader holds a whole run of text (or a whole tag) before it hands it
// over, so a part may not have a longer run of code units without a '<' than a
// cell's text at its longest in the widest spelling (an entity or _xHHHH_ for
// each character), with room for the tag before it.
constexpr qint64 kMaxRunUnits = 8 * qint64(kMaxCellChars) + 4096;
static_assert(kMaxRunUnits > kReadChunk, "a run longer than the bound spans chunks");

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

} // namespace

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

QString counted(qint64 n, const QString& one, const QString& few, const QString& many) {
    const qint64 tens = n % 100, units = n % 10;
    const QString& word = n == 1 ? one : (units >= 2 && units <= 4 && (tens < 12 || tens > 14)) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(word);
}

void checkSheetIndex(qsizetype count, int index, const TPlace& place) {
    if (index >= 0 && index < count)
        return;
    if (count == 0)
        place.fail(QStringLiteral("nie ma w nim żadnego arkusza"));
    place.fail(QStringLiteral("ma %1, nie ma w nim arkusza nr %2")
                   .arg(counted(count, QStringLiteral("arkusz"), QStringLiteral("arkusze"), QStringLiteral("arkuszy")),
                        QString::number(qint64(index) + 1)));
}

TPackage::TPackage(QIODevice& device, const TPlace& place) : m_zip(&device), m_place(place) {
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


bool TPackage::parse(const QString& part, const std::function<void(QXmlStreamReader&)>& read,
                     const std::function<void()>& refuseLongRun) {
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


void TPackage::damaged(const QString& part) const {
    m_place.fail(QStringLiteral("jest uszkodzony, nie można rozpakować części %1").arg(part));
}


void checkCellText(const QString& text, qint64 column, qint64 row, const TPlace& place) {
    if (column >= kMaxListColumns)
        place.failAt(column, row, QStringLiteral("lista może mieć najwyżej %1 kolumny").arg(kMaxListColumns));
    if (text.size() > kMaxCellChars)
        place.failAt(column, row, QStringLiteral("tekst komórki jest dłuższy niż %1 znaków").arg(kMaxCellChars));
}


} // namespace wendolarka::lists::spreadsheet
