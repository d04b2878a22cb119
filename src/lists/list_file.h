#pragma once

#include "lists/delimited_list.h"
#include "lists/list_table.h"

#include <QString>
#include <QStringList>

namespace wendolarka::lists {

// How a person list file is read: a text list by its encoding and delimiter
// (detected unless given), a spreadsheet by its sheet (from 0).
struct TListFileOptions {
    TDelimitedOptions text;
    int sheet = 0;
};

struct TListFile {
    TListTable table;
    bool spreadsheet = false;
    QStringList sheets;           // a spreadsheet's sheet names, in tab order
    int sheet = 0;                // the one read
    TListEncoding encoding = TListEncoding::Auto; // a text list's, as read
    QChar delimiter;
    QString readAs() const;       // "UTF-8, separator „;”" or "arkusz „Osoby”"
};

// Reads a list by its extension: .xlsx, .xlsm and .ods as spreadsheets,
// anything else as delimited text. Throws EListFile.
TListFile readListFile(const QString& fileName, const TListFileOptions& options);

} // namespace wendolarka::lists
