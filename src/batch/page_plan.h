#pragma once

#include "sheet_layout.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace wendolarka {

// Which edge of the paper the printer turns the sheet over for the back.
enum class TDuplex { LongEdge, ShortEdge };

// One pass a page for a card printer.
struct TCardOptions {
    QSizeF sizeMm{85.6, 54}; // CR80
    // The pass fitted to a millimetre more on every side, so that a card
    // printed edge to edge shows no white rim where the pass reaches the edge.
    bool bleed = false;
};

// "CR80", "85.6x54" or "85,6x54mm"; false for anything else or a side outside 20-330 mm.
bool parseCardSize(const QString& text, QSizeF& sizeMm);

// A pass of `passPixels` (screen pixels) alone on a page of the card's size: the
// layout's only place is where the pass may lie (the card, or a millimetre
// beyond it with bleed), its passMm the size the pass gets there.
TSheetLayout computeCardLayout(QSize passPixels, const TCardOptions& card, int pixelsPerInch = 96);

// A pass of `passMm` in `area`: at its own size when it fits, else shrunk
// keeping its proportions; centred either way.
QRectF fitInto(QSizeF passMm, const QRectF& area);

// Where the back of a pass at `place` lies on the back page of a `pageMm` page.
QRectF placeBehind(const QRectF& place, QSizeF pageMm, TDuplex duplex);

struct TPlacedPass {
    int person = 0;    // index into the batch's persons
    bool back = false; // drawn from the back template
    QRectF placeMm;    // from the page's top-left corner
};

struct TPlannedPage {
    QSizeF sizeMm;
    bool back = false;
    std::vector<TPlacedPass> passes;
};

struct TPagePlan {
    std::vector<TPlannedPage> pages;
    int sheets = 0; // sheets of paper or cards: a front with its back is one
};

// The pages for `passes` passes on `layout`'s pages: each front page, and
// behind it, when the back's size is given, the backs of the same persons at
// the places behind theirs. Places the front leaves empty stay empty behind.
TPagePlan planPages(int passes, const TSheetLayout& layout, std::optional<QSizeF> backPassMm = {},
                    TDuplex duplex = TDuplex::LongEdge);

// "Zapisano 125 arkuszy, 1000 przepustek do przepustki.pdf" (cards: "3 karty").
QString savedSummary(int sheets, bool cards, int passes, const QString& fileName);

} // namespace wendolarka
