#pragma once

// How the property tables read and write values: the checks every value of a
// template passes before anything changes, and the makers of table rows. Shared
// by the tables of each element family (pass_template_*_properties.cpp).

#include "controls/control.h"
#include "core/color.h"
#include "core/font.h"
#include "pass_template_properties.h"

#include <array>
#include <cstdint>

namespace wendolarka::pass_template::properties {

using component_stream::Tag;
using component_stream::TValue;

// Sizes and positions beyond this are no screen's.
inline constexpr std::int64_t kMaxCoordinate = 32767;

std::int64_t integerOf(const TValue& v, const QString& name);
// A position or size of an element: within any screen, and no side beyond a card's.
int coordinateOf(const TValue& v, const QString& name);
int boundedOf(const TValue& v, const QString& name, std::int64_t low, std::int64_t high);
QString stringOf(const TValue& v, const QString& name);
TColor colorOf(const TValue& v, const QString& name);
TValue colorValue(TColor color);
int charsetOf(const TValue& v, const QString& name);
TValue charsetValue(int charset);

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

// ---- rows of the tables ----------------------------------------------------------------

// Read but never written: another spelling of what other rows write.
template <typename T>
bool neverStored(const T&) {
    return false;
}

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
Property<T> booleanProperty(const char* name, std::optional<bool> fallback, Get get, Set set,
                            std::function<bool(const T&)> stored = nullptr) {
    return {name, fallback ? std::optional<TValue>(TValue::Boolean(*fallback)) : std::nullopt, std::move(stored),
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
                            Set set, std::function<bool(const T&)> stored = nullptr) {
    return {name, fallback ? std::optional<TValue>(TValue::Integer(*fallback)) : std::nullopt, std::move(stored),
            [get](const T& c) { return TValue::Integer(get(c)); },
            [name, set, low, high](const TValue& v) -> Applier<T> {
                const int value = boundedOf(v, QLatin1String(name), low, high);
                return [set, value](T& c) { set(c, value); };
            }};
}

inline constexpr std::array<const char*, 4> kFontStyles = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
// Font heights beyond this are no text a pass shows.
inline constexpr int kMaxFontHeight = 4096;

// Font.Charset, Font.Color, Font.Height, Font.Name, Font.Style, and Font.Size,
// which is read but never written (Height says the same). Each change starts
// from the font the object shows now.
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
                         const int height = boundedOf(v, QStringLiteral("Font.Height"), -kMaxFontHeight, kMaxFontHeight);
                         return change([height](TFont& f) { f.setHeight(height); });
                     }});
    table.push_back({"Font.Name", std::nullopt, stored, [get](const T& c) { return TValue::String(get(c).Name()); },
                     [change](const TValue& v) -> Applier<T> {
                         const QString name = stringOf(v, QStringLiteral("Font.Name"));
                         return change([name](TFont& f) { f.setName(name); });
                     }});
    // Points at the screen's 96 pixels per inch: the same bound as the height.
    table.push_back({"Font.Size", std::nullopt, neverStored<T>,
                     [get](const T& c) { return TValue::Integer(get(c).Size()); },
                     [change](const TValue& v) -> Applier<T> {
                         const int points = boundedOf(v, QStringLiteral("Font.Size"), -kMaxFontHeight * 72 / 96,
                                                      kMaxFontHeight * 72 / 96);
                         return change([points](TFont& f) { f.setSize(points); });
                     }});
    table.push_back({"Font.Style", std::nullopt, stored,
                     [get](const T& c) { return setValue(get(c).Style(), kFontStyles); },
                     [change](const TValue& v) -> Applier<T> {
                         const auto style = static_cast<TFontStyles>(setOf(v, QStringLiteral("Font.Style"), kFontStyles));
                         return change([style](TFont& f) { f.setStyle(style); });
                     }});
}

inline constexpr std::array<const char*, 6> kAligns = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};

} // namespace wendolarka::pass_template::properties
