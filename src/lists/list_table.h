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
// A spreadsheet file, and each part it unpacks to.
inline constexpr qsizetype kMaxListFileBytes = qsizetype(256) * 1024 * 1024;
// A text list is held as bytes, as decoded text and as cells at once; 64 MB is
// some hundred thousand persons more than any office has.
inline constexpr qsizetype kMaxTextListBytes = qsizetype(64) * 1024 * 1024;
inline constexpr int kMaxListColumns = 1024;
inline constexpr int kMaxListRows = 1'000'000;
inline constexpr qsizetype kMaxCellChars = 32 * 1024;
// Rows times columns is bounded by the file size only loosely: 64 MB of ";;;"
// would be 64 million empty cells. A million persons with sixteen fields is
// more than any real list.
inline constexpr qsizetype kMaxListCells = qsizetype(16) * 1024 * 1024;

} // namespace wendolarka::lists
