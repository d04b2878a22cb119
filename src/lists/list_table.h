#pragma once

#include "core/exception.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace wendolarka::lists {

// One row of a person list as read, with the place it came from so every
// message can name it: the line of a text list, the row of a sheet (from 1).
struct TListRow {
    int sourceRow = 0;
    QStringList cells;
};

// A list of rows read from a delimited text or a spreadsheet; rows may be ragged.
struct TListTable {
    std::vector<TListRow> rows;
    // The widest row's cell count.
    int columnCount() const;
};

// A list that cannot be read: the message is Polish and names the file and the
// line or cell.
class EListFile : public Exception {
public:
    using Exception::Exception;
};

// Bounds that keep a hostile file from costing more than a real list could.
inline constexpr qsizetype kMaxListFileBytes = qsizetype(256) * 1024 * 1024;
inline constexpr int kMaxListColumns = 1024;
inline constexpr int kMaxListRows = 1'000'000;
inline constexpr qsizetype kMaxCellChars = 32 * 1024;

} // namespace wendolarka::lists
