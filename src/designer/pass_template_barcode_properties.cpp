// Codes: an element of ours, written only by designs that have one.

#include "pass_template_values.h"

#include "controls/barcode.h"

namespace wendolarka::pass_template::properties {
namespace {

constexpr std::array<const char*, 4> kBarcodeKinds = {"bkQR", "bkCode128", "bkDataMatrix", "bkEAN13"};

} // namespace

const Table<TBarcode>& barcodeTable() {
    static const Table<TBarcode> table = [] {
        using T = TBarcode;
        Table<T> t;
        addBounds(t);
        t.push_back(enumProperty<T, TBarcodeKind>("Kind", bkQR, kBarcodeKinds, [](const T& c) { return c.Kind(); },
                                                  [](T& c, TBarcodeKind v) { c.setKind(v); }));
        t.push_back({"Text", TValue::String(QStringLiteral("{Indeks}")), nullptr,
                     [](const T& c) { return TValue::String(c.Text()); },
                     [](const TValue& v) -> Applier<T> {
                         const QString text = stringOf(v, QStringLiteral("Text"));
                         return [text](T& c) { c.setText(text); };
                     }});
        t.push_back(colorProperty<T>("Color", clWhite, [](const T& c) { return c.Color(); },
                                     [](T& c, TColor v) { c.setColor(v); }));
        t.push_back(colorProperty<T>("BarColor", clBlack, [](const T& c) { return c.BarColor(); },
                                     [](T& c, TColor v) { c.setBarColor(v); }));
        t.push_back(booleanProperty<T>("Visible", true, [](const T& c) { return c.Visible(); },
                                       [](T& c, bool v) { c.setVisible(v); }));
        return t;
    }();
    return table;
}

} // namespace wendolarka::pass_template::properties
