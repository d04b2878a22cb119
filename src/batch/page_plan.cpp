#include "page_plan.h"

#include <QRegularExpression>

#include <algorithm>

namespace wendolarka {
namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kBleedMm = 1.0;
constexpr double kCardSideMinMm = 20, kCardSideMaxMm = 330;

double mmNumber(const QString& text) {
    QString dotted = text;
    dotted.replace(u',', u'.');
    return dotted.toDouble();
}

} // namespace

bool parseCardSize(const QString& text, QSizeF& sizeMm) {
    if (text.compare(QStringLiteral("CR80"), Qt::CaseInsensitive) == 0) {
        sizeMm = TCardOptions().sizeMm;
        return true;
    }
    static const QRegularExpression size(QStringLiteral("^\\s*([0-9]+(?:[.,][0-9]+)?)\\s*[xX×]\\s*([0-9]+(?:[.,][0-9]+)?)\\s*(?:mm)?\\s*$"));
    const QRegularExpressionMatch match = size.match(text);
    if (!match.hasMatch())
        return false;
    const QSizeF found(mmNumber(match.captured(1)), mmNumber(match.captured(2)));
    for (const double side : {found.width(), found.height()})
        if (side < kCardSideMinMm || side > kCardSideMaxMm)
            return false;
    sizeMm = found;
    return true;
}

QRectF fitInto(QSizeF passMm, const QRectF& area) {
    if (passMm.isEmpty())
        return {area.center(), QSizeF()};
    const double scale = std::min({1.0, area.width() / passMm.width(), area.height() / passMm.height()});
    const QSizeF size = passMm * scale;
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2,
            size.width(), size.height()};
}

TSheetLayout computeCardLayout(QSize passPixels, const TCardOptions& card, int pixelsPerInch) {
    TSheetLayout layout;
    layout.sheetMm = card.sizeMm;
    layout.columns = layout.rows = 1;
    const double bleed = card.bleed ? kBleedMm : 0.0;
    const QRectF area = QRectF(QPointF(), card.sizeMm).adjusted(-bleed, -bleed, bleed, bleed);
    layout.places.push_back(area);
    const QSizeF passMm(passPixels.width() * kMmPerInch / pixelsPerInch, passPixels.height() * kMmPerInch / pixelsPerInch);
    layout.passMm = fitInto(passMm, area).size();
    return layout;
}

// Turning the sheet over mirrors it across the edge it turns on. Portrait, two
// columns, two rows, seen from the side being printed:
//
//   front      long edge (like a book)     short edge (like a notepad)
//   | A B |    | B A |                     | C D |
//   | C D |    | D C |                     | A B |
//
// On the short edge the back page comes out turned half round against the long
// edge's back: the columns are mirrored twice over (so they stay) and the rows
// once. The passes themselves stand upright on either back, since the printer
// turns the page so that it reads right when turned over that way. A landscape
// page has its long edge at the top, so there the two swap.
QRectF placeBehind(const QRectF& place, QSizeF pageMm, TDuplex duplex) {
    const bool portrait = pageMm.height() >= pageMm.width();
    const bool turnsOnUpright = (duplex == TDuplex::LongEdge) == portrait;
    if (turnsOnUpright)
        return {pageMm.width() - place.right(), place.top(), place.width(), place.height()};
    return {place.left(), pageMm.height() - place.bottom(), place.width(), place.height()};
}

TPagePlan planPages(int passes, const TSheetLayout& layout, std::optional<QSizeF> backPassMm, TDuplex duplex) {
    TPagePlan plan;
    plan.sheets = layout.sheetsFor(passes);
    for (int sheet = 0; sheet < plan.sheets; ++sheet) {
        const int first = sheet * layout.perSheet();
        const int last = std::min(passes, first + layout.perSheet());
        TPlannedPage front{layout.sheetMm, false, {}};
        for (int i = first; i < last; ++i)
            front.passes.push_back({i, false, fitInto(layout.passMm, layout.places[static_cast<std::size_t>(i - first)])});
        if (backPassMm) {
            TPlannedPage back{layout.sheetMm, true, {}};
            for (int i = first; i < last; ++i) {
                const QRectF behind = placeBehind(layout.places[static_cast<std::size_t>(i - first)], layout.sheetMm, duplex);
                back.passes.push_back({i, true, fitInto(*backPassMm, behind)});
            }
            plan.pages.push_back(std::move(front));
            plan.pages.push_back(std::move(back));
        } else {
            plan.pages.push_back(std::move(front));
        }
    }
    return plan;
}

QString savedSummary(int sheets, bool cards, int passes, const QString& fileName) {
    const QString what = cards ? polishPlural(sheets, "kartę", "karty", "kart") : polishPlural(sheets, "arkusz", "arkusze", "arkuszy");
    return QStringLiteral("Zapisano %1, %2 do %3").arg(what, polishPlural(passes, "przepustkę", "przepustki", "przepustek"), fileName);
}

} // namespace wendolarka
