#include "barcode.h"

#include "core/canvas.h"

#include <zint.h>

#include <cmath>
#include <memory>
#include <optional>

namespace wendolarka {
namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

int zintSymbology(TBarcodeKind kind) {
    switch (kind) {
    case bkQR: return BARCODE_QRCODE;
    case bkCode128: return BARCODE_CODE128;
    case bkDataMatrix: return BARCODE_DATAMATRIX;
    case bkEAN13: return BARCODE_EANX;
    }
    return BARCODE_QRCODE;
}

int ean13CheckDigit(const QString& twelve) {
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += twelve[i].digitValue() * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

// What the library would refuse, said in the user's words before it is asked.
QString precheck(TBarcodeKind kind, const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("nie ma tekstu do zakodowania");
    if (kind == bkEAN13) {
        for (QChar c : text)
            if (c < u'0' || c > u'9')
                return QStringLiteral("EAN-13 koduje same cyfry, a „%1” ma też inne znaki").arg(text);
        if (text.size() != 12 && text.size() != 13)
            return QStringLiteral("EAN-13 potrzebuje 12 cyfr (albo 13 z cyfrą kontrolną), a „%1” ma %2")
                .arg(text)
                .arg(text.size());
        if (text.size() == 13 && text[12].digitValue() != ean13CheckDigit(text.left(12)))
            return QStringLiteral("cyfra kontrolna EAN-13 w „%1” powinna być %2").arg(text).arg(ean13CheckDigit(text.left(12)));
    }
    if (kind == bkCode128)
        for (QChar c : text)
            if (c.unicode() > 0xFF)
                return QStringLiteral("Code 128 nie zakoduje znaku „%1”").arg(c);
    return {};
}

} // namespace

QString barcodeKindName(TBarcodeKind kind) {
    switch (kind) {
    case bkQR: return QStringLiteral("QR");
    case bkCode128: return QStringLiteral("Code 128");
    case bkDataMatrix: return QStringLiteral("DataMatrix");
    case bkEAN13: return QStringLiteral("EAN-13");
    }
    return {};
}

TBarcodeSymbol makeBarcode(TBarcodeKind kind, const QString& text) {
    TBarcodeSymbol made;
    made.linear = kind == bkCode128 || kind == bkEAN13;
    made.error = precheck(kind, text);
    if (!made.error.isEmpty())
        return made;
    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        throw std::bad_alloc();
    symbol->symbology = zintSymbology(kind);
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    symbol->scale = 0.5f; // vector units of one module
    const QByteArray utf8 = text.toUtf8();
    const int result = ZBarcode_Encode_and_Buffer_Vector(symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()),
                                                         static_cast<int>(utf8.size()), 0);
    if (result >= ZINT_ERROR || !symbol->vector) {
        made.error = QStringLiteral("„%1” nie da się zakodować jako %2 (%3)")
                         .arg(text, barcodeKindName(kind), QString::fromLatin1(symbol->errtxt));
        return made;
    }
    made.modules = {symbol->vector->width, symbol->vector->height};
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next)
        if (r->colour == -1)
            made.bars.emplace_back(r->x, r->y, r->width, r->height);
    if (made.modules.isEmpty() || made.bars.empty())
        made.error = QStringLiteral("„%1” nie da się zakodować jako %2").arg(text, barcodeKindName(kind));
    return made;
}

TBarcode::TBarcode() : TGraphicControl(QStringLiteral("TBarcode")) {
    SetBounds(0, 0, 60, 60);
    setColor(clWhite);
}

void TBarcode::setKind(TBarcodeKind kind) {
    if (kind == m_kind)
        return;
    m_kind = kind;
    m_symbol.reset();
    Invalidate();
}

void TBarcode::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    Invalidate();
}

void TBarcode::setBarColor(TColor color) {
    if (color == m_barColor)
        return;
    m_barColor = color;
    Invalidate();
}

void TBarcode::setCodedText(const QString& text) {
    if (text == m_coded)
        return;
    m_coded = text;
    m_symbol.reset();
    Invalidate();
}

const TBarcodeSymbol& TBarcode::symbol() const {
    if (!m_symbol)
        m_symbol = makeBarcode(m_kind, m_coded);
    return *m_symbol;
}

std::pair<double, QPointF> TBarcode::layout(int scale) const {
    const TBarcodeSymbol& made = symbol();
    if (!made.error.isEmpty())
        return {0, {}};
    const double width = Width() * scale, height = Height() * scale;
    double module = std::floor(width / made.modules.width());
    if (!made.linear)
        module = std::min(module, std::floor(height / made.modules.height()));
    if (module < 1)
        return {0, {}};
    const double used = module * made.modules.width();
    const double left = std::floor((width - used) / 2);
    const double top = made.linear ? 0 : std::floor((height - module * made.modules.height()) / 2);
    return {module, {left, top}};
}

bool TBarcode::CodeFits(int scale) const { return layout(std::max(1, scale)).first >= 1; }

std::vector<QRectF> TBarcode::barsAt(int scale) const {
    scale = std::max(1, scale);
    const auto [module, at] = layout(scale);
    std::vector<QRectF> bars;
    if (module < 1)
        return bars;
    const TBarcodeSymbol& made = symbol();
    // Linear bars reach from the top of the box to its bottom, in whole pixels.
    const double rowPixels = made.linear ? std::floor(Height() * scale) / made.modules.height() : module;
    bars.reserve(made.bars.size());
    for (const QRectF& bar : made.bars) {
        const double top = std::round(at.y() + bar.top() * rowPixels);
        const double bottom = std::round(at.y() + bar.bottom() * rowPixels);
        bars.emplace_back(QPointF((at.x() + bar.left() * module) / scale, top / scale),
                          QPointF((at.x() + bar.right() * module) / scale, bottom / scale));
    }
    return bars;
}

void TBarcode::Paint(TCanvas& canvas) {
    canvas.Brush = {Color(), bsSolid};
    canvas.FillRect(ClientRect());
    // An empty field makes no code, as it makes no text: the run's check names such persons.
    if (m_coded.isEmpty())
        return;
    const QString error = symbol().error;
    if (!error.isEmpty() || !CodeFits(canvas.Scale())) {
        // Said where the code would be, so no pass goes out with a blank the user did not see.
        canvas.Font = Font();
        canvas.Font.setColor(clRed);
        TRect r = ClientRect();
        canvas.Brush.Style = bsClear;
        canvas.DrawText(error.isEmpty() ? QStringLiteral("kod się nie mieści") : error, r,
                        DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
        return;
    }
    canvas.FillRects(barsAt(canvas.Scale()), m_barColor);
}

} // namespace wendolarka
