#include "controls/host_form.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct Decor : ::testing::Test {
    THostForm form;
    Decor() {
        form.resize(120, 80);
        form.client().setColor(clWhite);
    }
    TktMultiBevel* frame(int w, int h) {
        auto* f = form.createControl<TktMultiBevel>(QStringLiteral("Ramka"));
        f->SetBounds(0, 0, w, h);
        return f;
    }
    // A frame that is only its coloured band, without bevels.
    TktMultiBevel* bandOnly(TRect bounds, int borderWidth, TColor color) {
        auto* f = form.createControl<TktMultiBevel>(QStringLiteral("Band"));
        f->setBoundsRect(bounds);
        f->setBevelInner(bstNone);
        f->setBevelOuter(bstNone);
        f->setBorderWidth(borderWidth);
        f->setColor(color);
        return f;
    }
    static TColor px(const QImage& card, int x, int y) { return fromQColor(card.pixelColor(x, y)); }

    // Bounding box of the pixels for which `match` holds.
    template <typename Match>
    static QRect inkBox(const QImage& card, Match match) {
        QRect box;
        for (int y = 0; y < card.height(); ++y)
            for (int x = 0; x < card.width(); ++x)
                if (match(px(card, x, y)))
                    box |= QRect(x, y, 1, 1);
        return box;
    }
};

} // namespace

TEST(MultiBevel, ColourDerivesItsBevelColours) {
    TktMultiBevel f;
    EXPECT_EQ(f.Color(), clBtnFace);
    EXPECT_EQ(f.ColorHighlight(), clBtnHighlight);
    const std::tuple<TColor, TColor, TColor> table[] = {
        {clBlue, 0xFFABAB, 0xA80000}, {clGreen, 0xABD5AB, 0x005400},
        {clTeal, 0xD5D5AB, 0x545400}, {clBlack, 0xABABAB, 0x000000}};
    for (const auto& [color, highlight, shadow] : table) {
        f.setColor(color);
        EXPECT_EQ(f.ColorHighlight(), highlight);
        EXPECT_EQ(f.ColorShadow(), shadow);
    }
    f.setColorHighlight(clRed); // ignored while the colours are derived
    EXPECT_EQ(f.ColorHighlight(), 0xABABAB);
    f.setColorFixed(false);
    f.setColorHighlight(clRed);
    EXPECT_EQ(f.ColorHighlight(), clRed);
    f.setColor(clBtnFace);
    EXPECT_EQ(f.ColorHighlight(), clRed);
    f.setColorFixed(true);
    EXPECT_EQ(f.ColorHighlight(), clBtnHighlight);
    EXPECT_EQ(f.ColorShadow(), clBtnShadow);
}

TEST(MultiBevel, DensityAndTransparenceRules) {
    TktMultiBevel f;
    f.setColorDensity(50);
    EXPECT_EQ(f.ShadowDensity(), 30);
    f.setColorDensity(45);
    EXPECT_EQ(f.ShadowDensity(), 27);
    f.setShadowDensity(10); // follows the colour density
    EXPECT_EQ(f.ShadowDensity(), 27);
    f.setDensityDepended(false);
    f.setShadowDensity(10);
    EXPECT_EQ(f.ShadowDensity(), 10);
    f.setDensityDepended(true);
    EXPECT_EQ(f.ShadowDensity(), 27);

    TktMultiBevel g;
    g.setShadowed(true);
    g.setTransparence(trTransparent);
    EXPECT_FALSE(g.Shadowed());
    EXPECT_EQ(g.ColorDensity(), 0);
    g.setShadowed(true);
    EXPECT_FALSE(g.Shadowed());
    g.setTransparence(trSemi);
    EXPECT_EQ(g.ColorDensity(), 50);
    g.setColorDensity(70);
    g.setTransparence(trNone);
    EXPECT_EQ(g.ColorDensity(), 100);
    g.setTransparence(trSemi);
    EXPECT_EQ(g.ColorDensity(), 70);
    EXPECT_EQ(Blend(clRed, clWhite, 50), rgbColor(255, 128, 128)); // 127.5 to the even 128
}

TEST_F(Decor, BandOnTheEdgeWithALoweredBevelInside) {
    auto* f = frame(20, 15);
    f->setBevelInner(bstLowered);
    f->setBevelOuter(bstNone);
    f->setBorderWidth(3);
    f->setColor(clBlue);
    const QImage card = form.Snapshot();
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(px(card, k, 7), clBlue);
        EXPECT_EQ(px(card, 19 - k, 7), clBlue);
        EXPECT_EQ(px(card, 10, k), clBlue);
        EXPECT_EQ(px(card, 10, 14 - k), clBlue);
    }
    EXPECT_EQ(px(card, 3, 7), 0xA80000);  // dark left
    EXPECT_EQ(px(card, 10, 3), 0xA80000); // dark top
    EXPECT_EQ(px(card, 16, 7), 0xFFABAB); // light right
    EXPECT_EQ(px(card, 10, 11), 0xFFABAB);
    EXPECT_EQ(px(card, 10, 7), clWhite);  // the middle is never painted
    EXPECT_EQ(px(card, 4, 4), clWhite);
    EXPECT_EQ(px(card, 20, 7), clWhite);
}

TEST_F(Decor, DefaultBevelsAroundATwoPixelBand) {
    auto* f = frame(20, 15);
    f->setBorderWidth(2);
    f->setColor(clBlack);
    const QImage card = form.Snapshot();
    EXPECT_EQ(px(card, 0, 7), 0x000000);  // outer lowered: shadow of black is black
    EXPECT_EQ(px(card, 19, 7), 0xABABAB); // and the light side
    EXPECT_EQ(px(card, 1, 7), clBlack);
    EXPECT_EQ(px(card, 2, 7), clBlack);
    EXPECT_EQ(px(card, 3, 7), 0xABABAB); // inner raised: light top-left
    EXPECT_EQ(px(card, 16, 7), 0x000000);
    EXPECT_EQ(px(card, 10, 7), clWhite);
}

TEST_F(Decor, NothingToPaintAndTransparentBands) {
    auto* f = frame(20, 15);
    f->setBevelInner(bstNone);
    f->setBevelOuter(bstNone);
    f->setColor(clRed);
    EXPECT_EQ(inkBox(form.Snapshot(), [](TColor c) { return c != clWhite; }), QRect());
    f->setBorderWidth(3);
    f->setTransparence(trTransparent);
    EXPECT_EQ(inkBox(form.Snapshot(), [](TColor c) { return c != clWhite; }), QRect());
}

TEST_F(Decor, SemiTransparentBandBlendsWithEachPixelBeneath) {
    // Vertical stripes under the frame: black on odd columns.
    for (int x = 1; x < 20; x += 2) {
        bandOnly(TRect::bounds(x, 0, 1, 15), 1, clBlack);
    }
    auto* f = bandOnly(TRect::bounds(0, 0, 20, 15), 2, clRed);
    f->setTransparence(trSemi);
    const QImage card = form.Snapshot();
    EXPECT_EQ(px(card, 10, 0), rgbColor(255, 128, 128)); // over white
    EXPECT_EQ(px(card, 11, 1), rgbColor(128, 0, 0));     // over black
    EXPECT_EQ(px(card, 0, 7), rgbColor(255, 128, 128));
    EXPECT_EQ(px(card, 10, 7), clWhite);
    EXPECT_EQ(px(card, 11, 7), clBlack);
}

TEST_F(Decor, DitheredShadowOverAnEvenBackground) {
    auto* f = bandOnly(TRect::bounds(0, 0, 20, 15), 2, clBlue);
    f->setShadowed(true);
    const QImage card = form.Snapshot();
    const TColor shade = Blend(0x808080, clWhite, 60);
    EXPECT_EQ(px(card, 19, 10), shade); // the shadow shows right and below the frame
    EXPECT_EQ(px(card, 10, 14), shade);
    EXPECT_EQ(px(card, 0, 0), clBlue);  // the band moved by nothing on its own side
    EXPECT_EQ(px(card, 16, 11), clBlue);
    EXPECT_EQ(px(card, 10, 7), clWhite);
}

TEST_F(Decor, PortraitShapeCutsItsCorners) {
    auto* f = bandOnly(TRect::bounds(0, 0, 40, 40), 1, clRed);
    f->setShape(bspPortrait);
    f->setEdgeSize(10);
    const QImage card = form.Snapshot();
    EXPECT_EQ(px(card, 0, 0), clWhite);   // the corner is cut
    EXPECT_EQ(px(card, 0, 20), clRed);    // the left side
    EXPECT_EQ(px(card, 20, 0), clRed);    // the top side
    EXPECT_EQ(px(card, 39, 20), clRed);
    EXPECT_EQ(px(card, 20, 39), clRed);
    EXPECT_EQ(px(card, 20, 20), clWhite);
}

TEST_F(Decor, LabelGradientBordersAndLayout) {
    auto* label = form.createControl<TLabel3DF>(QStringLiteral("lbl1"));
    label->SetBounds(0, 0, 101, 20);
    label->setCaption(QString());
    label->setFillGradient(true);
    QImage card = form.Snapshot();
    EXPECT_EQ(px(card, 0, 10), clWhite);
    EXPECT_EQ(px(card, 50, 10), rgbColor(127, 191, 191));
    EXPECT_EQ(px(card, 100, 10), clTeal);

    label->SetBounds(0, 0, 1, 20); // one column: no gradient at all
    label->setColor(clYellow);
    EXPECT_EQ(px(form.Snapshot(), 0, 10), clWhite);

    label->SetBounds(0, 0, 30, 20);
    label->setFillGradient(false);
    label->setBorderStyle(lbInn);
    label->setBorderWidth(2);
    card = form.Snapshot();
    EXPECT_EQ(px(card, 0, 10), colorToRGB(clBtnShadow));
    EXPECT_EQ(px(card, 1, 10), colorToRGB(clBtnShadow));
    EXPECT_EQ(px(card, 2, 10), colorToRGB(clBtnHighlight));
    EXPECT_EQ(px(card, 26, 10), colorToRGB(clBtnShadow));
    EXPECT_EQ(px(card, 4, 10), clYellow); // the inside starts 4 pixels in
    EXPECT_EQ(px(card, 25, 15), clYellow);
}

TEST_F(Decor, LabelTextEffects) {
    auto* label = form.createControl<TLabel3DF>(QStringLiteral("lbl2"));
    label->SetBounds(10, 10, 100, 60);
    label->setTransparent(true);
    label->setCaption(QStringLiteral("HH"));
    label->setFont(TFont(QStringLiteral("Arial"), 12, fsBold, clBlack));
    label->setShadowColor(clRed);
    label->setHighLightColor(clLime);
    const auto black = [](TColor c) { return c == clBlack; };
    const auto red = [](TColor c) { return c == clRed; };
    const auto lime = [](TColor c) { return c == clLime; };

    // Boxes of pure colours only: the smoothed text edges are mixtures.
    label->setBevel(blNone);
    const QRect text = inkBox(form.Snapshot(), black);
    ASSERT_FALSE(text.isEmpty());

    label->setBevel(blShadow);
    label->setShadowSize(3);
    QImage card = form.Snapshot();
    EXPECT_EQ(inkBox(card, red).bottomRight(), text.bottomRight() + QPoint(3, 3));
    EXPECT_TRUE(inkBox(card, lime).isEmpty());

    label->setBevel(blRaised);
    label->setShadowSize(1);
    card = form.Snapshot();
    EXPECT_EQ(inkBox(card, lime).topLeft(), text.topLeft() - QPoint(1, 1));
    EXPECT_EQ(inkBox(card, red).bottomRight(), text.bottomRight() + QPoint(1, 1));
    EXPECT_EQ(inkBox(card, black), text);

    label->setEnabled(false);
    card = form.Snapshot();
    EXPECT_TRUE(inkBox(card, lime).isEmpty()); // no up-left copy when disabled
    EXPECT_FALSE(inkBox(card, [](TColor c) { return c == 0x808080; }).isEmpty());
    label->setBevel(blNone);
    EXPECT_EQ(inkBox(form.Snapshot(), black), text);

    label->setEnabled(true);
    label->setLayout(tlCenter);
    const QRect centred = inkBox(form.Snapshot(), black);
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas measure(scratch);
    measure.Font = label->Font();
    const int lineHeight = measure.TextHeight(QStringLiteral("HH"));
    EXPECT_EQ(centred.top() - text.top(), (60 - lineHeight) / 2);
}

TEST_F(Decor, ShadowStylesCombineWithTheBackground) {
    const std::pair<TShadowStyle, TColor> styles[] = {
        {ssXOR, 0x7F7F7F}, {ssNot, clBlack}, {ssTransparent, clWhite}, {ssBlack, clBlack},
        {ssCopy, 0x808080}, {ssMask, 0x808080}, {ssMerge, clWhite}, {ssNotCopy, 0x7F7F7F}};
    auto* f = bandOnly(TRect::bounds(0, 0, 20, 15), 2, clBlue);
    f->setShadowed(true);
    for (const auto& [style, expected] : styles) {
        f->setShadowStyle(style);
        EXPECT_EQ(px(form.Snapshot(), 19, 10), expected) << style;
    }
}
