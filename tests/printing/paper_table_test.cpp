#include "printing/paper_table.h"

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(PaperTable, SixtySevenRowsAndTheirUnits) {
    ASSERT_EQ(kPaperTable.size(), 67u);
    EXPECT_STREQ(kPaperTable[pA4].name, "pA4");
    EXPECT_EQ(kPaperTable[pA4].code, 9);
    EXPECT_STREQ(kPaperTable[pCustom].name, "pCustom");
    EXPECT_EQ(kPaperTable[pEnvB6].width, 1760); // stored wider than tall
    EXPECT_EQ(PaperTypeFromCode(1), pLetter);
    EXPECT_EQ(PaperTypeFromCode(48), pCustom);
    EXPECT_EQ(PaperTypeFromCode(55), pA4Transverse);
}

TEST(PaperTable, UnitConversionAndA4InPixels) {
    EXPECT_EQ(paperSizeOf(pA4, mmPixel, poPortrait), QSize(794, 1123));
    EXPECT_EQ(paperSizeOf(pA4, mmPixel, poLandscape), QSize(1123, 794));
    EXPECT_EQ(paperSizeOf(pA4, mmHiMetric, poPortrait), QSize(21000, 29700));
    EXPECT_EQ(UnitConversion(15, 96, mmHiMetric, mmLoMetric), 1); // div truncates
    EXPECT_EQ(UnitConversion(-15, 96, mmHiMetric, mmLoMetric), -1);
    EXPECT_EQ(UnitConversion(3, 96, mmPoints, mmTWIPS), 60);
    EXPECT_EQ(UnitConversion(100, 600, mmPixel, mmPixel), 625); // printer dots from screen pixels
    EXPECT_EQ(UnitConversion(1000, 96, mmHiEnglish, mmPixel), 96);
    EXPECT_EQ(UnitConversion(1, 96, mmPixel, mmLoMetric), 3); // 2.6458 rounds up
}

TEST(PaperTable, FindingTheTypeOfASize) {
    // A4 in pixels reads back as 2101 x 2971 tenths of a millimetre: no row has that.
    EXPECT_EQ(FindPaperType(QSize(794, 1123), mmPixel), pCustom);
    EXPECT_EQ(FindPaperType(QSize(2100, 2970), mmLoMetric), pA4);
    EXPECT_EQ(FindPaperType(QSize(8500, 11000), mmHiEnglish), pLetter); // the first of the rows sharing it
    EXPECT_EQ(FindPaperType(QSize(500, 700), mmPixel), pCustom);
    EXPECT_EQ(FindPaperType(QSize(0, 0), mmPixel), pCustom); // pCustom's own row never matches
    EXPECT_EQ(clampPaperSize(QSize(0, 40000)), QSize(1, 32767));
    EXPECT_EQ(clampPaperSize(QSize(-5, 32767)), QSize(1, 32767));
}
