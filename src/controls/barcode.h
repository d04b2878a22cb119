#pragma once

#include "control.h"

#include <QRectF>
#include <QSizeF>

#include <optional>
#include <vector>

namespace wendolarka {

enum TBarcodeKind { bkQR, bkCode128, bkDataMatrix, bkEAN13 };

// A symbol made of a text: its dark modules as rectangles in modules, quiet
// zones included in its size, or why the text cannot be coded.
struct TBarcodeSymbol {
    std::vector<QRectF> bars;
    QSizeF modules;
    bool linear = false; // bars that may stretch to any height
    QString error;       // Polish, empty when the symbol was made
};
TBarcodeSymbol makeBarcode(TBarcodeKind kind, const QString& text);

// The code's name as the user sees it ("QR", "Code 128", …).
QString barcodeKindName(TBarcodeKind kind);

// A code on the pass. Its Text is a composed text (a field, "{Indeks}", or
// fields with fixed text); what it codes is that text filled in for the pass.
// The modules are laid on whole pixels of the output, as large as the box
// allows, centred, with their quiet zones.
class TBarcode : public TGraphicControl {
public:
    TBarcode();

    TBarcodeKind Kind() const { return m_kind; }
    void setKind(TBarcodeKind kind);
    const QString& Text() const { return m_text; }
    void setText(const QString& text);
    TColor BarColor() const { return m_barColor; }
    void setBarColor(TColor color);

    // What is coded: the text filled in for the pass shown.
    const QString& CodedText() const { return m_coded; }
    void setCodedText(const QString& text);
    // Why the coded text makes no symbol; empty when it makes one.
    QString CodeError() const { return symbol().error; }
    // Whether the symbol is made and has at least a pixel a module at `scale`.
    bool CodeFits(int scale = 1) const;
    // The dark modules in units of the element, laid for `scale` pixels a unit.
    std::vector<QRectF> barsAt(int scale) const;
    bool ShowsPicture() const override { return true; }

protected:
    void Paint(TCanvas& canvas) override;

private:
    const TBarcodeSymbol& symbol() const;
    // Pixels a module at `scale` (0 when the box is too small for one) and where the symbol starts.
    std::pair<double, QPointF> layout(int scale) const;

    TBarcodeKind m_kind = bkQR;
    QString m_text = QStringLiteral("{Indeks}");
    QString m_coded;
    TColor m_barColor = clBlack;
    mutable std::optional<TBarcodeSymbol> m_symbol;
};

} // namespace wendolarka
