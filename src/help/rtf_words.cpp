#include "rtf_words.h"

#include "core/cp1250.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace wendolarka::rtf {
namespace {

using WordEntry = std::pair<std::string_view, Word>;

// Words not listed are ignored, as the format asks of a reader.
constexpr auto kWords = std::to_array<WordEntry>({
    {"ansicpg", Word::CodePage}, {"deff", Word::DefaultFont}, {"fonttbl", Word::FontTable},
    {"colortbl", Word::ColorTable}, {"f", Word::Font}, {"fcharset", Word::FontCharset}, {"fs", Word::FontSize},
    {"b", Word::Bold}, {"i", Word::Italic}, {"ul", Word::Underline}, {"uld", Word::Underline},
    {"uldb", Word::Underline}, {"ulw", Word::Underline}, {"ulnone", Word::UnderlineNone}, {"strike", Word::Strike},
    {"striked", Word::Strike}, {"v", Word::Hidden}, {"cf", Word::Foreground}, {"cb", Word::Background},
    {"highlight", Word::Background}, {"red", Word::Red}, {"green", Word::Green}, {"blue", Word::Blue},
    {"plain", Word::Plain}, {"pard", Word::ParagraphDefaults}, {"par", Word::Paragraph}, {"page", Word::Paragraph},
    {"sect", Word::Paragraph}, {"row", Word::Paragraph}, {"line", Word::Line}, {"tab", Word::Tab},
    {"cell", Word::Tab}, {"ql", Word::Left}, {"qc", Word::Center}, {"qr", Word::Right}, {"qj", Word::Justify},
    {"li", Word::LeftIndent}, {"lin", Word::LeftIndent}, {"ri", Word::RightIndent}, {"rin", Word::RightIndent},
    {"fi", Word::FirstIndent}, {"sb", Word::SpaceBefore}, {"sa", Word::SpaceAfter}, {"u", Word::Unicode},
    {"uc", Word::UnicodeFallback}, {"emdash", Word::EmDash}, {"endash", Word::EnDash}, {"bullet", Word::Bullet},
    {"lquote", Word::LeftQuote}, {"rquote", Word::RightQuote}, {"ldblquote", Word::LeftDoubleQuote},
    {"rdblquote", Word::RightDoubleQuote},
});

// Destinations whose text is not body text: metadata, styles, pictures, objects,
// field instructions, headers and notes.
constexpr auto kSkipped = std::to_array<std::string_view>({
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnid", "author", "bkmkend", "bkmkstart",
    "colorschememapping", "comment", "datastore", "do", "doccomm", "falt", "filetbl", "fldinst", "fontemb",
    "fontfile", "footer", "footerf", "footerl", "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator",
    "header", "headerf", "headerl", "headerr", "info", "keywords", "latentstyles", "listoverridetable",
    "listtable", "nonshppict", "objdata", "object", "operator", "panose", "pgdsctbl", "pict", "private", "revtbl",
    "rsidtbl", "rxe", "shp", "stylesheet", "subject", "tc", "template", "themedata", "title", "txe", "userprops",
    "xe", "xmlnstbl",
});

} // namespace

std::optional<Word> lookUp(std::string_view name) {
    static const std::vector<WordEntry> words = [] {
        std::vector<WordEntry> all(kWords.begin(), kWords.end());
        for (std::string_view skipped : kSkipped)
            all.emplace_back(skipped, Word::Skipped);
        std::sort(all.begin(), all.end(), [](const WordEntry& a, const WordEntry& b) { return a.first < b.first; });
        return all;
    }();
    const auto it = std::lower_bound(words.begin(), words.end(), name,
                                     [](const WordEntry& entry, std::string_view n) { return entry.first < n; });
    if (it == words.end() || it->first != name)
        return std::nullopt;
    return it->second;
}

int knownCodePage(int codePage) {
    const bool windows = (codePage >= 1250 && codePage <= 1258) || codePage == 874;
    const bool eastAsian = codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
    return windows || eastAsian || codePage == 65001 ? codePage : kLatin1;
}

int codePageOfCharset(int charset) {
    // Symbol fonts (2) draw their own glyphs for the raw bytes.
    static constexpr std::pair<int, int> kCharsets[] = {
        {0, 1252},   {2, kLatin1}, {128, 932},  {129, 949},  {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
        {163, 1258}, {177, 1255},  {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
    };
    for (const auto& [set, codePage] : kCharsets)
        if (set == charset)
            return codePage;
    return kDocumentCodePage;
}

QString CodePages::decode(int codePage, const QByteArray& bytes) {
    if (codePage == 1250)
        return cp1250::decode(bytes);
    if (codePage == kLatin1)
        return QString::fromLatin1(bytes);
    auto it = m_decoders.find(codePage);
    if (it == m_decoders.end())
        it = m_decoders.emplace(codePage, makeDecoder(codePage)).first;
    if (!it->second.isValid())
        return QString::fromLatin1(bytes);
    return it->second.decode(bytes);
}

QStringDecoder CodePages::makeDecoder(int codePage) {
    if (codePage == 65001)
        return QStringDecoder(QStringDecoder::Utf8);
    for (const char* prefix : {"windows-", "cp"}) {
        QByteArray name(prefix);
        name += QByteArray::number(codePage);
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            return decoder;
    }
    return QStringDecoder();
}

} // namespace wendolarka::rtf
