#pragma once

#include "lists/list_table.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace wendolarka::lists {

// The two zipped spreadsheet formats a person list comes in.
enum class TSpreadsheetKind { Xlsx, Ods };

// By extension, case ignored: .xlsx and .xlsm are Xlsx, .ods is Ods.
std::optional<TSpreadsheetKind> spreadsheetKindOfFileName(const QString& fileName);
bool isSpreadsheetFileName(const QString& fileName);

// The sheet names in tab order.
QStringList spreadsheetSheetNames(const QString& fileName);
QStringList spreadsheetSheetNamesData(const QByteArray& zipBytes, TSpreadsheetKind kind, const QString& displayName);

// Reads one sheet (counted from 0 in tab order) as the user sees it: text as
// typed, dates as yyyy-MM-dd, numbers as the sheet displays them, booleans as
// PRAWDA/FAŁSZ. An .xlsx keeps no display, only the number format: the common
// ones are applied as Polish Excel shows them (zero padding, fixed decimals,
// literal text, sections for negatives, zero and text; a decimal comma and a
// non-breaking space between thousands), any other shows up to 15 significant
// digits without float noise or exponent. Empty cells inside a row keep the columns in place;
// trailing empty cells are dropped and rows without any text are no rows, but
// every row keeps its sheet row number. Throws EListFile naming the file and,
// where it applies, the sheet and the cell, for a file that cannot be read or
// breaks one of the bounds in list_table.h.
TListTable readSpreadsheet(const QString& fileName, int sheetIndex = 0);
// The same for the bytes of the zip; `displayName` is the file name messages use.
TListTable readSpreadsheetData(const QByteArray& zipBytes, TSpreadsheetKind kind, int sheetIndex,
                               const QString& displayName);

} // namespace wendolarka::lists
