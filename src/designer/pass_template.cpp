#include "pass_template.h"

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

namespace wendolarka::pass_template {
namespace {

using namespace component_stream;

[[noreturn]] void refuse(const QString& what) { throw EStreamError(what); }

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
    return static_cast<int>(value);
}

int boundedOf(const TValue& v, const QString& name, std::int64_t low, std::int64_t high) {
    const std::int64_t value = integerOf(v, name);
    if (value < low || value > high)
        refuse(QStringLiteral("„%1” = %2 poza zakresem %3..%4").arg(name).arg(value).arg(low).arg(high));
    return static_cast<int>(value);
}

bool booleanOf(const TValue& v, const QString& name) {
    if (!v.isBoolean())
        refuse(QStringLiteral("„%1” oczekuje wartości logicznej").arg(name));
    return v.boolean();
}

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

template <typename T>
using Applier = std::function<void(T&)>;

// One published property: how it is read from an element, when it is written,
// and how a value from a file is checked and turned into a change.
template <typename T>
struct Property {
    const char* name;
    std::optional<TValue> defaultValue;              // none: always written
    std::function<bool(const T&)> stored = nullptr;  // written only while this holds
    std::function<TValue(const T&)> get;
    std::function<Applier<T>(const TValue&)> prepare;

    bool writes(const T& object) const {
        if (stored && !stored(object))
            return false;
        return !defaultValue || !(get(object) == *defaultValue);
    }
};

template <typename T>
using Table = std::vector<Property<T>>;

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

constexpr std::array<const char*, 4> kHandlers = {"FormActivate", "FormClose", "FormResize", "FormShow"};

const Table<TForm1>& formTable() {
    static const Table<TForm1> table = [] {
        using T = TForm1;
        Table<T> t;
        const auto outer = [](const char* name, std::function<int(const T&)> get, std::function<void(T&, int)> set,
                              int low) {
            return Property<T>{name, std::nullopt, nullptr, [get](const T& c) { return TValue::Integer(get(c)); },
                               [name, set, low](const TValue& v) -> Applier<T> {
                                   const int value = boundedOf(v, QLatin1String(name), low, kMaxCoordinate);
                                   return [set, value](T& c) { set(c, value); };
                               }};
        };
        t.push_back(outer("Left", [](const T& c) { return c.pos().x(); }, [](T& c, int v) { c.move(v, c.y()); },
                          -kMaxCoordinate));
        t.push_back(outer("Top", [](const T& c) { return c.pos().y(); }, [](T& c, int v) { c.move(c.x(), v); },
                          -kMaxCoordinate));
        // Outer sizes: the client area is what the frame of a tool window leaves.
        t.push_back(outer("Width", [](const T& c) { return c.width() + kToolWindowFrame.width(); },
                          [](T& c, int v) { c.resize(std::max(0, v - kToolWindowFrame.width()), c.height()); }, 0));
        t.push_back(outer("Height", [](const T& c) { return c.height() + kToolWindowFrame.height(); },
                          [](T& c, int v) { c.resize(c.width(), std::max(0, v - kToolWindowFrame.height())); }, 0));
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

// ---- writing ---------------------------------------------------------------------------

template <typename T>
void writeProperties(TStreamWriter& out, const Table<T>& table, const T& object) {
    for (const Property<T>& p : table)
        if (p.writes(object))
            out.property(QLatin1String(p.name), p.get(object));
}

template <typename T>
void writeElement(TStreamWriter& out, const QString& className, const Table<T>& table, const T& element) {
    out.beginComponent(className, element.Name());
    writeProperties(out, table, element);
    out.endList();
    out.endList(); // no children
}

// ---- reading ---------------------------------------------------------------------------

template <typename T>
std::vector<Applier<T>> prepareProperties(const Table<T>& table, const std::vector<TPropertyRecord>& records,
                                          const QString& owner) {
    std::vector<Applier<T>> appliers;
    for (const TPropertyRecord& record : records) {
        const auto found = std::find_if(table.begin(), table.end(), [&](const Property<T>& p) {
            return record.name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0;
        });
        if (found == table.end())
            refuse(QStringLiteral("%1 nie ma właściwości „%2”").arg(owner, record.name));
        appliers.push_back(found->prepare(record.value));
    }
    return appliers;
}

// Which class each element of the pass window must have.
const std::map<QString, QString>& slotClasses() {
    static const std::map<QString, QString> classes = [] {
        std::map<QString, QString> m;
        for (const char* name : {"lblTytul", "lblImie", "lblNazwisko", "lblPriorytet", "lblIndex", "lblAdres1",
                                 "lblAdres2", "lblTelefon1", "lblTelefon2", "lblusluga1", "lblUsluga2"})
            m[QString::fromLatin1(name).toUpper()] = QStringLiteral("TLabel");
        for (const char* name : {"Rama0", "Ramka1", "Ramka2", "Ramka3", "Ramka4", "Ramka5"})
            m[QString::fromLatin1(name).toUpper()] = QStringLiteral("TktMultiBevel");
        m[QStringLiteral("IMAGE11")] = m[QStringLiteral("IMGSTALE")] = QStringLiteral("TImage");
        m[QStringLiteral("LBL1")] = m[QStringLiteral("LBL2")] = QStringLiteral("TLabel3DF");
        m[QStringLiteral("SIZECONTROL1")] = QStringLiteral("TSizeControl");
        return m;
    }();
    return classes;
}

// An element read and checked, waiting to be made.
struct PreparedElement {
    QString className;
    QString name;
    std::function<TControl*(TForm1&)> create; // elements of the element model
    std::vector<Applier<TSizeControl>> sizer;  // the sizer
    std::optional<QString> target;             // the sizer's Target, resolved at the end
};

struct PreparedForm {
    std::vector<Applier<TForm1>> root;
    std::optional<bool> visible;
    std::vector<PreparedElement> elements;
};

template <typename T>
PreparedElement prepareElement(const TComponentRecord& record, const Table<T>& table) {
    auto appliers = prepareProperties(table, record.properties, record.name);
    PreparedElement element{record.className, record.name, nullptr, {}, std::nullopt};
    element.create = [name = record.name, appliers = std::move(appliers)](TForm1& form) -> TControl* {
        T* control = form.createControl<T>(name);
        for (const Applier<T>& apply : appliers)
            apply(*control);
        return control;
    };
    return element;
}

PreparedForm prepare(const TComponentRecord& root) {
    // The root's class and name do not change the window's identity.
    PreparedForm form;
    std::vector<TPropertyRecord> rootProperties;
    for (const TPropertyRecord& record : root.properties) {
        if (record.name.compare(QStringLiteral("Visible"), Qt::CaseInsensitive) == 0)
            form.visible = booleanOf(record.value, QStringLiteral("Visible"));
        else
            rootProperties.push_back(record);
    }
    form.root = prepareProperties(formTable(), rootProperties, root.name);

    std::set<QString> names;
    for (const TComponentRecord& child : root.children) {
        if (child.name.isEmpty())
            refuse(QStringLiteral("element bez nazwy (%1)").arg(child.className));
        if (!names.insert(child.name.toUpper()).second)
            refuse(QStringLiteral("dwa elementy o nazwie %1").arg(child.name));
        const auto slot = slotClasses().find(child.name.toUpper());
        if (slot != slotClasses().end() && slot->second.compare(child.className, Qt::CaseInsensitive) != 0)
            refuse(QStringLiteral("element %1 musi być klasy %2, a jest %3").arg(child.name, slot->second, child.className));
        const QString& c = child.className;
        if (c.compare(QStringLiteral("TLabel"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, labelTable()));
        } else if (c.compare(QStringLiteral("TLabel3DF"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, label3DTable()));
        } else if (c.compare(QStringLiteral("TktMultiBevel"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, frameTable()));
        } else if (c.compare(QStringLiteral("TImage"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, imageTable()));
        } else if (c.compare(QStringLiteral("TSizeControl"), Qt::CaseInsensitive) == 0) {
            PreparedElement sizer{QStringLiteral("TSizeControl"), child.name, nullptr, {}, std::nullopt};
            std::vector<TPropertyRecord> rest;
            for (const TPropertyRecord& record : child.properties) {
                if (record.name.compare(QStringLiteral("Target"), Qt::CaseInsensitive) != 0) {
                    rest.push_back(record);
                } else if (record.value.tag == Tag::Ident) {
                    sizer.target = record.value.text;
                } else if (record.value.tag != Tag::Nil) {
                    refuse(QStringLiteral("„Target” oczekuje nazwy elementu"));
                }
            }
            sizer.sizer = prepareProperties(sizerTable(), rest, child.name);
            form.elements.push_back(std::move(sizer));
        } else {
            refuse(QStringLiteral("nieznana klasa elementu %1").arg(c));
        }
    }
    return form; // a Target naming no element resolves to none

}

// Nothing here can fail: every value was checked when it was prepared.
void apply(TForm1& form, PreparedForm&& prepared) {
    delete form.SizeControl1.data();
    form.destroyAllControls();
    form.bindSlots();
    for (const Applier<TForm1>& set : prepared.root)
        set(form);
    form.syncClientBounds(); // aligned elements fill the size just read
    TSizeControl* sizer = nullptr;
    std::optional<QString> target;
    for (PreparedElement& element : prepared.elements) {
        if (element.create) {
            element.create(form);
            continue;
        }
        delete sizer; // a second sizer record replaces the first
        sizer = new TSizeControl(&form);
        sizer->setObjectName(element.name);
        for (const Applier<TSizeControl>& set : element.sizer)
            set(*sizer);
        target = element.target;
    }
    form.SizeControl1 = sizer;
    form.bindSlots();
    if (sizer && target)
        if (TControl* element = form.findControl(*target))
            sizer->setTarget(element);
    if (prepared.visible && *prepared.visible)
        form.ShowCentred();
}

void load(TForm1& form, const TComponentRecord& root) { apply(form, prepare(root)); }

} // namespace

QByteArray writeStream(const TForm1& form) {
    TStreamWriter out;
    out.signature();
    out.beginComponent(QStringLiteral("TForm1"), form.objectName().isEmpty() ? QStringLiteral("Form1") : form.objectName());
    for (const Property<TForm1>& p : formTable()) {
        if (p.writes(form))
            out.property(QLatin1String(p.name), p.get(form));
        if (QLatin1String(p.name) == QLatin1String("Position") && form.isVisible())
            out.property(QStringLiteral("Visible"), TValue::Boolean(true));
    }
    out.endList();
    for (const TControl* control : form.client().Controls()) {
        if (const auto* d = dynamic_cast<const TLabel3DF*>(control))
            writeElement(out, QStringLiteral("TLabel3DF"), label3DTable(), *d);
        else if (const auto* l = dynamic_cast<const TLabel*>(control))
            writeElement(out, QStringLiteral("TLabel"), labelTable(), *l);
        else if (const auto* f = dynamic_cast<const TktMultiBevel*>(control))
            writeElement(out, QStringLiteral("TktMultiBevel"), frameTable(), *f);
        else if (const auto* i = dynamic_cast<const TImage*>(control))
            writeElement(out, QStringLiteral("TImage"), imageTable(), *i);
    }
    if (const TSizeControl* sizer = form.SizeControl1.data()) {
        out.beginComponent(QStringLiteral("TSizeControl"),
                           sizer->objectName().isEmpty() ? QStringLiteral("SizeControl1") : sizer->objectName());
        writeProperties(out, sizerTable(), *sizer);
        if (const TControl* target = sizer->Target())
            out.property(QStringLiteral("Target"), TValue::Ident(target->Name()));
        out.endList();
        out.endList();
    }
    out.endList();
    return out.bytes();
}

QByteArray writeFile(const TForm1& form) { return templateFile(QStringLiteral("TForm1"), writeStream(form)); }

// Templates have no property that takes a list or a collection.
TReadLimits templateLimits() {
    TReadLimits limits;
    limits.lists = false;
    return limits;
}

void loadFile(TForm1& form, const QByteArray& file) { load(form, readTemplate(file, templateLimits())); }

void loadStream(TForm1& form, const QByteArray& stream) {
    qsizetype pos = 0;
    load(form, readComponentStream(stream, pos, templateLimits()));
}

QString describeFile(const QByteArray& file) {
    const TComponentRecord root = readTemplate(file, templateLimits());
    prepare(root); // the same checks as loading
    QString out;
    const auto describeValue = [](const TPropertyRecord& p) -> QString {
        const TValue& v = p.value;
        if (v.isInteger())
            return QString::number(v.integer);
        if (v.isString())
            return QStringLiteral("'") + v.text + QStringLiteral("'");
        switch (v.tag) {
        case Tag::Ident: return v.text;
        case Tag::True: return QStringLiteral("True");
        case Tag::False: return QStringLiteral("False");
        case Tag::Nil: return QStringLiteral("nil");
        case Tag::Set: return QStringLiteral("[") + v.set.join(QStringLiteral(", ")) + QStringLiteral("]");
        case Tag::Binary: {
            if (p.name.compare(QStringLiteral("Picture.Data"), Qt::CaseInsensitive) == 0) {
                const TPicture picture = pictureFromStreamData(v.binary);
                if (picture.isEmpty())
                    return QStringLiteral("{obraz pusty lub nieznanej klasy, %1 B}").arg(v.binary.size());
                return QStringLiteral("{%1 %2 × %3 pikseli, %4 B}")
                    .arg(picture.Graphic()->ClassName())
                    .arg(picture.Width())
                    .arg(picture.Height())
                    .arg(v.binary.size());
            }
            return QStringLiteral("{dane binarne, %1 B}").arg(v.binary.size());
        }
        default: return QStringLiteral("(znacznik %1)").arg(int(v.tag));
        }
    };
    const std::function<void(const TComponentRecord&, int)> component = [&](const TComponentRecord& c, int depth) {
        const QString indent(depth * 2, u' ');
        out += indent + QStringLiteral("object ") + c.name + QStringLiteral(": ") + c.className + u'\n';
        for (const TPropertyRecord& p : c.properties)
            out += indent + QStringLiteral("  ") + p.name + QStringLiteral(" = ") + describeValue(p) + u'\n';
        for (const TComponentRecord& child : c.children)
            component(child, depth + 1);
        out += indent + QStringLiteral("end\n");
    };
    component(root, 0);
    return out;
}

} // namespace wendolarka::pass_template
