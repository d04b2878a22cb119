#include "font.h"

#include "arithmetic.h"

#include <array>

namespace wendolarka {
namespace {

struct Substitute {
    const char* stored;
    const char* installed;
};

constexpr std::array<Substitute, 8> kSubstitutes = {{
    {"MS Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
    {"Arial Black", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Tahoma", "DejaVu Sans"},
    {"Verdana", "DejaVu Sans"},
}};

bool isBlackFace(const QString& name) {
    return name.compare(QLatin1String("Arial Black"), Qt::CaseInsensitive) == 0;
}

} // namespace

TFont::TFont(QString name, int size, TFontStyles style, TColor color, TFontCharset charset)
    : m_name(std::move(name)), m_style(style), m_color(color), m_charset(charset) {
    setSize(size);
}

int TFont::Size() const { return -MulDiv(m_height, 72, m_pixelsPerInch); }

void TFont::setSize(int points) { m_height = -MulDiv(points, m_pixelsPerInch, 72); }

namespace {
struct NamedCharset {
    const char* name;
    int value;
};
constexpr NamedCharset kCharsets[] = {
    {"ANSI_CHARSET", 0},          {"DEFAULT_CHARSET", 1},      {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},          {"SHIFTJIS_CHARSET", 128},   {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},       {"GB2312_CHARSET", 134},     {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},       {"TURKISH_CHARSET", 162},    {"HEBREW_CHARSET", 177},
    {"ARABIC_CHARSET", 178},      {"BALTIC_CHARSET", 186},     {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},        {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
};
} // namespace

std::optional<QString> charsetToIdent(int charset) {
    for (const NamedCharset& c : kCharsets)
        if (c.value == charset)
            return QString::fromLatin1(c.name);
    return std::nullopt;
}

std::optional<int> identToCharset(const QString& ident) {
    for (const NamedCharset& c : kCharsets)
        if (ident.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

QString substituteFontFamily(const QString& storedName) {
    for (const auto& s : kSubstitutes)
        if (storedName.compare(QLatin1String(s.stored), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(s.installed);
    return storedName;
}

QFont TFont::toQFont() const {
    QFont font(substituteFontFamily(m_name));
    int pixels = 11;
    if (m_height < 0)
        pixels = -m_height;
    else if (m_height > 0)
        pixels = qMax(1, m_height * 100 / 115); // cell height includes the internal leading
    font.setPixelSize(pixels);
    if (isBlackFace(m_name))
        font.setWeight(QFont::Black);
    else
        font.setWeight((m_style & fsBold) ? QFont::Bold : QFont::Normal);
    font.setItalic(m_style & fsItalic);
    font.setUnderline(m_style & fsUnderline);
    font.setStrikeOut(m_style & fsStrikeOut);
    return font;
}

TFont TFont::fromQFont(const QFont& font, TColor color, const TFont& previous) {
    TFont result = previous;
    const QString family = font.family();
    if (substituteFontFamily(previous.m_name) != family)
        result.m_name = family;
    if (font.pixelSize() > 0)
        result.m_height = -font.pixelSize();
    else
        result.setSize(qRound(font.pointSizeF()));
    TFontStyles style = 0;
    if (font.weight() >= QFont::Bold)
        style |= fsBold;
    if (font.italic())
        style |= fsItalic;
    if (font.underline())
        style |= fsUnderline;
    if (font.strikeOut())
        style |= fsStrikeOut;
    result.m_style = style;
    result.m_color = color;
    return result;
}

} // namespace wendolarka
