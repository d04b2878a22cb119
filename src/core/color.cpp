#include "color.h"

#include <array>
#include <utility>

namespace wendolarka {
namespace {

struct NamedColor {
    TColor value;
    const char* name;
};

constexpr std::array<NamedColor, 42> kNamedColors = {{
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"}, {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
}};

// The classic desktop scheme (grey 3-D faces), fixed so that every machine and
// every test draws the same pixels.
constexpr std::array<TColor, 25> kSystemScheme = {
    rgbColor(192, 192, 192), // scroll bar
    rgbColor(0, 128, 128),   // desktop
    rgbColor(0, 0, 128),     // active caption
    rgbColor(128, 128, 128), // inactive caption
    rgbColor(192, 192, 192), // menu
    rgbColor(255, 255, 255), // window
    rgbColor(0, 0, 0),       // window frame
    rgbColor(0, 0, 0),       // menu text
    rgbColor(0, 0, 0),       // window text
    rgbColor(255, 255, 255), // caption text
    rgbColor(192, 192, 192), // active border
    rgbColor(192, 192, 192), // inactive border
    rgbColor(128, 128, 128), // application workspace
    rgbColor(0, 0, 128),     // highlight
    rgbColor(255, 255, 255), // highlight text
    rgbColor(192, 192, 192), // button face
    rgbColor(128, 128, 128), // button shadow
    rgbColor(128, 128, 128), // grey text
    rgbColor(0, 0, 0),       // button text
    rgbColor(192, 192, 192), // inactive caption text
    rgbColor(255, 255, 255), // button highlight
    rgbColor(0, 0, 0),       // 3-D dark shadow
    rgbColor(223, 223, 223), // 3-D light
    rgbColor(0, 0, 0),       // tooltip text
    rgbColor(255, 255, 225), // tooltip background
};

} // namespace

std::optional<QString> colorToIdent(TColor color) {
    for (const auto& named : kNamedColors)
        if (named.value == color)
            return QString::fromLatin1(named.name);
    return std::nullopt;
}

std::optional<TColor> identToColor(const QString& ident) {
    for (const auto& named : kNamedColors)
        if (ident.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.value;
    return std::nullopt;
}

TColor colorToRGB(TColor color) {
    if (isSystemColor(color)) {
        const auto index = static_cast<std::size_t>(color & 0x00FFFFFF); // beyond the table: black
        return index < kSystemScheme.size() ? kSystemScheme[index] : clBlack;
    }
    return color & 0xFFFFFF;
}

QColor toQColor(TColor color) {
    const TColor rgb = colorToRGB(color);
    return QColor(redOf(rgb), greenOf(rgb), blueOf(rgb));
}

TColor fromQColor(const QColor& color) {
    return rgbColor(color.red(), color.green(), color.blue());
}

} // namespace wendolarka
