// The graphic elements: multi-bevel frames and pictures.

#include "pass_template_values.h"

#include "controls/image.h"
#include "controls/multi_bevel.h"
#include "core/picture.h"

namespace wendolarka::pass_template::properties {
namespace {

constexpr std::array<const char*, 3> kBevelStyles = {"bstLowered", "bstNone", "bstRaised"};
constexpr std::array<const char*, 6> kBevelShapes = {"bspBottomLine", "bspLeftLine", "bspPortrait",
                                                     "bspRect",       "bspRightLine", "bspTopLine"};
constexpr std::array<const char*, 17> kShadowStyles = {
    "ssBlack",   "ssCopy",      "ssDithered", "ssMask",   "ssMaskNotPen", "ssMerge",        "ssMergeNotPen",
    "ssNot",     "ssNotAND",    "ssNotCopy",  "ssNotMask", "ssNotMerge",  "ssNotOR",        "ssNotXOR",
    "ssTransparent", "ssWhite", "ssXOR"};
constexpr std::array<const char*, 3> kTransparences = {"trNone", "trSemi", "trTransparent"};

} // namespace

// Some setters of a frame follow others (derived bevel colours, the shadow's
// density, the density of each transparence), so the switches that govern a
// value come before it: read back in this order, every frame is the frame
// that was written.
const Table<TktMultiBevel>& frameTable() {
    static const Table<TktMultiBevel> table = [] {
        using T = TktMultiBevel;
        Table<T> t;
        addBounds(t);
        t.push_back(enumProperty<T, TAlign>("Align", alNone, kAligns, [](const T& c) { return c.Align(); },
                                            [](T& c, TAlign v) { c.setAlign(v); }));
        t.push_back(enumProperty<T, TBevelStyle>("BevelInner", bstRaised, kBevelStyles,
                                                 [](const T& c) { return c.BevelInner(); },
                                                 [](T& c, TBevelStyle v) { c.setBevelInner(v); }));
        t.push_back(enumProperty<T, TBevelStyle>("BevelOuter", bstLowered, kBevelStyles,
                                                 [](const T& c) { return c.BevelOuter(); },
                                                 [](T& c, TBevelStyle v) { c.setBevelOuter(v); }));
        // Any thickness past a card's side paints alike; the bound keeps the layer sums in range.
        t.push_back(integerProperty<T>("BevelWidth", 1, 1, kMaxCoordinate, [](const T& c) { return c.BevelWidth(); },
                                       [](T& c, int v) { c.setBevelWidth(v); }));
        t.push_back(integerProperty<T>("BorderWidth", 0, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.BorderWidth(); },
                                       [](T& c, int v) { c.setBorderWidth(v); }));
        t.push_back(booleanProperty<T>("ColorFixed", true, [](const T& c) { return c.ColorFixed(); },
                                       [](T& c, bool v) { c.setColorFixed(v); }));
        t.push_back(colorProperty<T>("Color", clBtnFace, [](const T& c) { return c.Color(); },
                                     [](T& c, TColor v) { c.setColor(v); }));
        t.push_back(colorProperty<T>("ColorHighlight", clBtnHighlight, [](const T& c) { return c.ColorHighlight(); },
                                     [](T& c, TColor v) { c.setColorHighlight(v); }));
        t.push_back(colorProperty<T>("ColorShadow", clBtnShadow, [](const T& c) { return c.ColorShadow(); },
                                     [](T& c, TColor v) { c.setColorShadow(v); }));
        t.push_back(booleanProperty<T>("DensityDepended", true, [](const T& c) { return c.DensityDepended(); },
                                       [](T& c, bool v) { c.setDensityDepended(v); }));
        t.push_back(enumProperty<T, TTransparence>("Transparence", trNone, kTransparences,
                                                   [](const T& c) { return c.Transparence(); },
                                                   [](T& c, TTransparence v) { c.setTransparence(v); }));
        // Declared default 100; but setting a transparence sets its own density,
        // so a band that is not opaque says its density even at 100.
        t.push_back(integerProperty<T>(
            "ColorDensity", std::nullopt, 0, 100, [](const T& c) { return c.ColorDensity(); },
            [](T& c, int v) { c.setColorDensity(v); },
            [](const T& c) { return c.Transparence() != trNone || c.ColorDensity() != 100; }));
        t.push_back(integerProperty<T>("EdgeSize", 15, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.EdgeSize(); }, [](T& c, int v) { c.setEdgeSize(v); }));
        t.push_back(colorProperty<T>("ShadowColor", clGray, [](const T& c) { return c.ShadowColor(); },
                                     [](T& c, TColor v) { c.setShadowColor(v); }));
        t.push_back(integerProperty<T>("ShadowDensity", 60, 0, 100, [](const T& c) { return c.ShadowDensity(); },
                                       [](T& c, int v) { c.setShadowDensity(v); }));
        t.push_back(booleanProperty<T>("Shadowed", false, [](const T& c) { return c.Shadowed(); },
                                       [](T& c, bool v) { c.setShadowed(v); }));
        t.push_back(integerProperty<T>("ShadowOffsetX", 3, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.ShadowOffsetX(); },
                                       [](T& c, int v) { c.setShadowOffsetX(v); }));
        t.push_back(integerProperty<T>("ShadowOffsetY", 3, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.ShadowOffsetY(); },
                                       [](T& c, int v) { c.setShadowOffsetY(v); }));
        t.push_back(enumProperty<T, TShadowStyle>("ShadowStyle", ssDithered, kShadowStyles,
                                                  [](const T& c) { return c.ShadowStyle(); },
                                                  [](T& c, TShadowStyle v) { c.setShadowStyle(v); }));
        t.push_back(enumProperty<T, TBevelShape>("Shape", bspRect, kBevelShapes, [](const T& c) { return c.Shape(); },
                                                 [](T& c, TBevelShape v) { c.setShape(v); }));
        t.push_back(booleanProperty<T>("ParentShowHint", true, [](const T& c) { return c.ParentShowHint(); },
                                       [](T& c, bool v) { c.setParentShowHint(v); }));
        // Its own only while not the window's; then always written.
        t.push_back(booleanProperty<T>("ShowHint", std::nullopt, [](const T& c) { return c.ShowHint(); },
                                       [](T& c, bool v) { c.setShowHint(v); },
                                       [](const T& c) { return !c.ParentShowHint(); }));
        t.push_back(booleanProperty<T>("Visible", true, [](const T& c) { return c.Visible(); },
                                       [](T& c, bool v) { c.setVisible(v); }));
        return t;
    }();
    return table;
}

const Table<TImage>& imageTable() {
    static const Table<TImage> table = [] {
        using T = TImage;
        Table<T> t;
        addBounds(t);
        t.push_back(booleanProperty<T>("AutoSize", false, [](const T& c) { return c.AutoSize(); },
                                       [](T& c, bool v) { c.setAutoSize(v); }));
        t.push_back(booleanProperty<T>("Center", false, [](const T& c) { return c.Center(); },
                                       [](T& c, bool v) { c.setCenter(v); }));
        t.push_back({"Picture.Data", std::nullopt, [](const T& c) { return !c.Picture().isEmpty(); },
                     [](const T& c) { return TValue::Binary(pictureToStreamData(c.Picture())); },
                     [](const TValue& v) -> Applier<T> {
                         if (v.tag != Tag::Binary)
                             refuse(QStringLiteral("„Picture.Data” oczekuje danych binarnych"));
                         // Decoded now, so a damaged picture fails before anything changes.
                         const TPicture picture = pictureFromStreamData(v.binary);
                         return [picture](T& c) { c.setPicture(picture); };
                     }});
        t.push_back(booleanProperty<T>("Stretch", false, [](const T& c) { return c.Stretch(); },
                                       [](T& c, bool v) { c.setStretch(v); }));
        t.push_back(booleanProperty<T>("Proportional", false, [](const T& c) { return c.Proportional(); },
                                       [](T& c, bool v) { c.setProportional(v); }));
        t.push_back(booleanProperty<T>("Transparent", false, [](const T& c) { return c.Transparent(); },
                                       [](T& c, bool v) { c.setTransparent(v); }));
        t.push_back(booleanProperty<T>("Visible", true, [](const T& c) { return c.Visible(); },
                                       [](T& c, bool v) { c.setVisible(v); }));
        return t;
    }();
    return table;
}

} // namespace wendolarka::pass_template::properties
