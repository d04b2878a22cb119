#include "core/arithmetic.h"
#include "printing/paper_table.h"
#include "printing/preview_layout.h"

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(PreviewLayout, FitWidthHeightAndOtherZooms) {
    const QSize a4 = paperSizeOf(pA4, mmPixel, poPortrait); // 794 x 1123
    const int frame = 2 * 1 + 3;
    // An area wider than the page: the height decides.
    const TPaperBox fit = ComputePaperBox(zsZoomToFit, 40, QSize(600, 440), a4, frame);
    EXPECT_EQ(fit.size, QSize(313, 440));
    EXPECT_EQ(fit.zoom, 39);
    const TPaperBox other = ComputePaperBox(zsZoomOther, 40, QSize(600, 440), a4, frame);
    EXPECT_EQ(other.size, QSize(323, 454));
    EXPECT_EQ(other.zoom, 40);
    const TPaperBox width = ComputePaperBox(zsZoomToWidth, 40, QSize(600, 440), a4, frame);
    EXPECT_EQ(width.size.width(), 600);
    EXPECT_EQ(width.size.height(), 5 + MulDiv(595, 1123, 794));
    // A tall narrow area: the width decides.
    EXPECT_EQ(ComputePaperBox(zsZoomToFit, 40, QSize(300, 900), a4, frame).size.width(), 300);
}

TEST(PreviewLayout, ZoomLimitsAndWheelNotches) {
    EXPECT_EQ(clampZoom(5, 10, 500), 10);
    EXPECT_EQ(clampZoom(600, 10, 500), 500);
    EXPECT_EQ(clampZoom(100, 10, 500), 100);
    TWheelAccumulator wheel;
    EXPECT_EQ(wheel.add(240), 2);
    EXPECT_EQ(wheel.add(60), 0);
    EXPECT_EQ(wheel.add(60), 1);
    EXPECT_EQ(wheel.add(-130), -1);
    EXPECT_EQ(wheel.value(), -10);
    EXPECT_EQ(wheel.add(2'000'000'000), 1'000'000'000 / 120); // saturated, never wrapped
}
