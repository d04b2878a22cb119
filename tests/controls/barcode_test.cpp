#include "controls/barcode.h"
#include "controls/element_host.h"
#include "support/code_reader.h"

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// A pass of its own with one code on it, drawn `scale` times its size.
QImage drawn(TBarcodeKind kind, const QString& text, QSize box, int scale) {
    TElementHost host;
    host.setClientSize({box.width() + 20, box.height() + 20});
    TBarcode* code = host.createControl<TBarcode>(QStringLiteral("Kod1"));
    code->SetBounds(10, 10, box.width(), box.height());
    code->setKind(kind);
    code->setCodedText(text);
    QImage card;
    host.renderCard(card, scale);
    return card;
}

} // namespace

// On the screen (one pixel a unit) and on a 300 dpi sheet (four), each kind reads back as its text.
TEST(Barcode, EveryKindReadsBackOnTheScreenAndOnPaper) {
    struct Case {
        TBarcodeKind kind;
        QString text;
        QSize box;
    };
    const Case cases[] = {{bkQR, QString::fromUtf8("Wiśniewska K-0042"), {60, 60}},
                          {bkDataMatrix, QStringLiteral("K-0042"), {40, 40}},
                          {bkCode128, QStringLiteral("K-0042"), {150, 40}},
                          {bkEAN13, QStringLiteral("590123412345"), {150, 50}}};
    for (const Case& c : cases)
        for (int scale : {1, 4}) {
            const QString read = test::decodeCode(drawn(c.kind, c.text, c.box, scale));
            EXPECT_EQ(read, c.kind == bkEAN13 ? QStringLiteral("5901234123457") : c.text)
                << barcodeKindName(c.kind).toStdString() << " at scale " << scale;
        }
}

TEST(Barcode, ModulesLieOnWholePixelsWithTheirQuietZones) {
    TElementHost host;
    host.setClientSize({100, 100});
    TBarcode* code = host.createControl<TBarcode>(QStringLiteral("Kod1"));
    code->SetBounds(0, 0, 61, 61);
    code->setCodedText(QStringLiteral("1"));
    // 21 modules and 4 a side of quiet zone: 2 pixels a module at 96 dpi, 8 at four times.
    for (int scale : {1, 4})
        for (const QRectF& bar : code->barsAt(scale)) {
            const QRectF pixels(bar.topLeft() * scale, bar.size() * scale);
            EXPECT_EQ(pixels, pixels.toRect().toRectF());
            EXPECT_GE(pixels.left(), 4 * 2 * scale);
            EXPECT_LE(pixels.right(), 61 * scale - 4 * 2 * scale);
        }
    EXPECT_TRUE(code->CodeFits(1));
    code->SetBounds(0, 0, 20, 20); // fewer pixels than modules
    EXPECT_FALSE(code->CodeFits(1));
    EXPECT_TRUE(code->CodeFits(4));
}

TEST(Barcode, TextThatCannotBeCodedIsSaidInPolish) {
    EXPECT_EQ(makeBarcode(bkEAN13, QStringLiteral("59ABC")).error,
              QString::fromUtf8("EAN-13 koduje same cyfry, a „59ABC” ma też inne znaki"));
    EXPECT_TRUE(makeBarcode(bkEAN13, QStringLiteral("123")).error.contains(QStringLiteral("12 cyfr")));
    EXPECT_TRUE(makeBarcode(bkEAN13, QStringLiteral("5901234123450")).error.contains(QStringLiteral("powinna być 7")));
    EXPECT_TRUE(makeBarcode(bkEAN13, QStringLiteral("5901234123457")).error.isEmpty());
    EXPECT_EQ(makeBarcode(bkCode128, QString::fromUtf8("Łódź")).error, QString::fromUtf8("Code 128 nie zakoduje znaku „Ł”"));
    EXPECT_FALSE(makeBarcode(bkQR, QString(5000, u'x')).error.isEmpty());
    // An empty field gives no code and no message on the pass.
    EXPECT_FALSE(makeBarcode(bkQR, QString()).error.isEmpty());
}
