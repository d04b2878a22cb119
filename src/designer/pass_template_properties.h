#pragma once

#include "core/component_stream.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace wendolarka {
class TBarcode;
class TPassDesign;
class TImage;
class TLabel;
class TLabel3DF;
class TSizeControl;
class TktMultiBevel;
} // namespace wendolarka

// The published properties of the pass window and its element classes, one
// table per class in the order they are written, for the template reader and
// writer (pass_template.cpp).
namespace wendolarka::pass_template::properties {

[[noreturn]] void refuse(const QString& what);
bool booleanOf(const component_stream::TValue& v, const QString& name);

template <typename T>
using Applier = std::function<void(T&)>;

// One published property: how it is read from an element, when it is written,
// and how a value from a file is checked and turned into a change.
template <typename T>
struct Property {
    const char* name;
    std::optional<component_stream::TValue> defaultValue; // none: always written
    std::function<bool(const T&)> stored = nullptr;         // written only while this holds
    std::function<component_stream::TValue(const T&)> get;
    std::function<Applier<T>(const component_stream::TValue&)> prepare;

    bool writes(const T& object) const {
        if (stored && !stored(object))
            return false;
        return !defaultValue || !(get(object) == *defaultValue);
    }
};

template <typename T>
using Table = std::vector<Property<T>>;

const Table<TLabel>& labelTable();
const Table<TLabel3DF>& label3DTable();
const Table<TktMultiBevel>& frameTable();
const Table<TImage>& imageTable();
const Table<TBarcode>& barcodeTable();
const Table<TSizeControl>& sizerTable();
const Table<TPassDesign>& formTable();

} // namespace wendolarka::pass_template::properties
