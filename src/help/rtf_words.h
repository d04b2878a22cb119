#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <map>
#include <optional>
#include <string_view>

// What the rich text reader knows by name: the control words it acts on and the
// code pages that \ansicpg and the font charsets stand for.
namespace wendolarka::rtf {

enum class Word {
    CodePage, DefaultFont, FontTable, ColorTable, Font, FontCharset, FontSize,
    Bold, Italic, Underline, UnderlineNone, Strike, Hidden, Foreground, Background,
    Red, Green, Blue, Plain, ParagraphDefaults, Paragraph, Line, Tab,
    Left, Center, Right, Justify, LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter,
    Unicode, UnicodeFallback, EmDash, EnDash, Bullet, LeftQuote, RightQuote, LeftDoubleQuote,
    RightDoubleQuote,
    Skipped, // a destination whose text is not body text
};

// The word a control word names; none for the many words the reader ignores.
std::optional<Word> lookUp(std::string_view name);

constexpr int kDocumentCodePage = 0; // a font without a charset follows the document
constexpr int kLatin1 = 28591;

// The code page \ansicpg names, Latin-1 for one we cannot name.
int knownCodePage(int codePage);
// The code page of a font charset, or kDocumentCodePage.
int codePageOfCharset(int charset);

// One decoder per code page, made on first use. Our own codec covers the Polish
// code page, so help files read the same whatever Qt was built with.
class CodePages {
public:
    QString decode(int codePage, const QByteArray& bytes);

private:
    static QStringDecoder makeDecoder(int codePage);

    std::map<int, QStringDecoder> m_decoders;
};

} // namespace wendolarka::rtf
