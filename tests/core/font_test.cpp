#include "core/font.h"

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(Font, SizeAndHeightFollowPixelsPerInch) {
    TFont font;
    EXPECT_EQ(font.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.setSize(10);
    EXPECT_EQ(font.Height(), -13);
    font.setHeight(-16);
    EXPECT_EQ(font.Size(), 12);
}

TEST(Font, RendersWithAnInstalledFaceButKeepsItsStoredName) {
    const TFont arial(QStringLiteral("Arial"), 10, fsBold | fsUnderline, clRed, EASTEUROPE_CHARSET);
    const QFont q = arial.toQFont();
    EXPECT_EQ(q.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(q.pixelSize(), 13);
    EXPECT_TRUE(q.bold());
    EXPECT_TRUE(q.underline());
    EXPECT_FALSE(q.italic());
    EXPECT_EQ(QFont::Black, TFont(QStringLiteral("Arial Black"), 8, fsBold).toQFont().weight());

    // A dialog answers with the installed face; the stored name stays.
    const TFont back = TFont::fromQFont(q, clBlue, arial);
    EXPECT_EQ(back.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(back.Height(), -13);
    EXPECT_EQ(back.Style(), fsBold | fsUnderline);
    EXPECT_EQ(back.Color(), clBlue);
    EXPECT_EQ(back.Charset(), EASTEUROPE_CHARSET);

    QFont other(QStringLiteral("DejaVu Serif"));
    other.setPixelSize(20);
    EXPECT_EQ(TFont::fromQFont(other, clBlack, arial).Name(), QStringLiteral("DejaVu Serif"));
}
