#pragma once

#include "color.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <optional>

namespace wendolarka {

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;

using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;

constexpr int kScreenPixelsPerInch = 96;

// A font as the stored windows and templates describe it. Height < 0 is the
// character height in pixels, Height > 0 the cell height; Size is in points.
// The stored Name stays as given; only the rendering picks an installed face.
class TFont {
public:
    TFont() = default;
    TFont(QString name, int size, TFontStyles style = 0, TColor color = clWindowText,
          TFontCharset charset = DEFAULT_CHARSET);

    const QString& Name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    int Height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    int Size() const;
    void setSize(int points);
    TFontStyles Style() const { return m_style; }
    void setStyle(TFontStyles style) { m_style = style; }
    TColor Color() const { return m_color; }
    void setColor(TColor color) { m_color = color; }
    TFontCharset Charset() const { return m_charset; }
    void setCharset(TFontCharset charset) { m_charset = charset; }
    int PixelsPerInch() const { return m_pixelsPerInch; }
    void setPixelsPerInch(int ppi) { m_pixelsPerInch = ppi; }

    QFont toQFont() const;
    // The fields a font dialog returns; the stored name is kept when the dialog
    // reports the installed face that stands in for it.
    static TFont fromQFont(const QFont& font, TColor color, const TFont& previous);

    friend bool operator==(const TFont&, const TFont&) = default;

private:
    QString m_name = QStringLiteral("MS Sans Serif");
    int m_height = -11;
    TFontStyles m_style = 0;
    TColor m_color = clWindowText;
    TFontCharset m_charset = DEFAULT_CHARSET;
    int m_pixelsPerInch = kScreenPixelsPerInch;
};

// "EASTEUROPE_CHARSET" <-> 238: the GDI character-set names templates use.
std::optional<QString> charsetToIdent(int charset);
std::optional<int> identToCharset(const QString& ident);

// The installed face that renders a stored font name ("Arial" -> "Liberation Sans").
QString substituteFontFamily(const QString& storedName);

} // namespace wendolarka
