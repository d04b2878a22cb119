#include "core/exception.h"
#include "help/rtf_reader.h"
#include "support/error_text.h"

#include <QFile>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <random>

using namespace wendolarka;

namespace {

struct RtfReader : ::testing::Test {
    QTextDocument document;

    bool read(const QByteArray& rtf) { return readRtf(rtf, document); }
    QString plain() const { return document.toPlainText(); }
    QString raw() const { return document.toRawText(); } // keeps no-break spaces and line separators

    QTextCharFormat formatOf(const QString& needle) const {
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
                if (it.fragment().text().contains(needle))
                    return it.fragment().charFormat();
        ADD_FAILURE() << "no run holds " << needle.toStdString();
        return {};
    }

    QTextBlockFormat blockOf(const QString& needle) const {
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            if (block.text().contains(needle))
                return block.blockFormat();
        ADD_FAILURE() << "no paragraph holds " << needle.toStdString();
        return {};
    }
};

// A small document touching most of what the reader knows, without \u so that any
// prefix of it reads as a prefix of the whole.
const QByteArray kSample(R"({\rtf1\ansi\ansicpg1250\deff0{\fonttbl{\f0\fcharset238 Arial;}}{\colortbl;\red255\green0\blue0;})"
                         R"({\*\generator x;}\pard\qc{\b Za\'bf\'f3\'b3\'e6}\par\pard {\cf1 g\'ea\'9cl\'b9\tab ja\'9f\'f1})"
                         R"({\pict\bin2 }}}\par})");

} // namespace

TEST_F(RtfReader, CharacterFormattingFollowsGroupsAndToggles) {
    read(R"({\rtf1\ansi\ansicpg1250\deff0{\fonttbl{\f0\fswiss\fcharset238 Arial;}{\f1\froman Times New Roman;}})"
         R"(\f0\fs20 plain {\b bold} {\i italic} \ul under\ul0  {\strike gone} \b heavy\b0  light {\f1\fs24 times}\par})");
    EXPECT_EQ(plain(), QStringLiteral("plain bold italic under gone heavy light times\n"));
    EXPECT_EQ(formatOf("plain").fontWeight(), QFont::Normal);
    EXPECT_EQ(formatOf("bold").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf("heavy").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf("light").fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatOf("italic").fontItalic());
    EXPECT_FALSE(formatOf("bold").fontItalic());
    EXPECT_TRUE(formatOf("under").fontUnderline());
    EXPECT_FALSE(formatOf("gone").fontUnderline());
    EXPECT_TRUE(formatOf("gone").fontStrikeOut());
    EXPECT_FALSE(formatOf("light").fontStrikeOut());
    EXPECT_EQ(formatOf("plain").fontPointSize(), 10.0);
    EXPECT_EQ(formatOf("plain").font().families(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(formatOf("times").fontPointSize(), 12.0);
    EXPECT_EQ(formatOf("times").font().families(), QStringList{QStringLiteral("Times New Roman")});
}

TEST_F(RtfReader, ColoursAndFontsComeFromTheTablesAndUnknownIndexesGiveDefaults) {
    read(R"({\rtf1{\fonttbl{\f0 Arial;}{\f2 Courier New;}}{\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"
         R"({\cf1 red}{\highlight2 marked}{\cb1 backed}{\cf0 auto}{\cf9 nine}{\cf-3 minus}{\f77 lost}{\f2 mono}})");
    EXPECT_EQ(formatOf("red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf("marked").background().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatOf("backed").background().color(), QColor(255, 0, 0));
    for (const char* automatic : {"auto", "nine", "minus"}) {
        EXPECT_FALSE(formatOf(automatic).hasProperty(QTextFormat::ForegroundBrush)) << automatic;
        EXPECT_FALSE(formatOf(automatic).hasProperty(QTextFormat::BackgroundBrush)) << automatic;
    }
    EXPECT_EQ(formatOf("lost").font().families(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(formatOf("mono").font().families(), QStringList{QStringLiteral("Courier New")});
}

TEST_F(RtfReader, BytesFollowTheFontCharsetOverTheDocumentCodePage) {
    read(R"({\rtf1\ansi\ansicpg1250 Za\'bf\'f3\'b3\'e6 g\'ea\'9cl\'b9 ja\'9f\'f1})");
    EXPECT_EQ(plain(), QString::fromUtf8("Zażółć gęślą jaźń"));
    read(R"({\rtf1 \'b3})"); // Windows-1250 without being told
    EXPECT_EQ(plain(), QString::fromUtf8("ł"));
    read(R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset238 Arial CE;}}\f0 caf\'e9 {\f1 \'b3}})");
    EXPECT_EQ(plain(), QString::fromUtf8("café ł"));
}

TEST_F(RtfReader, UnicodeCharactersDropTheirFallbackUpToTheNextBrace) {
    read(R"({\rtf1 a\u322?b\u-1280?c{\uc2\u321\'a3\'a3d}\u261{e}\uc0\u378 f})");
    EXPECT_EQ(plain(), QString::fromUtf8("ałb\uFB00cŁdąeźf"));
}

TEST_F(RtfReader, ParagraphsTakeAlignmentIndentsAndSpacingInPixels) {
    read(R"({\rtf1\pard\qc centre\par)"
         "\r\n"
         R"(\pard\qr\li300\ri150\fi-150\sb60\sa120 right\par)"
         "\n"
         R"(\pard\qj justified\line next\tab cell\page after\par})");
    EXPECT_EQ(document.blockCount(), 5);
    EXPECT_EQ(blockOf("centre").alignment(), Qt::AlignHCenter);
    const QTextBlockFormat right = blockOf("right");
    EXPECT_EQ(right.alignment(), Qt::AlignRight);
    EXPECT_EQ(right.leftMargin(), 20.0);
    EXPECT_EQ(right.rightMargin(), 10.0);
    EXPECT_EQ(right.textIndent(), -10.0);
    EXPECT_EQ(right.topMargin(), 4.0);
    EXPECT_EQ(right.bottomMargin(), 8.0);
    EXPECT_EQ(blockOf("justified").alignment(), Qt::AlignJustify);
    EXPECT_EQ(document.findBlockByNumber(2).text(), QString::fromUtf8("justified\u2028next\tcell"));
    EXPECT_EQ(document.findBlockByNumber(3).text(), QStringLiteral("after"));

    read(R"({\rtf1\qc tail without a paragraph mark})");
    EXPECT_EQ(blockOf("tail").alignment(), Qt::AlignHCenter);
}

TEST_F(RtfReader, ControlSymbolsAndTypographicWordsBecomeTheirCharacters) {
    read(R"({\rtf1 a\{b\}c\\d\~e\-f\_g\emdash\endash\bullet\lquote x\rquote\ldblquote y\rdblquote})");
    EXPECT_EQ(raw(), QString::fromUtf8("a{b}c\\d\u00A0ef\u2011g—–•‘x’“y”"));
}

TEST_F(RtfReader, MetadataPicturesObjectsAndFieldInstructionsAreNotText) {
    read(R"({\rtf1{\info{\title Tytu\'b3}{\author Ja}}{\stylesheet{\s0 Normal;}}{\*\unknown hidden}{\*\generator W;})"
         R"(before {\pict\wmetafile8\picw10 0102030405}{\object\objemb{\*\objdata 0102}{\result{\pict 00}}})"
         R"({\field{\*\fldinst HYPERLINK "file:///etc/passwd"}{\fldrslt shown}} {\v secret}{\pict\bin4 {{{{}after})");
    EXPECT_EQ(plain(), QStringLiteral("before shown after"));
}

TEST_F(RtfReader, AFileAsWordPadWritesThemReadsAsWritten) {
    QFile file(QStringLiteral(TEST_DATA_DIR "/help_sample.rtf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    read(file.readAll());
    EXPECT_EQ(plain(), QString::fromUtf8("Wendolarka\n"
                                         "Program drukuje przepustki dla osób zapisanych w bazie.\n"
                                         "·\tNowa baza tworzy pusty plik.\n"
                                         "·\tDruk drukuje zaznaczone rekordy.\n"
                                         "Uwaga: zdjęcia w formacie JPEG.\n"));
    const QTextCharFormat title = formatOf("Wendolarka");
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(title.fontPointSize(), 14.0);
    EXPECT_EQ(title.foreground().color(), QColor(0, 0, 128));
    EXPECT_EQ(blockOf("Wendolarka").alignment(), Qt::AlignHCenter);
    EXPECT_EQ(formatOf("Program").fontPointSize(), 10.0);
    EXPECT_TRUE(formatOf("Uwaga").fontItalic());
    EXPECT_FALSE(formatOf(QString::fromUtf8("zdjęcia")).fontItalic());
    EXPECT_EQ(blockOf("Nowa").leftMargin(), 48.0);
    EXPECT_EQ(blockOf("Nowa").textIndent(), -24.0);
}

TEST_F(RtfReader, CutInputKeepsWhatWasReadAndFlippedBitsNeverCrash) {
    EXPECT_TRUE(read(kSample));
    const QString whole = plain();
    ASSERT_EQ(whole, QString::fromUtf8("Zażółć\ngęślą\tjaźń\n"));
    // A cut control word may still mean something ("\pard" cut to "\par"), so only
    // the characters are compared, not where the paragraphs break.
    const QString wholeText = QString(whole).remove(u'\n');
    for (qsizetype cut = 5; cut < kSample.size(); ++cut) {
        bool complete = true;
        ASSERT_NO_THROW(complete = read(kSample.left(cut))) << cut;
        EXPECT_FALSE(complete) << cut; // every cut leaves the document's group open
        EXPECT_TRUE(wholeText.startsWith(plain().remove(u'\n'))) << cut << ": " << plain().toStdString();
    }

    std::mt19937 random(1250);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = kSample;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f)
            damaged[static_cast<qsizetype>(random() % static_cast<unsigned>(damaged.size()))] ^=
                static_cast<char>(1 << (random() % 8));
        try {
            read(damaged);
        } catch (const Exception&) {
            EXPECT_FALSE(damaged.startsWith("{\\rtf")) << round;
        }
    }
}

TEST_F(RtfReader, BracesOutOfBalanceAndDeepNestingAreTolerated) {
    EXPECT_FALSE(read(R"({\rtf1 a}}} b{{{ c)")); // ends inside groups: cut off
    EXPECT_EQ(plain(), QStringLiteral("a b c"));
    EXPECT_TRUE(read(R"({\rtf1 a}} b)")); // a stray closing brace closes nothing
    EXPECT_FALSE(read(R"({\rtf1{\b x)"));
    EXPECT_EQ(formatOf("x").fontWeight(), QFont::Bold);

    read("{\\rtf1 start" + QByteArray(200, '{') + "kept" + QByteArray(200, '}') + " end}");
    EXPECT_EQ(plain(), QStringLiteral("startkept end"));
    // Past the depth limit whole groups are dropped, without recursion or a stack per brace.
    EXPECT_TRUE(read("{\\rtf1 start" + QByteArray(100000, '{') + "lost" + QByteArray(100000, '}') + " end}"));
    EXPECT_EQ(plain(), QStringLiteral("start end"));
    EXPECT_FALSE(read("{\\rtf1 start" + QByteArray(100000, '{') + "x" + QByteArray(99999, '}') + "}"));
    EXPECT_FALSE(read("{\\rtf1 start" + QByteArray(100000, '{')));
    EXPECT_EQ(plain(), QStringLiteral("start"));
}

TEST_F(RtfReader, BrokenLengthsAndHugeNumbersStopOrSaturate) {
    EXPECT_FALSE(read(R"({\rtf1 a\bin-5 b})"));
    EXPECT_EQ(plain(), QStringLiteral("a"));
    EXPECT_FALSE(read(R"({\rtf1 a\bin999999999 b})"));
    EXPECT_EQ(plain(), QStringLiteral("a"));

    read(R"({\rtf1\fs99999999999999999999\li99999999999999999999 big\par\pard\fs-4\li-99999999999 small\par)"
         R"(\plain x\u99999999999?y\u-99999999999?z\uc99999999999\u322 abcdefghijklmnopqrstuvwxyz})");
    EXPECT_EQ(formatOf("big").fontPointSize(), 1638.0);
    EXPECT_EQ(blockOf("big").leftMargin(), 2112.0);
    EXPECT_EQ(formatOf("small").fontPointSize(), 12.0);
    EXPECT_EQ(blockOf("small").leftMargin(), 0.0);
    EXPECT_EQ(document.lastBlock().text(), QString::fromUtf8("xyzłqrstuvwxyz"));
}

TEST_F(RtfReader, LongDocumentsReadInOnePass) {
    QByteArray rtf("{\\rtf1 ");
    for (int i = 0; i < 20000; ++i)
        rtf += "{\\b x}y\\par ";
    rtf += "}";
    read(rtf);
    EXPECT_EQ(document.blockCount(), 20001);
    EXPECT_EQ(document.findBlockByNumber(19999).text(), QStringLiteral("xy"));
    EXPECT_EQ(formatOf("x").fontWeight(), QFont::Bold);
}

TEST_F(RtfReader, OnlyRtfIsAcceptedAndARefusalLeavesTheDocumentAlone) {
    document.setPlainText(QStringLiteral("old"));
    for (const char* bytes : {"", "Hello", "{\\rt", " {\\rtf1 x}", "{\\RTF1 x}", "\xEF\xBB\xBF{\\rtf1 x}"}) {
        EXPECT_EQ(errorOf([&] { read(QByteArray(bytes)); }),
                  QStringLiteral("Plik pomocy nie jest poprawnym plikiem RTF."))
            << bytes;
        EXPECT_EQ(plain(), QStringLiteral("old"));
    }
}

TEST_F(RtfReader, ABulletParagraphHangsItsTextAtTheLeftIndent) {
    // The tab after the bullet goes to the left indent, where the wrapped lines start.
    read(R"({\rtf1\pard\li425\fi-283\sa60\bullet\tab Tekst punktu, tak d\'b3ugi, \'bfe zawija si\'ea na drugi i trzeci wiersz akapitu.\par)"
         R"(\pard\li720\fi-360{\pntext\'b7\tab}Kolejny punkt, te\'bf na tyle d\'b3ugi, \'bfe zawija si\'ea w w\'easkim oknie.\par})");
    document.setTextWidth(220);
    for (const char* start : {"Tekst", "Kolejny"}) {
        const QTextBlock block = document.findBlock(document.find(QString::fromLatin1(start)).selectionStart());
        document.documentLayout()->blockBoundingRect(block); // lays the block out
        const QTextLayout* layout = block.layout();
        ASSERT_GE(layout->lineCount(), 2) << start;
        const int textStart = static_cast<int>(block.text().indexOf(QString::fromLatin1(start)));
        const QTextLine first = layout->lineAt(0), second = layout->lineAt(1);
        EXPECT_NEAR(first.cursorToX(textStart), second.cursorToX(second.textStart()), 0.5) << start;
        EXPECT_NEAR(second.cursorToX(second.textStart()), block.blockFormat().leftMargin(), 0.5) << start;
        EXPECT_LT(first.cursorToX(0), second.cursorToX(second.textStart())) << start; // the bullet hangs out
    }
}
