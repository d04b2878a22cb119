#include "sheet_layout.h"

#include "core/exception.h"

#include <QRegularExpression>

#include <cmath>

namespace wendolarka {
namespace {

constexpr double kMmPerInch = 25.4;
// A little slack so that a pass exactly as wide as the room still fits.
constexpr double kSlackMm = 1e-6;

} // namespace

QString polishPlural(int n, const char* one, const char* few, const char* many) {
    const int tens = n % 100, units = n % 10;
    const char* word = n == 1 ? one : (units >= 2 && units <= 4 && (tens < 12 || tens > 14)) ? few : many;
    return QString::number(n) + u' ' + QString::fromUtf8(word);
}

TSheetLayout computeSheetLayout(QSize passPixels, const TSheetOptions& options, int pixelsPerInch) {
    TSheetLayout layout;
    layout.sheetMm = options.landscape ? QSizeF(297, 210) : QSizeF(210, 297);
    layout.passMm = QSizeF(passPixels.width() * kMmPerInch / pixelsPerInch, passPixels.height() * kMmPerInch / pixelsPerInch);
    const double margin = std::max(0.0, options.marginMm), gap = std::max(0.0, options.gapMm);
    const double roomW = layout.sheetMm.width() - 2 * margin, roomH = layout.sheetMm.height() - 2 * margin;
    const auto fitting = [&](double room, double pass) {
        return pass <= 0 ? 0 : static_cast<int>(std::floor((room + gap + kSlackMm) / (pass + gap)));
    };
    const int fitColumns = fitting(roomW, layout.passMm.width());
    const int fitRows = fitting(roomH, layout.passMm.height());
    if (options.columns > 0 || options.rows > 0) {
        layout.columns = std::max(1, options.columns);
        layout.rows = std::max(1, options.rows);
        if (layout.columns > fitColumns || layout.rows > fitRows)
            throw Exception(QString::fromUtf8("%1 × %2 przepustek nie mieści się na arkuszu A4 (mieści się najwyżej %3 × %4).")
                                .arg(layout.columns)
                                .arg(layout.rows)
                                .arg(fitColumns)
                                .arg(fitRows));
    } else {
        layout.columns = fitColumns;
        layout.rows = fitRows;
    }
    if (layout.columns < 1 || layout.rows < 1)
        throw Exception(QString::fromUtf8("Przepustka nie mieści się na arkuszu A4."));
    // The block of passes is centred on the sheet; the margins are its least distance from the edges.
    const double blockW = layout.columns * layout.passMm.width() + (layout.columns - 1) * gap;
    const double blockH = layout.rows * layout.passMm.height() + (layout.rows - 1) * gap;
    const double left = (layout.sheetMm.width() - blockW) / 2, top = (layout.sheetMm.height() - blockH) / 2;
    for (int r = 0; r < layout.rows; ++r)
        for (int c = 0; c < layout.columns; ++c)
            layout.places.emplace_back(left + c * (layout.passMm.width() + gap), top + r * (layout.passMm.height() + gap),
                                       layout.passMm.width(), layout.passMm.height());
    return layout;
}

bool parsePerSheet(const QString& text, TSheetOptions& options) {
    if (text.compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0) {
        options.columns = options.rows = 0;
        return true;
    }
    static const QRegularExpression grid(QStringLiteral("^([1-9][0-9]?)[xX]([1-9][0-9]?)$"));
    const QRegularExpressionMatch match = grid.match(text);
    if (!match.hasMatch())
        return false;
    options.columns = match.captured(1).toInt();
    options.rows = match.captured(2).toInt();
    return true;
}

QString passCountText(int persons, int sheets) {
    return polishPlural(persons, "osoba", "osoby", "osób") + QStringLiteral(", ") +
           polishPlural(sheets, "arkusz", "arkusze", "arkuszy");
}

} // namespace wendolarka
