#include "person_grid.h"

#include "database/print_register.h"
#include "grid/sortable_grid.h"

#include <array>

namespace wendolarka {
namespace {

struct ColumnLayout {
    const char* title;
    int width;
};

const std::array<ColumnLayout, kPersonGridColumns> kColumns = {{
    {"Nr", 30}, {"ID", 0}, {"Tytuł", 110}, {"Imię", 140}, {"Nazwisko", 170},
    {"Priorytet ", 80}, {"Indeks ", 84}, {"Adres1 ", 240}, {"Adres2 ", 240},
    {"Telefon1 ", 260}, {"Telefon2 ", 260}, {"Usługa1 ", 340}, {"Usługa2 ", 340},
}};

} // namespace

void setPersonColumns(TFajny& grid) {
    grid.setColCount(kPersonGridColumns);
    for (int c = 0; c < kPersonGridColumns; ++c) {
        grid.setCells(c, 0, QString::fromUtf8(kColumns[static_cast<std::size_t>(c)].title));
        grid.setColWidths(c, kColumns[static_cast<std::size_t>(c)].width);
    }
}

void showLastPrintColumn(TFajny& grid, ISQLiteDatabase* db) {
    const QHash<std::int64_t, QDateTime> last = db ? print_register::LastPrinted(*db) : QHash<std::int64_t, QDateTime>();
    grid.setColCount(kLastPrintColumn + 1);
    grid.setCells(kLastPrintColumn, 0, QString::fromUtf8("Ostatni wydruk"));
    grid.setColWidths(kLastPrintColumn, 120);
    for (int row = 1; row < grid.RowCount(); ++row) {
        bool isNumber = false;
        const std::int64_t id = grid.Cells(kIdColumn, row).toLongLong(&isNumber);
        const auto found = isNumber ? last.constFind(id) : last.constEnd();
        // Year first, so the column sorts by time as text.
        grid.setCells(kLastPrintColumn, row,
                      found == last.constEnd() ? QString() : found->toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    }
}

void removeLastPrintColumn(TFajny& grid) {
    if (grid.ColCount() > kLastPrintColumn)
        grid.setColCount(kLastPrintColumn);
}

QSet<std::int64_t> selectedPersonIds(const TFajny& grid) {
    QSet<std::int64_t> ids;
    const auto take = [&](int row) {
        bool isNumber = false;
        const std::int64_t id = grid.Cells(kIdColumn, row).toLongLong(&isNumber);
        if (isNumber && row >= grid.FixedRows() && row < grid.RowCount())
            ids.insert(id);
    };
    // The marked persons; without marks, the one in the current row.
    for (const int row : grid.SelectedRows())
        take(row);
    if (ids.isEmpty())
        take(grid.Row());
    return ids;
}

} // namespace wendolarka
