// The text elements: labels and 3-D labels.

#include "pass_template_values.h"

#include "controls/label.h"
#include "controls/label_3d.h"

namespace wendolarka::pass_template::properties {
namespace {

constexpr std::array<const char*, 3> kAlignments = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr std::array<const char*, 3> kLayouts = {"tlTop", "tlCenter", "tlBottom"};
constexpr std::array<const char*, 2> kOrientations = {"goHorizontal", "goVertical"};
constexpr std::array<const char*, 4> kBevels3D = {"blNone", "blLowered", "blRaised", "blShadow"};
constexpr std::array<const char*, 6> kBorderStyles3D = {"lbNone", "lbNormal", "lbLowered", "lbRaised", "lbInn", "lbOut"};

template <typename T>
void addLabelProperties(Table<T>& t) {
    addBounds(t);
    t.push_back(enumProperty<T, TAlignment>("Alignment", taLeftJustify, kAlignments,
                                            [](const T& c) { return c.Alignment(); },
                                            [](T& c, TAlignment v) { c.setAlignment(v); }));
    t.push_back(booleanProperty<T>("AutoSize", true, [](const T& c) { return c.AutoSize(); },
                                   [](T& c, bool v) { c.setAutoSize(v); }));
    t.push_back({"Caption", std::nullopt, [](const T& c) { return !c.Caption().isEmpty(); },
                 [](const T& c) { return TValue::String(c.Caption()); },
                 [](const TValue& v) -> Applier<T> {
                     const QString caption = stringOf(v, QStringLiteral("Caption"));
                     return [caption](T& c) { c.setCaption(caption); };
                 }});
    t.push_back(colorProperty<T>("Color", std::nullopt, [](const T& c) { return c.Color(); },
                                 [](T& c, TColor v) { c.setColor(v); },
                                 [](const T& c) { return !c.ParentColor(); }));
    t.push_back(booleanProperty<T>("Enabled", true, [](const T& c) { return c.Enabled(); },
                                   [](T& c, bool v) { c.setEnabled(v); }));
    addFont<T>(t, [](const T& c) { return !c.ParentFont(); }, [](const T& c) { return c.Font(); },
               [](T& c, const TFont& f) { c.setFont(f); });
    t.push_back(booleanProperty<T>("ParentColor", true, [](const T& c) { return c.ParentColor(); },
                                   [](T& c, bool v) { c.setParentColor(v); }));
    t.push_back(booleanProperty<T>("ParentFont", true, [](const T& c) { return c.ParentFont(); },
                                   [](T& c, bool v) { c.setParentFont(v); }));
    t.push_back(booleanProperty<T>("ShowAccelChar", true, [](const T& c) { return c.ShowAccelChar(); },
                                   [](T& c, bool v) { c.setShowAccelChar(v); }));
    t.push_back(booleanProperty<T>("Transparent", false, [](const T& c) { return c.Transparent(); },
                                   [](T& c, bool v) { c.setTransparent(v); }));
    t.push_back(enumProperty<T, TTextLayout>("Layout", tlTop, kLayouts, [](const T& c) { return c.Layout(); },
                                             [](T& c, TTextLayout v) { c.setLayout(v); }));
    t.push_back(booleanProperty<T>("Visible", true, [](const T& c) { return c.Visible(); },
                                   [](T& c, bool v) { c.setVisible(v); }));
    t.push_back(booleanProperty<T>("WordWrap", false, [](const T& c) { return c.WordWrap(); },
                                   [](T& c, bool v) { c.setWordWrap(v); }));
}

} // namespace

const Table<TLabel>& labelTable() {
    static const Table<TLabel> table = [] {
        using T = TLabel;
        Table<T> t;
        addLabelProperties(t);
        // Plain labels only: a 3-D label draws its text its own way.
        t.push_back(booleanProperty<T>("FitText", false, [](const T& c) { return c.FitText(); },
                                       [](T& c, bool v) { c.setFitText(v); }));
        t.push_back(integerProperty<T>("MinFontSize", TLabel::kDefaultMinFontSize, 1, kMaxFontHeight * 72 / 96,
                                       [](const T& c) { return c.MinFontSize(); },
                                       [](T& c, int v) { c.setMinFontSize(v); }));
        t.push_back(booleanProperty<T>("Composed", false, [](const T& c) { return c.Composed(); },
                                       [](T& c, bool v) { c.setComposed(v); }));
        return t;
    }();
    return table;
}

const Table<TLabel3DF>& label3DTable() {
    static const Table<TLabel3DF> table = [] {
        using T = TLabel3DF;
        Table<T> t;
        addLabelProperties(t);
        t.push_back(colorProperty<T>("FirstColor", std::nullopt, [](const T& c) { return c.FirstColor(); },
                                     [](T& c, TColor v) { c.setFirstColor(v); }));
        t.push_back(colorProperty<T>("LastColor", std::nullopt, [](const T& c) { return c.LastColor(); },
                                     [](T& c, TColor v) { c.setLastColor(v); }));
        t.push_back(booleanProperty<T>("FillGradient", std::nullopt, [](const T& c) { return c.FillGradient(); },
                                       [](T& c, bool v) { c.setFillGradient(v); }));
        t.push_back(enumProperty<T, TGradientOrientation>("GradientOrientation", std::nullopt, kOrientations,
                                                          [](const T& c) { return c.GradientOrientation(); },
                                                          [](T& c, TGradientOrientation v) { c.setGradientOrientation(v); }));
        t.push_back(colorProperty<T>("HighLightColor", clBtnHighlight, [](const T& c) { return c.HighLightColor(); },
                                     [](T& c, TColor v) { c.setHighLightColor(v); }));
        t.push_back(colorProperty<T>("ShadowColor", clBtnShadow, [](const T& c) { return c.ShadowColor(); },
                                     [](T& c, TColor v) { c.setShadowColor(v); }));
        t.push_back(enumProperty<T, TLabel3DFBevel>("Bevel", blRaised, kBevels3D, [](const T& c) { return c.Bevel(); },
                                                    [](T& c, TLabel3DFBevel v) { c.setBevel(v); }));
        t.push_back(integerProperty<T>("ShadowSize", 1, 0, 255, [](const T& c) { return c.ShadowSize(); },
                                       [](T& c, int v) { c.setShadowSize(v); }));
        t.push_back(colorProperty<T>("BorderColor", std::nullopt, [](const T& c) { return c.BorderColor(); },
                                     [](T& c, TColor v) { c.setBorderColor(v); }));
        t.push_back(integerProperty<T>("BorderWidth", std::nullopt, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.BorderWidth(); },
                                       [](T& c, int v) { c.setBorderWidth(v); }));
        t.push_back(enumProperty<T, TLabel3DFBorderStyle>("BorderStyle", std::nullopt, kBorderStyles3D,
                                                          [](const T& c) { return c.BorderStyle(); },
                                                          [](T& c, TLabel3DFBorderStyle v) { c.setBorderStyle(v); }));
        return t;
    }();
    return table;
}

} // namespace wendolarka::pass_template::properties
