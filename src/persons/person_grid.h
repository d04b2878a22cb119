#pragma once

#include <QSet>

#include <cstdint>

namespace wendolarka {

class ISQLiteDatabase;
class TFajny;

// The person grid's 13 columns: "Nr", "ID", the eleven texts; from column 6 on
// they start hidden.
inline constexpr int kPersonGridColumns = 13;
inline constexpr int kFirstHiddenPersonColumn = 6;
inline constexpr int kIdColumn = 1;
inline constexpr int kSurnameColumn = 4;

// Titles (trailing blanks kept) and widths into row 0.
void setPersonColumns(TFajny& grid);

// "Ostatni wydruk": when asked for, a column after the thirteen with the date of
// each person's latest pass in the print register, empty for one never printed
// (and for all when the database has no register). Only read: nothing is written.
inline constexpr int kLastPrintColumn = kPersonGridColumns;
void showLastPrintColumn(TFajny& grid, ISQLiteDatabase* db);
// Back to the thirteen columns.
void removeLastPrintColumn(TFajny& grid);

// The IDs of the persons in the grid's marked rows; without marks, the current row's.
QSet<std::int64_t> selectedPersonIds(const TFajny& grid);

} // namespace wendolarka
