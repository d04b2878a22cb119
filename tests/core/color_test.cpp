#include "core/color.h"

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(Color, NamesMapBothWays) {
    const std::pair<const char*, TColor> samples[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clTeal", 0x808000},
        {"clRed", 0x0000FF},   {"clBlue", 0xFF0000},   {"clWhite", 0xFFFFFF},
        {"clScrollBar", static_cast<TColor>(0x80000000)}, {"clBtnFace", static_cast<TColor>(0x8000000F)},
        {"clBtnHighlight", static_cast<TColor>(0x80000014)}, {"clInfoBk", static_cast<TColor>(0x80000018)},
        {"clNone", 0x1FFFFFFF},
    };
    for (const auto& [name, value] : samples) {
        EXPECT_EQ(colorToIdent(value), QString::fromLatin1(name)) << name;
        EXPECT_EQ(identToColor(QString::fromLatin1(name)), value) << name;
    }
    EXPECT_EQ(identToColor(QStringLiteral("CLFUCHSIA")), clFuchsia);
    EXPECT_FALSE(identToColor(QStringLiteral("clOrange")).has_value());
    EXPECT_FALSE(colorToIdent(11250603).has_value());
}

TEST(Color, SystemColoursAndNoneResolveToPlainValues) {
    EXPECT_EQ(colorToRGB(clBtnFace), 0xC0C0C0);
    EXPECT_EQ(colorToRGB(clBtnShadow), 0x808080);
    EXPECT_EQ(colorToRGB(clBtnHighlight), 0xFFFFFF);
    EXPECT_EQ(colorToRGB(clWindowText), 0x000000);
    EXPECT_EQ(colorToRGB(clNone), 0xFFFFFF);
    EXPECT_EQ(colorToRGB(11250603), 11250603);
    EXPECT_EQ(toQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(11250603), QColor(171, 171, 171));
    EXPECT_EQ(fromQColor(QColor(0, 128, 128)), clTeal);
}
