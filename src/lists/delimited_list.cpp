#include "lists/delimited_list.h"

#include "core/cp1250.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendolarka::lists {
namespace {

// The delimiter is told from the beginning of the list; a header and a few
// dozen persons show it as well as the whole file would.
constexpr int kSampleRecords = 50;
constexpr qsizetype kSampleChars = 64 * 1024;

// Preferred in this order on a tie: Polish spreadsheets write ';', as the
// decimal comma is taken; a tab is seldom typed into a cell, a comma often.
constexpr std::array<char16_t, 3> kDelimiterCandidates = {u';', u'\t', u','};

// ISO-8859-2 from 0xA0; below that it is ASCII and the C1 controls.
constexpr std::array<char16_t, 96> kIso8859_2High = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7,
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B,
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

QString utf8(const char* text) { return QString::fromUtf8(text); }

[[noreturn]] void failAtLine(const QString& fileName, int line, const QString& what) {
    // One-pass arg: a '%' in a file name must not take the line's place.
    throw EListFile(utf8("Plik %1, wiersz %2: %3.").arg(fileName, QString::number(line), what));
}

[[noreturn]] void failTooBig(const QString& fileName) {
    throw EListFile(utf8("Plik %1 jest za duży na listę osób (najwięcej %2 MB).")
                        .arg(fileName, QString::number(kMaxTextListBytes / (1024 * 1024))));
}

QString readFailureCause(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return utf8("nie ma takiego pliku");
    case ENOTDIR:
        return utf8("nie ma takiego folderu");
    case EACCES:
    case EPERM:
        return utf8("brak prawa odczytu");
    case EISDIR:
        return utf8("to jest folder, nie plik");
    case ELOOP:
        return utf8("za dużo dowiązań symbolicznych");
    case ENAMETOOLONG:
        return utf8("za długa nazwa pliku");
    case EIO:
        return utf8("błąd odczytu dysku");
    default:
        return utf8("błąd systemu: %1").arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

// The physical line (from 1) a byte offset lies on, counting CR LF, LF and CR alike.
int lineOfByte(const QByteArray& bytes, qsizetype offset) {
    int line = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    }
    return line;
}

struct TUtf8Check {
    qsizetype firstInvalid = -1;
    bool nonAscii = false;
    qsizetype sequences = 0; // characters of more than one byte that are right
    qsizetype invalid = 0;   // bytes that are not
};

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
TUtf8Check checkUtf8(const QByteArray& bytes) {
    TUtf8Check check;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        check.nonAscii = true;
        int length = 0;
        char32_t code = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            code = b & 0x07;
        }
        bool valid = length > 0 && n - i >= length;
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char c = s[i + k];
            valid = (c & 0xC0) == 0x80;
            code = (code << 6) | (c & 0x3F);
        }
        if (valid && ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
                      (length == 4 && (code < 0x10000 || code > 0x10FFFF))))
            valid = false;
        // Counted on to the end: a few stray bytes in a UTF-8 list differ from a list in another code page.
        if (!valid) {
            if (check.firstInvalid < 0)
                check.firstInvalid = i;
            ++check.invalid;
            ++i;
            continue;
        }
        ++check.sequences;
        i += length;
    }
    return check;
}

QString decodeIso8859_2(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b < 0xA0 ? char16_t(b) : kIso8859_2High[b - 0xA0]);
    }
    return text;
}

// Chooses the encoding (when Auto) and decodes. `raw` still holds a UTF-8
// byte order mark if there was one, so the mark counts as UTF-8 evidence.
QString decodeList(const QByteArray& raw, const QByteArray& body, TListEncoding& encoding, const QString& fileName) {
    if (encoding == TListEncoding::Auto || encoding == TListEncoding::Utf8) {
        const TUtf8Check check = checkUtf8(encoding == TListEncoding::Auto ? raw : body);
        if (encoding == TListEncoding::Utf8 && check.firstInvalid >= 0)
            failAtLine(fileName, lineOfByte(body, check.firstInvalid),
                       utf8("tekst nie jest zapisany w UTF-8; wybierz inne kodowanie"));
        // Mostly right UTF-8 with a few bytes that are not is a list spoiled on
        // the way (a pasted character from another program): read in either
        // code page it would store some names wrong, so the user chooses.
        if (encoding == TListEncoding::Auto && check.firstInvalid >= 0 && check.sequences > check.invalid)
            failAtLine(fileName, lineOfByte(raw, check.firstInvalid),
                       utf8("lista jest zapisana w UTF-8, ale ten wiersz ma bajty, których w UTF-8 nie ma; "
                            "popraw go albo wybierz kodowanie"));
        if (encoding == TListEncoding::Auto)
            encoding = check.firstInvalid < 0 && check.nonAscii ? TListEncoding::Utf8 : TListEncoding::Windows1250;
    }
    switch (encoding) {
    case TListEncoding::Utf8:
        return QString::fromUtf8(body);
    case TListEncoding::Iso8859_2:
        return decodeIso8859_2(body);
    default:
        return cp1250::decode(body);
    }
}

// The scans below that only look at delimiters, quotes and line ends run on the
// raw bytes as well as on decoded text: in UTF-8, Windows-1250 and ISO-8859-2 an
// ASCII byte is always that character and never part of another.
template <typename Char>
const Char* skipLineEnd(const Char* p, const Char* end) {
    if (*p++ == u'\r' && p < end && *p == u'\n')
        ++p;
    return p;
}

// Field counts of the first complete records under `delimiter`, by the same
// quoting rules as the reader; empty lines are left out.
template <typename Char>
std::vector<int> sampleFieldCounts(const Char* p, const Char* end, char16_t delimiter) {
    std::vector<int> counts;
    const Char* stop = p + std::min<qsizetype>(end - p, kSampleChars);
    while (p < stop && int(counts.size()) < kSampleRecords) {
        if (*p == u'\r' || *p == u'\n') {
            p = skipLineEnd(p, stop);
            continue;
        }
        int fields = 1;
        bool fieldStart = true;
        bool quoted = false;
        for (; p < stop; ++p) {
            const Char c = *p;
            if (quoted) {
                if (c == u'"') {
                    if (p + 1 < stop && p[1] == u'"')
                        ++p;
                    else
                        quoted = false;
                }
                continue;
            }
            if (c == delimiter) {
                ++fields;
                fieldStart = true;
                continue;
            }
            if (c == u'\r' || c == u'\n')
                break;
            quoted = c == u'"' && fieldStart;
            fieldStart = false;
        }
        // A record cut by the sample's end says nothing reliable.
        if (p == stop && stop != end)
            break;
        counts.push_back(fields);
        if (p < stop)
            p = skipLineEnd(p, stop);
    }
    return counts;
}

// The candidate that splits every sampled record into the same number (> 1) of
// fields wins, the most fields first; failing that, the one that splits the
// most records, then the commonest width.
template <typename Char>
char16_t detectDelimiter(const Char* begin, const Char* end) {
    struct TScore {
        bool consistent = false;
        int splitRecords = 0;
        int width = 0;
        int preference = 0;
        auto operator<=>(const TScore&) const = default;
    };
    char16_t best = kDelimiterCandidates[0];
    TScore bestScore;
    for (std::size_t i = 0; i < kDelimiterCandidates.size(); ++i) {
        const std::vector<int> counts = sampleFieldCounts(begin, end, kDelimiterCandidates[i]);
        TScore score;
        score.preference = int(kDelimiterCandidates.size() - i);
        std::vector<int> widths;
        for (int count : counts)
            if (count > 1)
                widths.push_back(count);
        score.splitRecords = int(widths.size());
        score.consistent = !counts.empty() && widths.size() == counts.size() &&
                           std::all_of(widths.begin(), widths.end(), [&](int w) { return w == widths.front(); });
        // The commonest width; on a tie the wider one, as the widths are sorted.
        std::sort(widths.begin(), widths.end());
        std::size_t longest = 0;
        for (std::size_t from = 0; from < widths.size();) {
            std::size_t to = from;
            while (to < widths.size() && widths[to] == widths[from])
                ++to;
            if (to - from >= longest) {
                longest = to - from;
                score.width = widths[from];
            }
            from = to;
        }
        if (score.splitRecords > 0 && score > bestScore) {
            bestScore = score;
            best = kDelimiterCandidates[i];
        }
    }
    return best;
}

// Counts the cells the reader would make, by its quoting rules, and refuses a
// list with too many before any is made: a file of ";;;" is small on disk but
// each empty cell costs a string.
template <typename Char>
void checkCellCount(const Char* p, const Char* end, char16_t delimiter, const QString& fileName) {
    int line = 1;
    qsizetype cells = 0;
    while (p < end) {
        if (*p == u'\r' || *p == u'\n') {
            p = skipLineEnd(p, end);
            ++line;
            continue;
        }
        // One record: its first cell, then one more for each delimiter outside quotes.
        const auto count = [&] {
            if (++cells > kMaxListCells)
                failAtLine(fileName, line, utf8("za dużo komórek w całej liście (najwięcej %1)")
                                               .arg(QString::number(kMaxListCells)));
        };
        count();
        bool fieldStart = true;
        bool quoted = false;
        while (p < end) {
            const Char c = *p;
            if (quoted) {
                if (c == u'"') {
                    if (p + 1 < end && p[1] == u'"')
                        ++p;
                    else
                        quoted = false;
                    ++p;
                } else if (c == u'\r' || c == u'\n') {
                    p = skipLineEnd(p, end);
                    ++line;
                } else {
                    ++p;
                }
                continue;
            }
            if (c == u'\r' || c == u'\n')
                break;
            ++p;
            if (c == delimiter) {
                count();
                fieldStart = true;
                continue;
            }
            quoted = c == u'"' && fieldStart;
            fieldStart = false;
        }
        if (p < end) {
            p = skipLineEnd(p, end);
            ++line;
        }
    }
}

TListTable parseRows(const QString& text, char16_t delimiter, const QString& fileName) {
    const auto* p = reinterpret_cast<const char16_t*>(text.constData());
    const auto* end = p + text.size();
    const auto fieldEnd = [&](const char16_t* from) {
        while (from < end && *from != delimiter && *from != u'\r' && *from != u'\n')
            ++from;
        return from;
    };
    const auto failCellTooLong = [&](int line, qsizetype column) {
        failAtLine(fileName, line,
                   utf8("komórka w kolumnie %1 jest za długa (najwięcej %2 znaków)")
                       .arg(QString::number(column), QString::number(kMaxCellChars)));
    };

    TListTable table;
    int line = 1;
    qsizetype widest = 1;
    while (p < end) {
        if (*p == u'\r' || *p == u'\n') {
            p = skipLineEnd(p, end);
            ++line;
            continue;
        }
        const int rowLine = line;
        if (table.rows.size() == std::size_t(kMaxListRows))
            failAtLine(fileName, rowLine,
                       utf8("za dużo wierszy (najwięcej %1)").arg(QString::number(kMaxListRows)));
        QStringList row;
        row.reserve(widest);
        for (;;) {
            if (row.size() == kMaxListColumns)
                failAtLine(fileName, line,
                           utf8("za dużo kolumn (najwięcej %1)").arg(QString::number(kMaxListColumns)));
            const int cellLine = line;
            if (p < end && *p == u'"') {
                QString cell;
                const auto append = [&](const char16_t* from, qsizetype length) {
                    if (cell.size() + length > kMaxCellChars)
                        failCellTooLong(cellLine, row.size() + 1);
                    cell.append(reinterpret_cast<const QChar*>(from), length);
                };
                ++p;
                // Sized once: the distance to the closing quote bounds the cell.
                const char16_t* close = p;
                while (close < end && close - p <= kMaxCellChars) {
                    if (*close == u'"' && (close + 1 == end || close[1] != u'"'))
                        break;
                    close += *close == u'"' ? 2 : 1;
                }
                cell.reserve(std::min<qsizetype>(close - p, kMaxCellChars));
                for (;;) {
                    const char16_t* run = p;
                    while (p < end && *p != u'"' && *p != u'\r' && *p != u'\n')
                        ++p;
                    append(run, p - run);
                    if (p == end)
                        failAtLine(fileName, cellLine,
                                   utf8("cudzysłów otwarty w tym wierszu nie został zamknięty"));
                    if (*p == u'"') {
                        if (p + 1 < end && p[1] == u'"') {
                            append(p, 1);
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    // One line break inside quotes, whatever the file's kind.
                    p = skipLineEnd(p, end);
                    ++line;
                    static constexpr char16_t kNewLine = u'\n';
                    append(&kNewLine, 1);
                }
                // Text after the closing quote belongs to the cell, as spreadsheets read it.
                const char16_t* rest = p;
                p = fieldEnd(p);
                append(rest, p - rest);
                row.append(std::move(cell));
            } else {
                const char16_t* run = p;
                p = fieldEnd(p);
                if (p - run > kMaxCellChars)
                    failCellTooLong(cellLine, row.size() + 1);
                row.append(p == run ? QString() : QString(reinterpret_cast<const QChar*>(run), p - run));
            }
            if (p < end && *p == delimiter) {
                ++p;
                continue;
            }
            break;
        }
        if (p < end) {
            p = skipLineEnd(p, end);
            ++line;
        }
        widest = std::max(widest, row.size());
        table.rows.push_back(TListRow{rowLine, std::move(row)});
    }
    return table;
}

QByteArray readListBytes(const QString& fileName) {
    const auto fail = [&](const QString& cause) {
        throw EListFile(utf8("Nie mogę odczytać pliku %1: %2.").arg(fileName, cause));
    };
    if (fileName.isEmpty())
        fail(utf8("brak nazwy pliku"));
    // Non-blocking open: a named pipe with no writer must not hang the program.
    int fd = -1;
    do
        fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(readFailureCause(errno));
    struct TCloser {
        int fd;
        ~TCloser() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        fail(readFailureCause(errno));
    if (S_ISDIR(info.st_mode))
        fail(readFailureCause(EISDIR));
    if (!S_ISREG(info.st_mode))
        fail(utf8("to nie jest zwykły plik"));
    if (info.st_size > kMaxTextListBytes)
        failTooBig(fileName);
    // Sized by fstat, but read to the real end: the file may be growing.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > kMaxTextListBytes)
                failTooBig(fileName);
            bytes.resize(std::min(std::max(used * 2, qsizetype(64 * 1024)), kMaxTextListBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + used, std::size_t(bytes.size() - used));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(readFailureCause(errno));
        }
        if (got == 0)
            break;
        used += got;
    }
    bytes.truncate(used);
    return bytes;
}

} // namespace

TDelimitedList readDelimitedList(const QByteArray& bytes, const TDelimitedOptions& options, const QString& fileName) {
    if (bytes.size() > kMaxTextListBytes)
        failTooBig(fileName);
    const QChar given = options.delimiter;
    if (given == u'"' || given == u'\r' || given == u'\n')
        throw EListFile(utf8("Znak %1 nie może rozdzielać kolumn listy.")
                            .arg(given == u'"' ? utf8("\"") : utf8("końca wiersza")));

    TListEncoding encoding = options.encoding;
    if (encoding == TListEncoding::Auto && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")))
        throw EListFile(utf8("Plik %1 jest zapisany w UTF-16; zapisz listę jako CSV w UTF-8 albo Windows-1250.")
                            .arg(fileName));
    // The byte order mark is dropped without a copy of the list.
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF")
                                ? QByteArray::fromRawData(bytes.constData() + 3, bytes.size() - 3)
                                : bytes;
    // A zero byte is never text in these encodings: it is a binary file or UTF-16.
    if (const void* zero = std::memchr(body.constData(), 0, std::size_t(body.size())))
        failAtLine(fileName, lineOfByte(body, static_cast<const char*>(zero) - body.constData()),
                   utf8("bajt zerowy; to nie jest plik tekstowy"));

    // Delimiter and cell count from the bytes, before a character is decoded.
    const char* bytesBegin = body.constData();
    const char* bytesEnd = bytesBegin + body.size();
    const char16_t delimiter = given.isNull() ? detectDelimiter(bytesBegin, bytesEnd) : given.unicode();
    const bool asciiDelimiter = delimiter < 0x80;
    if (asciiDelimiter)
        checkCellCount(bytesBegin, bytesEnd, delimiter, fileName);
    const QString text = decodeList(bytes, body, encoding, fileName);
    if (!asciiDelimiter) {
        const auto* begin = reinterpret_cast<const char16_t*>(text.constData());
        checkCellCount(begin, begin + text.size(), delimiter, fileName);
    }
    return TDelimitedList{parseRows(text, delimiter, fileName), encoding, QChar(delimiter)};
}

TDelimitedList readDelimitedListFile(const QString& fileName, const TDelimitedOptions& options) {
    return readDelimitedList(readListBytes(fileName), options, fileName);
}

std::optional<TListEncoding> parseListEncoding(const QString& name) {
    for (TListEncoding encoding :
         {TListEncoding::Auto, TListEncoding::Utf8, TListEncoding::Windows1250, TListEncoding::Iso8859_2})
        if (name.compare(listEncodingName(encoding), Qt::CaseInsensitive) == 0)
            return encoding;
    return std::nullopt;
}

QString listEncodingName(TListEncoding encoding) {
    switch (encoding) {
    case TListEncoding::Utf8:
        return QStringLiteral("utf-8");
    case TListEncoding::Windows1250:
        return QStringLiteral("windows-1250");
    case TListEncoding::Iso8859_2:
        return QStringLiteral("iso-8859-2");
    default:
        return QStringLiteral("auto");
    }
}

QString listEncodingDisplayName(TListEncoding encoding) {
    switch (encoding) {
    case TListEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TListEncoding::Windows1250:
        return QStringLiteral("Windows-1250");
    case TListEncoding::Iso8859_2:
        return QStringLiteral("ISO-8859-2");
    default:
        return utf8("wykrywane samoczynnie");
    }
}

std::optional<QChar> parseListDelimiter(const QString& name) {
    if (name.compare(u"auto", Qt::CaseInsensitive) == 0)
        return QChar();
    if (name.compare(u"tab", Qt::CaseInsensitive) == 0 || name == u"\t")
        return QChar(u'\t');
    if (name == u";" || name == u",")
        return name.front();
    return std::nullopt;
}

QString listDelimiterName(QChar delimiter) {
    if (delimiter.isNull())
        return QStringLiteral("auto");
    if (delimiter == u'\t')
        return QStringLiteral("tab");
    return QString(delimiter);
}

} // namespace wendolarka::lists
