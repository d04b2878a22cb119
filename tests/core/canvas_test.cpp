#include "core/canvas.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

QImage blank(int w, int h, TColor color = clWhite) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(toQColor(color));
    return image;
}

// A row of pixels as '#' (not white) and '.' (white).
std::string row(const TCanvas& canvas, int y, int from, int to) {
    std::string s;
    for (int x = from; x < to; ++x)
        s += canvas.Pixel(x, y) == clWhite ? '.' : '#';
    return s;
}

} // namespace

TEST(Canvas, LinesLeaveTheirEndPointAndPolylinesJoin) {
    QImage image = blank(10, 10);
    TCanvas canvas(image);
    canvas.MoveTo(1, 1);
    canvas.LineTo(6, 1);
    EXPECT_EQ(row(canvas, 1, 0, 8), ".#####..");
    EXPECT_EQ(canvas.PenPos(), QPoint(6, 1));
    canvas.Polyline({{1, 3}, {4, 3}, {4, 6}});
    EXPECT_EQ(row(canvas, 3, 0, 6), ".####.");
    EXPECT_EQ(canvas.Pixel(4, 5), clBlack);
    EXPECT_EQ(canvas.Pixel(4, 6), clWhite);
    canvas.MoveTo(0, 9);
    canvas.LineTo(3, 6); // a diagonal: 0,9 1,8 2,7 and not 3,6
    EXPECT_EQ(canvas.Pixel(2, 7), clBlack);
    EXPECT_EQ(canvas.Pixel(3, 6), clWhite);
}

TEST(Canvas, RectanglesExcludeRightAndBottom) {
    QImage image = blank(10, 8, clSilver);
    TCanvas canvas(image);
    canvas.Brush.Color = clWhite;
    canvas.Rectangle(2, 2, 6, 5);
    EXPECT_EQ(canvas.Pixel(2, 2), clBlack);
    EXPECT_EQ(canvas.Pixel(5, 4), clBlack);
    EXPECT_EQ(canvas.Pixel(6, 4), clSilver);
    EXPECT_EQ(canvas.Pixel(5, 5), clSilver);
    EXPECT_EQ(canvas.Pixel(3, 3), clWhite);
    canvas.Brush.Style = bsClear;
    canvas.Pen.Color = clRed;
    canvas.Rectangle(0, 0, 10, 8);
    EXPECT_EQ(canvas.Pixel(9, 7), clRed);
    EXPECT_EQ(canvas.Pixel(3, 3), clWhite); // a clear brush leaves the inside alone

    canvas.Brush = {clBlue, bsSolid};
    canvas.FillRect({7, 1, 9, 3});
    EXPECT_EQ(canvas.Pixel(8, 2), clBlue);
    EXPECT_EQ(canvas.Pixel(9, 2), clRed);
    EXPECT_EQ(canvas.Pixel(8, 3), clSilver);
    canvas.Brush.Color = clLime;
    canvas.FrameRect({1, 5, 5, 8});
    EXPECT_EQ(canvas.Pixel(1, 5), clLime);
    EXPECT_EQ(canvas.Pixel(4, 7), clLime);
    EXPECT_EQ(canvas.Pixel(2, 6), clSilver);
}

TEST(Canvas, PenModesCombineWithThePixelsBeneath) {
    EXPECT_EQ(applyPenMode(pmXor, clRed, clWhite), clAqua);
    EXPECT_EQ(applyPenMode(pmNot, clRed, clWhite), clBlack);
    EXPECT_EQ(applyPenMode(pmMask, 0x808080, 0x00FFFF), 0x008080);
    EXPECT_EQ(applyPenMode(pmMerge, clRed, clBlue), clFuchsia);
    EXPECT_EQ(applyPenMode(pmNotMerge, clRed, clBlue), clLime);
    EXPECT_EQ(applyPenMode(pmMaskNotPen, clRed, clWhite), 0xFFFF00);
    EXPECT_EQ(applyPenMode(pmMergePenNot, clBlack, clBlue), 0x00FFFF);
    EXPECT_EQ(applyPenMode(pmNop, clRed, clGreen), clGreen);
    EXPECT_EQ(applyPenMode(pmBlack, clRed, clGreen), clBlack);
    EXPECT_EQ(applyPenMode(pmWhite, clRed, clGreen), clWhite);

    QImage image = blank(4, 1, clGray);
    TCanvas canvas(image);
    canvas.Pen = {clWhite, 1, psSolid, pmXor};
    canvas.MoveTo(0, 0);
    canvas.LineTo(4, 0);
    EXPECT_EQ(canvas.Pixel(2, 0), 0x7F7F7F);
    canvas.DrawFocusRect({0, 0, 4, 1});
    canvas.DrawFocusRect({0, 0, 4, 1});
    EXPECT_EQ(canvas.Pixel(0, 0), 0x7F7F7F); // drawn twice: gone again
}

TEST(Canvas, Frame3DRingsAndTheRectangleLeftInside) {
    QImage image = blank(6, 5);
    TCanvas canvas(image);
    TRect r{0, 0, 6, 5};
    canvas.Frame3D(r, clBlue, clRed, 2);
    EXPECT_EQ(r, (TRect{2, 2, 4, 3}));
    EXPECT_EQ(canvas.Pixel(0, 0), clBlue);
    EXPECT_EQ(canvas.Pixel(4, 0), clBlue);
    EXPECT_EQ(canvas.Pixel(5, 0), clRed);  // top-right corner belongs to the bottom colour
    EXPECT_EQ(canvas.Pixel(0, 4), clRed);  // and so does the bottom-left one
    EXPECT_EQ(canvas.Pixel(1, 1), clBlue); // second ring
    EXPECT_EQ(canvas.Pixel(4, 3), clRed);
    EXPECT_EQ(canvas.Pixel(2, 2), clWhite);
}

TEST(Canvas, OriginAndClipConfineDrawing) {
    QImage image = blank(10, 10);
    TCanvas canvas(image);
    canvas.setOrigin({3, 3});
    canvas.setClipRect({3, 3, 6, 6});
    canvas.Brush.Color = clBlack;
    canvas.FillRect({-5, -5, 20, 20});
    EXPECT_EQ(canvas.Pixel(0, 0), clBlack); // canvas (0,0) is image (3,3)
    canvas.setOrigin({});
    EXPECT_EQ(canvas.Pixel(2, 2), clWhite);
    EXPECT_EQ(canvas.Pixel(6, 6), clWhite);
    EXPECT_EQ(canvas.Pixel(5, 5), clBlack);
    canvas.setPixel(8, 8, clRed);
    EXPECT_EQ(canvas.Pixel(8, 8), clWhite);
}

TEST(Canvas, DrawTextMeasuresLinesTabsBreaksAndPrefixes) {
    QImage image = blank(200, 100);
    TCanvas canvas(image);
    const int lineHeight = canvas.TextHeight(QStringLiteral("W"));
    TRect r{0, 0, 200, 100};
    EXPECT_EQ(canvas.DrawText(QStringLiteral("one\r\ntwo"), r, DT_CALCRECT), 2 * lineHeight);
    EXPECT_EQ(r.Bottom, 2 * lineHeight);
    EXPECT_EQ(r.Right, canvas.TextWidth(QStringLiteral("one")) > canvas.TextWidth(QStringLiteral("two"))
                           ? canvas.TextWidth(QStringLiteral("one"))
                           : canvas.TextWidth(QStringLiteral("two")));

    TRect narrow{0, 0, canvas.TextWidth(QStringLiteral("alpha beta")) - 1, 100};
    canvas.DrawText(QStringLiteral("alpha beta gamma"), narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(narrow.Bottom, 3 * lineHeight);
    TRect single{0, 0, 10, 100};
    canvas.DrawText(QStringLiteral("alpha beta"), single, DT_CALCRECT | DT_SINGLELINE | DT_WORDBREAK);
    EXPECT_EQ(single.Bottom, lineHeight);

    TRect plain{0, 0, 0, 0}, prefixed{0, 0, 0, 0}, literal{0, 0, 0, 0}, tabbed{0, 0, 0, 0};
    canvas.DrawText(QStringLiteral("Abc"), plain, DT_CALCRECT);
    canvas.DrawText(QStringLiteral("&Abc"), prefixed, DT_CALCRECT);
    canvas.DrawText(QStringLiteral("&Abc"), literal, DT_CALCRECT | DT_NOPREFIX);
    canvas.DrawText(QStringLiteral("a\tb"), tabbed, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_EQ(prefixed.Width(), plain.Width());
    EXPECT_GT(literal.Width(), plain.Width());
    EXPECT_GE(tabbed.Width(), 8 * QFontMetrics(canvas.Font.toQFont()).averageCharWidth());
}

TEST(Canvas, DrawTextAlignsWithinTheRectangle) {
    const auto inkSpan = [](const QImage& image) {
        int first = image.width(), last = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return std::pair(first, last);
    };
    QImage left = blank(120, 20), centre = blank(120, 20), right = blank(120, 20);
    for (auto [image, flag] : {std::pair(&left, DT_LEFT), std::pair(&centre, DT_CENTER),
                               std::pair(&right, DT_RIGHT)}) {
        TCanvas canvas(*image);
        canvas.Brush.Style = bsClear;
        TRect r{0, 0, 120, 20};
        canvas.DrawText(QStringLiteral("IIII"), r, flag);
    }
    const auto [l0, l1] = inkSpan(left);
    const auto [c0, c1] = inkSpan(centre);
    const auto [r0, r1] = inkSpan(right);
    EXPECT_LT(l0, 3);
    EXPECT_GT(r1, 115);
    EXPECT_NEAR((c0 + c1) / 2.0, 60, 3);
    EXPECT_EQ(l1 - l0, r1 - r0);
}
