// The delimited list reader on arbitrary bytes: the first byte picks the
// encoding and the delimiter, as the command line could.
#include "lists/delimited_list.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace wendolarka::lists;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static constexpr std::array<TListEncoding, 4> kEncodings = {TListEncoding::Auto, TListEncoding::Utf8,
                                                                 TListEncoding::Windows1250, TListEncoding::Iso8859_2};
    static constexpr std::array<char16_t, 4> kDelimiters = {0, u';', u',', u'\t'};
    TDelimitedOptions options;
    options.encoding = kEncodings[data[0] % 4];
    options.delimiter = QChar(kDelimiters[(data[0] / 4) % 4]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    try {
        const TDelimitedList list = readDelimitedList(bytes, options, QStringLiteral("fuzz.csv"));
        // What is read keeps its promises: lines grow, no row is empty, the bounds hold.
        int previous = 0;
        for (const TListRow& row : list.table.rows) {
            if (row.sourceRow <= previous || row.cells.isEmpty() || row.cells.size() > kMaxListColumns)
                std::abort();
            for (const QString& cell : row.cells)
                if (cell.size() > kMaxCellChars)
                    std::abort();
            previous = row.sourceRow;
        }
        if (list.encoding == TListEncoding::Auto || list.delimiter.isNull())
            std::abort();
    } catch (const EListFile&) {
        // A clean refusal with a message is the other allowed outcome.
    }
    return 0;
}
