#include "lists/list_table.h"

#include <algorithm>

namespace wendolarka::lists {

int TListTable::columnCount() const {
    int most = 0;
    for (const TListRow& row : rows)
        most = std::max(most, int(row.cells.size()));
    return most;
}

} // namespace wendolarka::lists
