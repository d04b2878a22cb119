#include "core/cp1250.h"

#include <gtest/gtest.h>

#include <set>

using namespace wendolarka;

TEST(Cp1250, EveryByteDecodesToADistinctCharacterAndBack) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = cp1250::decode(all);
    ASSERT_EQ(text.size(), 256);
    std::set<char16_t> seen;
    for (QChar c : text)
        seen.insert(c.unicode());
    EXPECT_EQ(seen.size(), 256u);
    EXPECT_EQ(cp1250::encode(text), all);
    for (int b = 0; b < 128; ++b)
        EXPECT_EQ(text[b].unicode(), b);
}

TEST(Cp1250, PolishLettersAndPunctuationSitWhereTheCodePagePutsThem) {
    const QString polish = QString::fromUtf8("ĄĆĘŁŃÓŚŹŻąćęłńóśźż€„”–—");
    const QByteArray expected("\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"
                              "\x80\x84\x94\x96\x97");
    EXPECT_EQ(cp1250::encode(polish), expected);
    EXPECT_EQ(cp1250::decode(expected), polish);
    // The five unassigned bytes become the control characters of the same number.
    EXPECT_EQ(cp1250::decode(QByteArray("\x81\x83\x88\x90\x98")),
              QString::fromUtf8("\u0081\u0083\u0088\u0090\u0098"));
}

TEST(Cp1250, CharactersOutsideTheCodePageAreReportedNotReplaced) {
    const QString text = QString::fromUtf8("Zażółć Жук");
    EXPECT_EQ(cp1250::firstUnencodable(text), 7);
    try {
        cp1250::encode(text);
        FAIL() << "encoding must refuse";
    } catch (const cp1250::EUnencodable& e) {
        EXPECT_EQ(e.position(), 7);
        EXPECT_EQ(e.character(), QChar(0x0416));
        EXPECT_TRUE(e.message().contains(QStringLiteral("U+0416")));
    }
    EXPECT_FALSE(cp1250::canEncode(QChar(0x00F1))); // ñ
    EXPECT_TRUE(cp1250::canEncode(QChar(0x00DF)));  // ß
    EXPECT_FALSE(cp1250::firstUnencodable(QString::fromUtf8("Wąż")).has_value());
}
