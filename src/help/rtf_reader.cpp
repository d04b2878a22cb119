#include "rtf_reader.h"

#include "core/exception.h"
#include "rtf_words.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace wendolarka {
namespace {

using namespace rtf;

// Limits that keep a hostile file from costing more than a large honest one.
constexpr std::size_t kMaxDepth = 256;            // deeper groups are skipped whole
constexpr std::size_t kMaxTableEntries = 4096;    // fonts, and colours
constexpr qsizetype kMaxOutput = 4 * 1024 * 1024; // characters and paragraph breaks
constexpr qsizetype kMaxFontName = 128;
constexpr qsizetype kMaxWordLength = 32;
constexpr int kMaxUnicodeFallback = 16;
constexpr int kMaxTwips = 31680;        // 22 inches, wider than any page
constexpr int kDefaultFontSize = 24;    // half-points: 12 pt
constexpr int kMaxFontSize = 3276;      // 1638 pt, the largest a word processor offers
constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch, 96 pixels an inch

constexpr int kDefaultFont = INT_MIN; // "the \deff font", looked up when text is written
constexpr int kNoColor = -1;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpecial(char c) { return c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n'; }

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Control characters, and the ones QTextDocument keeps for its own structure, never
// reach the document: they would split blocks or frames behind the reader's back.
bool isUnwanted(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t') || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC;
}

enum class Destination { Text, FontTable, ColorTable, Skipped };

struct CharacterFormat {
    int font = kDefaultFont;
    int size = kDefaultFontSize; // half-points
    int foreground = kNoColor;   // colour table indexes
    int background = kNoColor;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    bool operator==(const CharacterFormat&) const = default;
};

struct ParagraphFormat {
    Qt::Alignment alignment = Qt::AlignLeft;
    int left = 0; // twips, all of them
    int right = 0;
    int firstLine = 0;
    int before = 0;
    int after = 0;
};

struct GroupState {
    CharacterFormat character;
    ParagraphFormat paragraph;
    Destination destination = Destination::Text;
    int unicodeFallback = 1; // characters after \u that stand in for it in older readers
};

struct FontEntry {
    QString name;
    int codePage = kDocumentCodePage;
    bool nameDone = false;
};

QTextBlockFormat blockFormat(const ParagraphFormat& p) {
    QTextBlockFormat format;
    format.setAlignment(p.alignment);
    format.setLeftMargin(p.left / kTwipsPerPixel);
    format.setRightMargin(p.right / kTwipsPerPixel);
    format.setTextIndent(p.firstLine / kTwipsPerPixel);
    format.setTopMargin(p.before / kTwipsPerPixel);
    format.setBottomMargin(p.after / kTwipsPerPixel);
    // A hanging first line has a tab stop of its own at the left indent, so the
    // text after a bullet and its tab lines up with the lines below it. Tab
    // positions count from where the line starts.
    if (p.firstLine < 0)
        format.setTabPositions({QTextOption::Tab(-p.firstLine / kTwipsPerPixel, QTextOption::LeftTab)});
    return format;
}

// A single pass over the bytes with an explicit group stack. Text collects into a
// run while the character format stays the same and goes into the document with
// one insertText, so the work grows with the input, not with its square.
class Reader {
public:
    Reader(const QByteArray& data, QTextDocument& document)
        : m_data(data.constData()), m_size(data.size()), m_cursor(&document) {
        m_stack.reserve(kMaxDepth + 1);
        m_stack.emplace_back();
    }

    // Whether the bytes ended where the document did.
    bool run() {
        m_cursor.beginEditBlock();
        while (!m_stopped && m_pos < m_size) {
            switch (m_data[m_pos]) {
            case '{': ++m_pos; openGroup(); break;
            case '}': ++m_pos; closeGroup(); break;
            case '\\': ++m_pos; controlSequence(); break;
            case '\r': case '\n': ++m_pos; break; // line breaks in the file are not text
            default: text(); break;
            }
        }
        flushRun();
        if (m_tailParagraph)
            m_cursor.setBlockFormat(blockFormat(*m_tailParagraph));
        m_cursor.endEditBlock();
        return !m_cutOff && m_stack.size() == 1 && m_overflow == 0;
    }

private:
    GroupState& state() { return m_stack.back(); }
    const GroupState& state() const { return m_stack.back(); }
    bool skipping() const { return m_overflow > 0 || state().destination == Destination::Skipped; }

    bool consumeFallback() {
        if (m_fallbackLeft <= 0)
            return false;
        --m_fallbackLeft;
        return true;
    }

    void openGroup() {
        m_fallbackLeft = 0;
        if (m_overflow > 0 || m_stack.size() > kMaxDepth) {
            ++m_overflow;
            return;
        }
        const GroupState inner = m_stack.back();
        m_stack.push_back(inner);
    }

    void closeGroup() {
        m_fallbackLeft = 0;
        if (m_overflow > 0)
            --m_overflow;
        else if (m_stack.size() > 1) // a stray closing brace closes nothing
            m_stack.pop_back();
    }

    void text() {
        qsizetype end = m_pos;
        while (end < m_size && !isSpecial(m_data[end]))
            ++end;
        if (!skipping()) {
            const qsizetype dropped = std::min<qsizetype>(m_fallbackLeft, end - m_pos);
            m_fallbackLeft -= static_cast<int>(dropped);
            if (m_pos + dropped < end)
                emitBytes(m_data + m_pos + dropped, end - m_pos - dropped);
        }
        m_pos = end;
    }

    void controlSequence() {
        if (m_pos >= m_size)
            return;
        const char c = m_data[m_pos];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        if (c == '\'') {
            hexByte();
            return;
        }
        if (skipping() || consumeFallback())
            return;
        switch (c) {
        case '{': case '}': case '\\': emitChar(static_cast<char16_t>(c)); break;
        case '~': emitChar(u'\u00A0'); break;
        case '_': emitChar(u'\u2011'); break;
        case '*': state().destination = Destination::Skipped; break; // nothing we read is marked optional
        case '\r': case '\n': paragraph(); break;
        default: break; // \- and the index marks: the layout breaks words itself
        }
    }

    void hexByte() {
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < m_size) {
            const int digit = hexValue(m_data[m_pos]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
            ++digits;
            ++m_pos;
        }
        if (skipping() || consumeFallback() || digits < 2)
            return;
        const char byte = static_cast<char>(value);
        emitBytes(&byte, 1);
    }

    void controlWord() {
        const qsizetype start = m_pos;
        while (m_pos < m_size && isLetter(m_data[m_pos]))
            ++m_pos;
        const qsizetype length = m_pos - start;
        const bool negative = m_pos + 1 < m_size && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1]);
        if (negative)
            ++m_pos;
        bool hasParameter = false;
        int parameter = 0;
        if (m_pos < m_size && isDigit(m_data[m_pos])) {
            hasParameter = true;
            std::int64_t value = 0;
            while (m_pos < m_size && isDigit(m_data[m_pos])) {
                value = std::min<std::int64_t>(value * 10 + (m_data[m_pos] - '0'), INT_MAX);
                ++m_pos;
            }
            parameter = static_cast<int>(negative ? -value : value);
        }
        if (m_pos < m_size && m_data[m_pos] == ' ') // the delimiter belongs to the word
            ++m_pos;
        const std::string_view name(m_data + start, static_cast<std::size_t>(length));
        if (name == "bin") { // raw bytes follow, in skipped groups too
            consumeFallback();
            skipBinary(hasParameter ? parameter : 0);
            return;
        }
        if (length > kMaxWordLength || skipping() || consumeFallback())
            return;
        if (const std::optional<Word> word = lookUp(name))
            apply(*word, hasParameter, parameter);
    }

    void skipBinary(int count) {
        if (count < 0 || count > m_size - m_pos) {
            m_stopped = true; // nothing after a broken length can be trusted
            m_cutOff = true;
            return;
        }
        m_pos += count;
    }

    void apply(Word word, bool hasParameter, int parameter) {
        GroupState& s = state();
        CharacterFormat& ch = s.character;
        ParagraphFormat& pa = s.paragraph;
        const bool on = !hasParameter || parameter != 0;
        const bool inColorTable = s.destination == Destination::ColorTable;
        switch (word) {
        case Word::CodePage: m_codePage = knownCodePage(parameter); break;
        case Word::DefaultFont: m_defaultFont = parameter; break;
        case Word::FontTable:
            s.destination = Destination::FontTable;
            m_fontEntry = nullptr;
            break;
        case Word::ColorTable:
            s.destination = Destination::ColorTable;
            m_colors.clear();
            resetColor();
            break;
        case Word::Font:
            if (s.destination == Destination::FontTable)
                defineFont(parameter);
            else
                ch.font = parameter;
            break;
        case Word::FontCharset:
            if (s.destination == Destination::FontTable && m_fontEntry)
                m_fontEntry->codePage = codePageOfCharset(parameter);
            break;
        case Word::FontSize: ch.size = parameter > 0 ? std::min(parameter, kMaxFontSize) : kDefaultFontSize; break;
        case Word::Bold: ch.bold = on; break;
        case Word::Italic: ch.italic = on; break;
        case Word::Underline: ch.underline = on; break;
        case Word::UnderlineNone: ch.underline = false; break;
        case Word::Strike: ch.strike = on; break;
        case Word::Hidden: ch.hidden = on; break;
        case Word::Foreground: ch.foreground = parameter; break;
        case Word::Background: ch.background = parameter; break;
        case Word::Red: setComponent(m_red, inColorTable, parameter); break;
        case Word::Green: setComponent(m_green, inColorTable, parameter); break;
        case Word::Blue: setComponent(m_blue, inColorTable, parameter); break;
        case Word::Plain: ch = CharacterFormat{}; break;
        case Word::ParagraphDefaults: pa = ParagraphFormat{}; break;
        case Word::Paragraph: paragraph(); break;
        case Word::Line: emitChar(u'\u2028'); break;
        case Word::Tab: emitChar(u'\t'); break;
        case Word::Left: pa.alignment = Qt::AlignLeft; break;
        case Word::Center: pa.alignment = Qt::AlignHCenter; break;
        case Word::Right: pa.alignment = Qt::AlignRight; break;
        case Word::Justify: pa.alignment = Qt::AlignJustify; break;
        case Word::LeftIndent: pa.left = std::clamp(parameter, 0, kMaxTwips); break;
        case Word::RightIndent: pa.right = std::clamp(parameter, 0, kMaxTwips); break;
        case Word::FirstIndent: pa.firstLine = std::clamp(parameter, -kMaxTwips, kMaxTwips); break;
        case Word::SpaceBefore: pa.before = std::clamp(parameter, 0, kMaxTwips); break;
        case Word::SpaceAfter: pa.after = std::clamp(parameter, 0, kMaxTwips); break;
        case Word::Unicode:
            if (hasParameter)
                unicodeChar(parameter);
            break;
        case Word::UnicodeFallback: s.unicodeFallback = std::clamp(parameter, 0, kMaxUnicodeFallback); break;
        case Word::EmDash: emitChar(u'\u2014'); break;
        case Word::EnDash: emitChar(u'\u2013'); break;
        case Word::Bullet: emitChar(u'\u2022'); break;
        case Word::LeftQuote: emitChar(u'\u2018'); break;
        case Word::RightQuote: emitChar(u'\u2019'); break;
        case Word::LeftDoubleQuote: emitChar(u'\u201C'); break;
        case Word::RightDoubleQuote: emitChar(u'\u201D'); break;
        case Word::Skipped: s.destination = Destination::Skipped; break;
        }
    }

    void unicodeChar(int value) {
        if (value < 0) // written as a signed 16-bit number
            value += 0x10000;
        if (value >= 0 && value <= 0xFFFF)
            emitChar(static_cast<char16_t>(value));
        m_fallbackLeft = state().unicodeFallback;
    }

    void defineFont(int number) {
        m_fontEntry = nullptr;
        if (m_fonts.size() >= kMaxTableEntries && !m_fonts.contains(number))
            return;
        m_fontEntry = &(m_fonts[number] = FontEntry{});
    }

    void fontNameByte(char byte) {
        if (!m_fontEntry)
            return;
        if (byte == ';') {
            m_fontEntry->nameDone = true;
            return;
        }
        const auto b = static_cast<unsigned char>(byte);
        if (m_fontEntry->nameDone || m_fontEntry->name.size() >= kMaxFontName || b < 0x20)
            return;
        if (b < 0x80) {
            m_fontEntry->name.append(QChar(char16_t(b)));
            return;
        }
        const int codePage = m_fontEntry->codePage != kDocumentCodePage ? m_fontEntry->codePage : m_codePage;
        m_fontEntry->name.append(m_codePages.decode(codePage, QByteArray(1, byte)));
    }

    void resetColor() { m_red = m_green = m_blue = -1; }

    static void setComponent(int& component, bool inColorTable, int value) {
        if (inColorTable)
            component = std::clamp(value, 0, 255);
    }

    void endColor() {
        if (m_colors.size() < kMaxTableEntries) {
            const bool automatic = m_red < 0 && m_green < 0 && m_blue < 0;
            m_colors.push_back(automatic ? QColor()
                                         : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
        }
        resetColor();
    }

    QColor colorAt(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= m_colors.size())
            return {};
        return m_colors[static_cast<std::size_t>(index)];
    }

    // An unknown font number falls back to the default font, as word processors do.
    const FontEntry* fontFor(int number) const {
        auto it = m_fonts.find(number == kDefaultFont ? m_defaultFont : number);
        if (it == m_fonts.end())
            it = m_fonts.find(m_defaultFont);
        return it == m_fonts.end() ? nullptr : &it->second;
    }

    int currentCodePage() const {
        const FontEntry* font = fontFor(state().character.font);
        return font && font->codePage != kDocumentCodePage ? font->codePage : m_codePage;
    }

    void emitBytes(const char* bytes, qsizetype length) {
        const GroupState& s = state();
        switch (s.destination) {
        case Destination::Text: {
            if (s.character.hidden)
                return;
            startRun();
            // Bytes wait undecoded so that double-byte code pages see both halves.
            if (const int codePage = currentCodePage(); codePage != m_bytesCodePage) {
                decodeBytes();
                m_bytesCodePage = codePage;
            }
            m_bytes.append(bytes, length);
            produced(length);
            return;
        }
        case Destination::FontTable:
            for (qsizetype i = 0; i < length; ++i)
                fontNameByte(bytes[i]);
            return;
        case Destination::ColorTable:
            for (qsizetype i = 0; i < length; ++i)
                if (bytes[i] == ';')
                    endColor();
            return;
        case Destination::Skipped:
            return;
        }
    }

    void emitChar(char16_t c) {
        const GroupState& s = state();
        switch (s.destination) {
        case Destination::Text:
            if (s.character.hidden)
                return;
            startRun();
            decodeBytes();
            m_text.append(QChar(c));
            produced(1);
            return;
        case Destination::FontTable:
            if (m_fontEntry && !m_fontEntry->nameDone && m_fontEntry->name.size() < kMaxFontName && c >= 0x20)
                m_fontEntry->name.append(QChar(c));
            return;
        case Destination::ColorTable:
        case Destination::Skipped:
            return;
        }
    }

    void paragraph() {
        if (state().destination != Destination::Text)
            return;
        flushRun();
        // A paragraph takes the properties in force at its end.
        m_cursor.setBlockFormat(blockFormat(state().paragraph));
        m_cursor.insertBlock();
        m_tailParagraph.reset();
        produced(1);
    }

    void produced(qsizetype count) {
        m_output += count;
        if (m_output >= kMaxOutput)
            m_stopped = true;
    }

    void startRun() {
        const GroupState& s = state();
        if (s.character != m_runFormat) {
            flushRun();
            m_runFormat = s.character;
        }
        m_tailParagraph = s.paragraph;
    }

    void decodeBytes() {
        if (m_bytes.isEmpty())
            return;
        m_text += m_codePages.decode(m_bytesCodePage, m_bytes);
        m_bytes.clear();
    }

    void flushRun() {
        decodeBytes();
        if (m_text.isEmpty())
            return;
        m_text.removeIf(isUnwanted);
        if (!m_text.isEmpty())
            m_cursor.insertText(m_text, charFormat(m_runFormat));
        m_text.clear();
    }

    QTextCharFormat charFormat(const CharacterFormat& f) const {
        QTextCharFormat format;
        if (const FontEntry* font = fontFor(f.font)) {
            const QString family = font->name.trimmed();
            if (!family.isEmpty())
                format.setFontFamilies({family});
        }
        format.setFontPointSize(f.size / 2.0);
        format.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(f.italic);
        format.setFontUnderline(f.underline);
        format.setFontStrikeOut(f.strike);
        if (const QColor color = colorAt(f.foreground); color.isValid())
            format.setForeground(color);
        if (const QColor color = colorAt(f.background); color.isValid())
            format.setBackground(color);
        return format;
    }

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    bool m_stopped = false;
    bool m_cutOff = false;

    std::vector<GroupState> m_stack;
    qsizetype m_overflow = 0; // groups opened past the depth limit
    int m_fallbackLeft = 0;

    // \ansi alone would mean Windows-1252, but the program's own files are Polish.
    int m_codePage = 1250;
    int m_defaultFont = 0;
    std::map<int, FontEntry> m_fonts; // numbers are sparse (Word uses 31500 and up)
    FontEntry* m_fontEntry = nullptr; // the entry the font table is naming
    std::vector<QColor> m_colors;
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;
    CodePages m_codePages;

    QTextCursor m_cursor;
    CharacterFormat m_runFormat;
    QByteArray m_bytes;
    int m_bytesCodePage = 1250;
    QString m_text;
    std::optional<ParagraphFormat> m_tailParagraph; // the last paragraph has no \par
    qsizetype m_output = 0;
};

} // namespace

bool readRtf(const QByteArray& data, QTextDocument& document) {
    if (!data.startsWith("{\\rtf"))
        throw Exception(QStringLiteral("Plik pomocy nie jest poprawnym plikiem RTF."));
    // Building with undo on would keep a second copy of everything inserted.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    const bool whole = Reader(data, document).run();
    document.setUndoRedoEnabled(undo);
    return whole;
}

} // namespace wendolarka
