#pragma once

#include <QSet>

#include <cstdint>

namespace wendolarka {

class TFajny;

// The person grid's 13 columns: "Nr", "ID", the eleven texts; from column 6 on
// they start hidden.
inline constexpr int kPersonGridColumns = 13;
inline constexpr int kFirstHiddenPersonColumn = 6;
inline constexpr int kIdColumn = 1;
inline constexpr int kSurnameColumn = 4;

// Titles (trailing blanks kept) and widths into row 0.
void setPersonColumns(TFajny& grid);

// The IDs of the persons in the grid's marked rows; without marks, the current row's.
QSet<std::int64_t> selectedPersonIds(const TFajny& grid);

} // namespace wendolarka
