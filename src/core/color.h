#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

namespace wendolarka {

// A colour as the stored files know it: 0x00BBGGRR, or 0x80000000 + n for system
// colour n (resolved only when drawn), or clNone.
using TColor = std::int32_t;

constexpr TColor systemColor(int index) { return static_cast<TColor>(0x80000000u + static_cast<std::uint32_t>(index)); }
constexpr bool isSystemColor(TColor color) { return color < 0; }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor clScrollBar = systemColor(0);
constexpr TColor clBackground = systemColor(1);
constexpr TColor clActiveCaption = systemColor(2);
constexpr TColor clInactiveCaption = systemColor(3);
constexpr TColor clMenu = systemColor(4);
constexpr TColor clWindow = systemColor(5);
constexpr TColor clWindowFrame = systemColor(6);
constexpr TColor clMenuText = systemColor(7);
constexpr TColor clWindowText = systemColor(8);
constexpr TColor clCaptionText = systemColor(9);
constexpr TColor clActiveBorder = systemColor(10);
constexpr TColor clInactiveBorder = systemColor(11);
constexpr TColor clAppWorkSpace = systemColor(12);
constexpr TColor clHighlight = systemColor(13);
constexpr TColor clHighlightText = systemColor(14);
constexpr TColor clBtnFace = systemColor(15);
constexpr TColor clBtnShadow = systemColor(16);
constexpr TColor clGrayText = systemColor(17);
constexpr TColor clBtnText = systemColor(18);
constexpr TColor clInactiveCaptionText = systemColor(19);
constexpr TColor clBtnHighlight = systemColor(20);
constexpr TColor cl3DDkShadow = systemColor(21);
constexpr TColor cl3DLight = systemColor(22);
constexpr TColor clInfoText = systemColor(23);
constexpr TColor clInfoBk = systemColor(24);

// "clRed" <-> 0x0000FF, for the named colours only.
std::optional<QString> colorToIdent(TColor color);
std::optional<TColor> identToColor(const QString& ident);

// The plain 0x00BBGGRR value that is drawn: system colours come from the fixed
// classic scheme, clNone draws as its low 24 bits (white).
TColor colorToRGB(TColor color);

QColor toQColor(TColor color);
TColor fromQColor(const QColor& color);

inline int redOf(TColor rgb) { return rgb & 0xFF; }
inline int greenOf(TColor rgb) { return (rgb >> 8) & 0xFF; }
inline int blueOf(TColor rgb) { return (rgb >> 16) & 0xFF; }
constexpr TColor rgbColor(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

} // namespace wendolarka
