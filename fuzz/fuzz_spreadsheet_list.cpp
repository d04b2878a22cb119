// The spreadsheet list reader on arbitrary bytes: the first byte picks .xlsx or
// .ods, the rest is the zip.
#include "lists/spreadsheet_list.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace wendolarka::lists;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const TSpreadsheetKind kind = data[0] & 1 ? TSpreadsheetKind::Ods : TSpreadsheetKind::Xlsx;
    const QByteArray zip(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    try {
        (void)spreadsheetSheetNamesData(zip, kind, QStringLiteral("lista"));
        (void)readSpreadsheetData(zip, kind, data[0] >> 1 & 1, QStringLiteral("lista"));
    } catch (const EListFile&) {
        // Anything that is no readable list is refused; nothing else may throw.
    }
    return 0;
}
