#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

namespace wendolarka {

// How passes go onto an A4 sheet.
struct TSheetOptions {
    bool landscape = false;
    int columns = 0; // 0 with rows 0: as many as fit
    int rows = 0;
    // Two standard passes (99.5 mm each) side by side on a portrait sheet.
    double marginMm = 5;
    double gapMm = 0;
    bool cutMarks = false;
};

// Where the passes of one sheet lie, in millimetres from the sheet's corner.
struct TSheetLayout {
    QSizeF sheetMm;
    QSizeF passMm;
    int columns = 0;
    int rows = 0;
    std::vector<QRectF> places; // row by row
    int perSheet() const { return columns * rows; }
    int sheetsFor(int passes) const { return passes <= 0 ? 0 : (passes + perSheet() - 1) / perSheet(); }
};

// A pass of `passPixels` at its screen size (`pixelsPerInch`, 96 as the print
// window prints it) laid out on A4. Throws Exception (in Polish) when not one
// pass fits, or when the fixed columns and rows do not fit the sheet.
TSheetLayout computeSheetLayout(QSize passPixels, const TSheetOptions& options, int pixelsPerInch = 96);

// "CxR" (e.g. "2x4") or "auto"; false for anything else.
bool parsePerSheet(const QString& text, TSheetOptions& options);

// "5 arkuszy": the number with the word's form for it (UTF-8 words).
QString polishPlural(int n, const char* one, const char* few, const char* many);

// "12 osób, 2 arkusze" with the Polish plural forms.
QString passCountText(int persons, int sheets);

} // namespace wendolarka
