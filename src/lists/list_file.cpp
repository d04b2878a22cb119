#include "lists/list_file.h"

#include "lists/spreadsheet_list.h"

namespace wendolarka::lists {

QString TListFile::readAs() const {
    if (spreadsheet)
        return QString::fromUtf8("arkusz „%1”").arg(sheets.value(sheet));
    const QString separator = delimiter == u'\t' ? QString::fromUtf8("tabulator") : QString(delimiter);
    return listEncodingDisplayName(encoding) + QString::fromUtf8(", separator „%1”").arg(separator);
}

TListFile readListFile(const QString& fileName, const TListFileOptions& options) {
    TListFile file;
    if (isSpreadsheetFileName(fileName)) {
        file.spreadsheet = true;
        file.sheets = spreadsheetSheetNames(fileName);
        file.table = readSpreadsheet(fileName, options.sheet);
        file.sheet = options.sheet;
        return file;
    }
    TDelimitedList list = readDelimitedListFile(fileName, options.text);
    file.table = std::move(list.table);
    file.encoding = list.encoding;
    file.delimiter = list.delimiter;
    return file;
}

} // namespace wendolarka::lists
