#pragma once

#include "lists/spreadsheet_package.h"

namespace wendolarka::lists::spreadsheet {

// The sheets' names of an .xlsx workbook, in tab order.
QStringList xlsxSheetNames(TPackage& package, const TPlace& place);
// One sheet (from 0) of an .xlsx workbook as rows; `place` gets the sheet's name.
TListTable readXlsx(TPackage& package, int sheetIndex, TPlace& place);

} // namespace wendolarka::lists::spreadsheet
