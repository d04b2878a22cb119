#include "pass_template_properties.h"

#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "core/component_stream.h"
#include "core/picture.h"
#include "pass_window.h"
#include "sizer/size_control.h"
#include "widgets/form_setup.h"

#include <functional>
#include <map>
#include <set>


namespace wendolarka::pass_template::properties {

using namespace component_stream;

void refuse(const QString& what) { throw EStreamError(what); }

namespace {
// ---- values ---------------------------------------------------------------------------

// Sizes and positions beyond this are no screen's.
constexpr std::int64_t kMaxCoordinate = 32767;
constexpr qsizetype kMaxCaption = 4096;

std::int64_t integerOf(const TValue& v, const QString& name) {
    if (!v.isInteger())
        refuse(QStringLiteral("„%1” oczekuje liczby całkowitej").arg(name));
    return v.integer;
}

int coordinateOf(const TValue& v, const QString& name) {
    const std::int64_t value = integerOf(v, name);
    if (value < -kMaxCoordinate || value > kMaxCoordinate)
        refuse(QStringLiteral("„%1” = %2 leży poza każdym ekranem").arg(name).arg(value));
    // A size no card reaches would only make drawing take minutes and gigabytes.
    if ((name == u"Width" || name == u"Height") && value > kMaxCardSide)
        refuse(QStringLiteral("„%1” = %2: element przepustki może mieć najwyżej %3 pikseli na bok")
                   .arg(name)
                   .arg(value)
                   .arg(kMaxCardSide));
    return static_cast<int>(value);
}

int boundedOf(const TValue& v, const QString& name, std::int64_t low, std::int64_t high) {
    const std::int64_t value = integerOf(v, name);
    if (value < low || value > high)
        refuse(QStringLiteral("„%1” = %2 poza zakresem %3..%4").arg(name).arg(value).arg(low).arg(high));
    return static_cast<int>(value);
}

} // namespace

bool booleanOf(const TValue& v, const QString& name) {

    if (!v.isBoolean())
        refuse(QStringLiteral("„%1” oczekuje wartości logicznej").arg(name));
    return v.boolean();
}

namespace {

QString stringOf(const TValue& v, const QString& name) {
    if (!v.isString())
        refuse(QStringLiteral("„%1” oczekuje tekstu").arg(name));
    return v.text;
}

template <typename E, std::size_t N>
E enumOf(const TValue& v, const QString& name, const std::array<const char*, N>& names) {
    if (v.tag != Tag::Ident)
        refuse(QStringLiteral("„%1” oczekuje identyfikatora").arg(name));
    for (std::size_t i = 0; i < N; ++i)
        if (v.text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return static_cast<E>(i);
    refuse(QStringLiteral("„%1” nie zna wartości %2").arg(name, v.text));
}

template <std::size_t N>
TValue enumValue(int value, const std::array<const char*, N>& names) {
    return TValue::Ident(QLatin1String(names[static_cast<std::size_t>(value)]));
}

TColor colorOf(const TValue& v, const QString& name) {
    if (v.tag == Tag::Ident) {
        if (const auto color = identToColor(v.text))
            return *color;
        refuse(QStringLiteral("„%1” nie zna koloru %2").arg(name, v.text));
    }
    return static_cast<TColor>(boundedOf(v, name, INT32_MIN, INT32_MAX));
}

TValue colorValue(TColor color) {
    if (const auto ident = colorToIdent(color))
        return TValue::Ident(*ident);
    return TValue::Integer(color);
}

int charsetOf(const TValue& v, const QString& name) {
    if (v.tag == Tag::Ident) {
        if (const auto charset = identToCharset(v.text))
            return *charset;
        refuse(QStringLiteral("„%1” nie zna zestawu znaków %2").arg(name, v.text));
    }
    return boundedOf(v, name, 0, 255);
}

TValue charsetValue(int charset) {
    if (const auto ident = charsetToIdent(charset))
        return TValue::Ident(*ident);
    return TValue::Integer(charset);
}

constexpr std::array<const char*, 4> kFontStyles = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

template <std::size_t N>
unsigned setOf(const TValue& v, const QString& name, const std::array<const char*, N>& names) {
    if (v.tag != Tag::Set)
        refuse(QStringLiteral("„%1” oczekuje zbioru").arg(name));
    unsigned bits = 0;
    for (const QString& member : v.set) {
        bool known = false;
        for (std::size_t i = 0; i < N; ++i)
            if (member.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) {
                bits |= 1u << i;
                known = true;
            }
        if (!known)
            refuse(QStringLiteral("„%1” nie zna elementu %2").arg(name, member));
    }
    return bits;
}

template <std::size_t N>
TValue setValue(unsigned bits, const std::array<const char*, N>& names) {
    QStringList members;
    for (std::size_t i = 0; i < N; ++i)
        if (bits & (1u << i))
            members << QLatin1String(names[i]);
    return TValue::Set(members);
}

// ---- property tables -------------------------------------------------------------------



constexpr std::array<const char*, 3> kAlignments = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr std::array<const char*, 3> kLayouts = {"tlTop", "tlCenter", "tlBottom"};
constexpr std::array<const char*, 6> kAligns = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
constexpr std::array<const char*, 3> kBevelStyles = {"bstLowered", "bstNone", "bstRaised"};
constexpr std::array<const char*, 2> kOrientations = {"goHorizontal", "goVertical"};
constexpr std::array<const char*, 4> kBevels3D = {"blNone", "blLowered", "blRaised", "blShadow"};
constexpr std::array<const char*, 6> kBorderStyles3D = {"lbNone", "lbNormal", "lbLowered", "lbRaised", "lbInn", "lbOut"};
constexpr std::array<const char*, 3> kControlActions = {"caSizeMove", "caSizeOnly", "caMoveOnly"};
constexpr std::array<const char*, 3> kMouseButtons = {"mbLeft", "mbRight", "mbMiddle"};
constexpr std::array<const char*, 6> kFormBorderStyles = {"bsNone", "bsSingle", "bsSizeable", "bsDialog",
                                                          "bsToolWindow", "bsSizeToolWin"};
constexpr std::array<const char*, 8> kPositions = {"poDesigned", "poDefault", "poDefaultPosOnly",
                                                   "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter",
                                                   "poMainFormCenter", "poOwnerFormCenter"};

// Left, Top, Width, Height of an element: always written.
template <typename T>
void addBounds(Table<T>& table) {
    const auto bound = [](const char* name, int (TControl::*get)() const, void (TControl::*set)(int)) {
        return Property<T>{name, std::nullopt, nullptr,
                           [get](const T& c) { return TValue::Integer((c.*get)()); },
                           [name, set](const TValue& v) -> Applier<T> {
                               const int value = coordinateOf(v, QLatin1String(name));
                               return [set, value](T& c) { (c.*set)(value); };
                           }};
    };
    table.push_back(bound("Left", &TControl::Left, &TControl::setLeft));
    table.push_back(bound("Top", &TControl::Top, &TControl::setTop));
    table.push_back(bound("Width", &TControl::Width, &TControl::setWidth));
    table.push_back(bound("Height", &TControl::Height, &TControl::setHeight));
}

template <typename T, typename Get, typename Set>
Property<T> booleanProperty(const char* name, std::optional<bool> fallback, Get get, Set set) {
    return {name, fallback ? std::optional<TValue>(TValue::Boolean(*fallback)) : std::nullopt, nullptr,
            [get](const T& c) { return TValue::Boolean(get(c)); },
            [name, set](const TValue& v) -> Applier<T> {
                const bool value = booleanOf(v, QLatin1String(name));
                return [set, value](T& c) { set(c, value); };
            }};
}

template <typename T, typename Get, typename Set>
Property<T> colorProperty(const char* name, std::optional<TColor> fallback, Get get, Set set,
                          std::function<bool(const T&)> stored = nullptr) {
    return {name, fallback ? std::optional<TValue>(colorValue(*fallback)) : std::nullopt, std::move(stored),
            [get](const T& c) { return colorValue(get(c)); },
            [name, set](const TValue& v) -> Applier<T> {
                const TColor value = colorOf(v, QLatin1String(name));
                return [set, value](T& c) { set(c, value); };
            }};
}

template <typename T, typename E, std::size_t N, typename Get, typename Set>
Property<T> enumProperty(const char* name, std::optional<E> fallback, const std::array<const char*, N>& names, Get get,
                         Set set) {
    return {name, fallback ? std::optional<TValue>(enumValue(static_cast<int>(*fallback), names)) : std::nullopt,
            nullptr, [get, &names](const T& c) { return enumValue(static_cast<int>(get(c)), names); },
            [name, set, &names](const TValue& v) -> Applier<T> {
                const E value = enumOf<E>(v, QLatin1String(name), names);
                return [set, value](T& c) { set(c, value); };
            }};
}

template <typename T, typename Get, typename Set>
Property<T> integerProperty(const char* name, std::optional<int> fallback, std::int64_t low, std::int64_t high, Get get,
                            Set set) {
    return {name, fallback ? std::optional<TValue>(TValue::Integer(*fallback)) : std::nullopt, nullptr,
            [get](const T& c) { return TValue::Integer(get(c)); },
            [name, set, low, high](const TValue& v) -> Applier<T> {
                const int value = boundedOf(v, QLatin1String(name), low, high);
                return [set, value](T& c) { set(c, value); };
            }};
}

// Font.Charset, Font.Color, Font.Height, Font.Name, Font.Style; each change
// starts from the font the object shows now.
template <typename T, typename Get, typename Set>
void addFont(Table<T>& table, std::function<bool(const T&)> stored, Get get, Set set) {
    const auto change = [get, set](std::function<void(TFont&)> edit) {
        return [get, set, edit](T& c) {
            TFont font = get(c);
            edit(font);
            set(c, font);
        };
    };
    table.push_back({"Font.Charset", std::nullopt, stored,
                     [get](const T& c) { return charsetValue(get(c).Charset()); },
                     [change](const TValue& v) -> Applier<T> {
                         const int charset = charsetOf(v, QStringLiteral("Font.Charset"));
                         return change([charset](TFont& f) { f.setCharset(static_cast<TFontCharset>(charset)); });
                     }});
    table.push_back({"Font.Color", std::nullopt, stored, [get](const T& c) { return colorValue(get(c).Color()); },
                     [change](const TValue& v) -> Applier<T> {
                         const TColor color = colorOf(v, QStringLiteral("Font.Color"));
                         return change([color](TFont& f) { f.setColor(color); });
                     }});
    table.push_back({"Font.Height", std::nullopt, stored,
                     [get](const T& c) { return TValue::Integer(get(c).Height()); },
                     [change](const TValue& v) -> Applier<T> {
                         const int height = boundedOf(v, QStringLiteral("Font.Height"), -4096, 4096);
                         return change([height](TFont& f) { f.setHeight(height); });
                     }});
    table.push_back({"Font.Name", std::nullopt, stored, [get](const T& c) { return TValue::String(get(c).Name()); },
                     [change](const TValue& v) -> Applier<T> {
                         const QString name = stringOf(v, QStringLiteral("Font.Name"));
                         return change([name](TFont& f) { f.setName(name); });
                     }});
    table.push_back({"Font.Style", std::nullopt, stored,
                     [get](const T& c) { return setValue(get(c).Style(), kFontStyles); },
                     [change](const TValue& v) -> Applier<T> {
                         const auto style = static_cast<TFontStyles>(setOf(v, QStringLiteral("Font.Style"), kFontStyles));
                         return change([style](TFont& f) { f.setStyle(style); });
                     }});
}

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
                     // No caption on a pass is a book; one that long is damage.
                     if (caption.size() > kMaxCaption)
                         refuse(QStringLiteral("napis dłuższy niż %1 znaków").arg(kMaxCaption));
                     return [caption](T& c) { c.setCaption(caption); };
                 }});
    t.push_back(colorProperty<T>("Color", std::nullopt, [](const T& c) { return c.Color(); },
                                 [](T& c, TColor v) { c.setColor(v); },
                                 [](const T& c) { return !c.ParentColor(); }));
    addFont<T>(t, [](const T& c) { return !c.ParentFont(); }, [](const T& c) { return c.Font(); },
               [](T& c, const TFont& f) { c.setFont(f); });
    t.push_back(booleanProperty<T>("ParentColor", true, [](const T& c) { return c.ParentColor(); },
                                   [](T& c, bool v) { c.setParentColor(v); }));
    t.push_back(booleanProperty<T>("ParentFont", true, [](const T& c) { return c.ParentFont(); },
                                   [](T& c, bool v) { c.setParentFont(v); }));
    t.push_back(enumProperty<T, TTextLayout>("Layout", tlTop, kLayouts, [](const T& c) { return c.Layout(); },
                                             [](T& c, TTextLayout v) { c.setLayout(v); }));
    t.push_back(booleanProperty<T>("Visible", true, [](const T& c) { return c.Visible(); },
                                   [](T& c, bool v) { c.setVisible(v); }));
    t.push_back(booleanProperty<T>("WordWrap", false, [](const T& c) { return c.WordWrap(); },
                                   [](T& c, bool v) { c.setWordWrap(v); }));
}

constexpr std::array<const char*, 4> kHandlers = {"FormActivate", "FormClose", "FormResize", "FormShow"};

} // namespace

const Table<TLabel>& labelTable() {
    static const Table<TLabel> table = [] {
        Table<TLabel> t;
        addLabelProperties(t);
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
        t.push_back(integerProperty<T>("BorderWidth", 0, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.BorderWidth(); },
                                       [](T& c, int v) { c.setBorderWidth(v); }));
        t.push_back(colorProperty<T>("Color", clBtnFace, [](const T& c) { return c.Color(); },
                                     [](T& c, TColor v) { c.setColor(v); }));
        t.push_back(colorProperty<T>("ColorHighlight", clBtnHighlight, [](const T& c) { return c.ColorHighlight(); },
                                     [](T& c, TColor v) { c.setColorHighlight(v); }));
        t.push_back(colorProperty<T>("ColorShadow", clBtnShadow, [](const T& c) { return c.ColorShadow(); },
                                     [](T& c, TColor v) { c.setColorShadow(v); }));
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
        t.push_back(booleanProperty<T>("Visible", true, [](const T& c) { return c.Visible(); },
                                       [](T& c, bool v) { c.setVisible(v); }));
        return t;
    }();
    return table;
}

const Table<TSizeControl>& sizerTable() {
    static const Table<TSizeControl> table = [] {
        using T = TSizeControl;
        Table<T> t;
        const auto bound = [](const char* name, int (QWidget::*get)() const, std::function<void(T&, int)> set) {
            return Property<T>{name, std::nullopt, nullptr, [get](const T& c) { return TValue::Integer((c.*get)()); },
                               [name, set](const TValue& v) -> Applier<T> {
                                   const int value = coordinateOf(v, QLatin1String(name));
                                   return [set, value](T& c) { set(c, value); };
                               }};
        };
        t.push_back(bound("Left", &QWidget::x, [](T& c, int v) { c.move(v, c.y()); }));
        t.push_back(bound("Top", &QWidget::y, [](T& c, int v) { c.move(c.x(), v); }));
        t.push_back(bound("Width", &QWidget::width, [](T& c, int v) { c.resize(std::max(v, 0), c.height()); }));
        t.push_back(bound("Height", &QWidget::height, [](T& c, int v) { c.resize(c.width(), std::max(v, 0)); }));
        t.push_back(booleanProperty<T>("AllowTab", std::nullopt, [](const T& c) { return c.AllowTab(); },
                                       [](T& c, bool v) { c.setAllowTab(v); }));
        t.push_back(colorProperty<T>("Color", std::nullopt, [](const T& c) { return c.Color(); },
                                     [](T& c, TColor v) { c.setColor(v); }));
        t.push_back(enumProperty<T, TControlActions>("ControlActions", std::nullopt, kControlActions,
                                                     [](const T& c) { return c.ControlActions(); },
                                                     [](T& c, TControlActions v) { c.setControlActions(v); }));
        t.push_back(integerProperty<T>("MinHeight", std::nullopt, 0, kMaxCoordinate,
                                       [](const T& c) { return c.MinHeight(); }, [](T& c, int v) { c.setMinHeight(v); }));
        t.push_back(integerProperty<T>("MinWidth", std::nullopt, 0, kMaxCoordinate,
                                       [](const T& c) { return c.MinWidth(); }, [](T& c, int v) { c.setMinWidth(v); }));
        t.push_back({"MouseButtons", std::nullopt, nullptr,
                     [](const T& c) { return setValue(c.MouseButtons(), kMouseButtons); },
                     [](const TValue& v) -> Applier<T> {
                         const unsigned buttons = setOf(v, QStringLiteral("MouseButtons"), kMouseButtons);
                         return [buttons](T& c) { c.setMouseButtons(buttons); };
                     }});
        // The sizer ignores sizes outside 0..50 itself.
        t.push_back(integerProperty<T>("GridSize", std::nullopt, INT32_MIN, INT32_MAX, [](const T& c) { return c.GridSize(); },
                                       [](T& c, int v) { c.setGridSize(v); }));
        t.push_back(booleanProperty<T>("SnapToGrid", std::nullopt, [](const T& c) { return c.SnapToGrid(); },
                                       [](T& c, bool v) { c.setSnapToGrid(v); }));
        // Target is resolved after the whole stream (see below).
        return t;
    }();
    return table;
}

// ---- the window itself ---------------------------------------------------------------


const Table<TForm1>& formTable() {
    static const Table<TForm1> table = [] {
        using T = TForm1;
        Table<T> t;
        const auto outer = [](const char* name, std::function<int(const T&)> get, std::function<void(T&, int)> set,
                              int low, int high) {
            return Property<T>{name, std::nullopt, nullptr, [get](const T& c) { return TValue::Integer(get(c)); },
                               [name, set, low, high](const TValue& v) -> Applier<T> {
                                   const int value = boundedOf(v, QLatin1String(name), low, high);
                                   return [set, value](T& c) { set(c, value); };
                               }};
        };
        t.push_back(outer("Left", [](const T& c) { return c.pos().x(); }, [](T& c, int v) { c.move(v, c.y()); },
                          -kMaxCoordinate, kMaxCoordinate));
        t.push_back(outer("Top", [](const T& c) { return c.pos().y(); }, [](T& c, int v) { c.move(c.x(), v); },
                          -kMaxCoordinate, kMaxCoordinate));
        // Outer sizes: the client area is what the frame of a tool window leaves; no card is larger than the bound.
        t.push_back(outer("Width", [](const T& c) { return c.width() + kToolWindowFrame.width(); },
                          [](T& c, int v) { c.resize(std::max(0, v - kToolWindowFrame.width()), c.height()); }, 0,
                          kMaxCardSide + kToolWindowFrame.width()));
        t.push_back(outer("Height", [](const T& c) { return c.height() + kToolWindowFrame.height(); },
                          [](T& c, int v) { c.resize(c.width(), std::max(0, v - kToolWindowFrame.height())); }, 0,
                          kMaxCardSide + kToolWindowFrame.height()));
        t.push_back({"BorderStyle", std::nullopt, nullptr,
                     [](const T& c) { return TValue::Ident(c.settings().borderStyle); },
                     [](const TValue& v) -> Applier<T> {
                         const auto style = enumOf<int>(v, QStringLiteral("BorderStyle"), kFormBorderStyles);
                         return [style](T& c) { c.settings().borderStyle = QLatin1String(kFormBorderStyles[style]); };
                     }});
        t.push_back({"Caption", std::nullopt, [](const T& c) { return !c.windowTitle().isEmpty(); },
                     [](const T& c) { return TValue::String(c.windowTitle()); },
                     [](const TValue& v) -> Applier<T> {
                         const QString caption = stringOf(v, QStringLiteral("Caption"));
                         return [caption](T& c) { c.setWindowTitle(caption); };
                     }});
        t.push_back(colorProperty<T>("Color", std::nullopt, [](const T& c) { return c.Color(); },
                                     [](T& c, TColor v) { c.setColor(v); }));
        addFont<T>(t, nullptr, [](const T& c) { return c.client().Font(); },
                   [](T& c, const TFont& f) {
                       c.client().setFont(f);
                       c.setFont(f.toQFont());
                   });
        t.push_back(booleanProperty<T>("OldCreateOrder", std::nullopt, [](const T& c) { return c.settings().oldCreateOrder; },
                                       [](T& c, bool v) { c.settings().oldCreateOrder = v; }));
        t.push_back({"Position", std::nullopt, nullptr,
                     [](const T& c) { return TValue::Ident(c.settings().position); },
                     [](const TValue& v) -> Applier<T> {
                         const auto position = enumOf<int>(v, QStringLiteral("Position"), kPositions);
                         return [position](T& c) { c.settings().position = QLatin1String(kPositions[position]); };
                     }});
        // Visible is taken apart and applied last (see load).
        const auto event = [](const char* name, const char* handler, bool TForm1::Events::*flag) {
            return Property<T>{name, TValue::Nil(), nullptr,
                               [handler, flag](const T& c) {
                                   return (c.events().*flag) ? TValue::Ident(QLatin1String(handler)) : TValue::Nil();
                               },
                               [name, handler, flag](const TValue& v) -> Applier<T> {
                                   if (v.tag != Tag::Nil && v.tag != Tag::Ident)
                                       refuse(QStringLiteral("„%1” oczekuje nazwy procedury").arg(QLatin1String(name)));
                                   bool bound = false;
                                   if (v.tag == Tag::Ident) {
                                       if (!std::count_if(kHandlers.begin(), kHandlers.end(), [&](const char* h) {
                                               return v.text.compare(QLatin1String(h), Qt::CaseInsensitive) == 0;
                                           }))
                                           refuse(QStringLiteral("okno nie ma procedury %1").arg(v.text));
                                       // Each event runs its own handler only.
                                       if (v.text.compare(QLatin1String(handler), Qt::CaseInsensitive) != 0)
                                           refuse(QStringLiteral("„%1” nie może wywołać %2").arg(QLatin1String(name), v.text));
                                       bound = true;
                                   }
                                   return [flag, bound](T& c) { c.events().*flag = bound; };
                               }};
        };
        t.push_back(event("OnActivate", "FormActivate", &TForm1::Events::onActivate));
        t.push_back(event("OnClose", "FormClose", &TForm1::Events::onClose));
        t.push_back(event("OnResize", "FormResize", &TForm1::Events::onResize));
        t.push_back(event("OnShow", "FormShow", &TForm1::Events::onShow));
        t.push_back(integerProperty<T>("PixelsPerInch", std::nullopt, 1, 10000, [](const T& c) { return c.PixelsPerInch(); },
                                       [](T& c, int v) { c.setPixelsPerInch(v); }));
        t.push_back(integerProperty<T>("TextHeight", std::nullopt, -kMaxCoordinate, kMaxCoordinate,
                                       [](const T& c) { return c.settings().textHeight; },
                                       [](T& c, int v) { c.settings().textHeight = v; }));
        return t;
    }();
    return table;
}

} // namespace wendolarka::pass_template::properties
