#pragma once

#include "lists/spreadsheet_package.h"

namespace wendolarka::lists::spreadsheet {

// The sheets' names of an .ods document, in tab order.
QStringList odsSheetNames(TPackage& package, const TPlace& place);
// One sheet (from 0) of an .ods document as rows; `place` gets the sheet's name.
TListTable readOds(TPackage& package, int sheetIndex, TPlace& place);

} // namespace wendolarka::lists::spreadsheet
