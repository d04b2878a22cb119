// The pass window itself and its sizer.

#include "pass_template_values.h"

#include "pass_window.h"
#include "sizer/size_control.h"
#include "widgets/form_setup.h"

#include <algorithm>

namespace wendolarka::pass_template::properties {
namespace {

constexpr std::array<const char*, 3> kControlActions = {"caSizeMove", "caSizeOnly", "caMoveOnly"};
constexpr std::array<const char*, 3> kMouseButtons = {"mbLeft", "mbRight", "mbMiddle"};
constexpr std::array<const char*, 6> kFormBorderStyles = {"bsNone", "bsSingle", "bsSizeable", "bsDialog",
                                                          "bsToolWindow", "bsSizeToolWin"};
constexpr std::array<const char*, 8> kPositions = {"poDesigned", "poDefault", "poDefaultPosOnly",
                                                   "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter",
                                                   "poMainFormCenter", "poOwnerFormCenter"};
constexpr std::array<const char*, 4> kHandlers = {"FormActivate", "FormClose", "FormResize", "FormShow"};

} // namespace

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
        t.push_back(booleanProperty<T>("Enabled", true, [](const T& c) { return c.Enabled(); },
                                       [](T& c, bool v) { c.setEnabled(v); }));
        // The sizer ignores sizes outside 0..50 itself.
        t.push_back(integerProperty<T>("GridSize", std::nullopt, INT32_MIN, INT32_MAX, [](const T& c) { return c.GridSize(); },
                                       [](T& c, int v) { c.setGridSize(v); }));
        t.push_back(booleanProperty<T>("SnapToGrid", std::nullopt, [](const T& c) { return c.SnapToGrid(); },
                                       [](T& c, bool v) { c.setSnapToGrid(v); }));
        // Target is resolved after the whole stream (pass_template.cpp).
        return t;
    }();
    return table;
}

// ---- the window itself ---------------------------------------------------------------

const Table<TPassDesign>& formTable() {
    static const Table<TPassDesign> table = [] {
        using T = TPassDesign;
        Table<T> t;
        const auto outer = [](const char* name, std::function<int(const T&)> get, std::function<void(T&, int)> set,
                              int low, int high) {
            return Property<T>{name, std::nullopt, nullptr, [get](const T& c) { return TValue::Integer(get(c)); },
                               [name, set, low, high](const TValue& v) -> Applier<T> {
                                   const int value = boundedOf(v, QLatin1String(name), low, high);
                                   return [set, value](T& c) { set(c, value); };
                               }};
        };
        t.push_back(outer("Left", [](const T& c) { return c.windowPosition().x(); },
                          [](T& c, int v) { c.setWindowPosition({v, c.windowPosition().y()}); },
                          -kMaxCoordinate, kMaxCoordinate));
        t.push_back(outer("Top", [](const T& c) { return c.windowPosition().y(); },
                          [](T& c, int v) { c.setWindowPosition({c.windowPosition().x(), v}); },
                          -kMaxCoordinate, kMaxCoordinate));
        // Outer sizes: the client area is what the frame of a tool window leaves; no card is larger than the bound.
        t.push_back(outer("Width", [](const T& c) { return c.clientSize().width() + kToolWindowFrame.width(); },
                          [](T& c, int v) { c.setClientSize({std::max(0, v - kToolWindowFrame.width()), c.clientSize().height()}); }, 0,
                          kMaxCardSide + kToolWindowFrame.width()));
        t.push_back(outer("Height", [](const T& c) { return c.clientSize().height() + kToolWindowFrame.height(); },
                          [](T& c, int v) { c.setClientSize({c.clientSize().width(), std::max(0, v - kToolWindowFrame.height())}); }, 0,
                          kMaxCardSide + kToolWindowFrame.height()));
        // The client size in other words: read, never written.
        const auto client = [outer](const char* name, std::function<int(const T&)> get,
                                    std::function<void(T&, int)> set) {
            Property<T> p = outer(name, std::move(get), std::move(set), 0, kMaxCardSide);
            p.stored = neverStored<T>;
            return p;
        };
        t.push_back(client("ClientWidth", [](const T& c) { return c.clientSize().width(); },
                           [](T& c, int v) { c.setClientSize({v, c.clientSize().height()}); }));
        t.push_back(client("ClientHeight", [](const T& c) { return c.clientSize().height(); },
                           [](T& c, int v) { c.setClientSize({c.clientSize().width(), v}); }));
        t.push_back({"BorderStyle", std::nullopt, nullptr,
                     [](const T& c) { return TValue::Ident(c.settings().borderStyle); },
                     [](const TValue& v) -> Applier<T> {
                         const auto style = enumOf<int>(v, QStringLiteral("BorderStyle"), kFormBorderStyles);
                         return [style](T& c) { c.settings().borderStyle = QLatin1String(kFormBorderStyles[style]); };
                     }});
        t.push_back({"Caption", std::nullopt, [](const T& c) { return !c.caption().isEmpty(); },
                     [](const T& c) { return TValue::String(c.caption()); },
                     [](const TValue& v) -> Applier<T> {
                         const QString caption = stringOf(v, QStringLiteral("Caption"));
                         return [caption](T& c) { c.setCaption(caption); };
                     }});
        t.push_back(colorProperty<T>("Color", std::nullopt, [](const T& c) { return c.Color(); },
                                     [](T& c, TColor v) { c.setColor(v); }));
        addFont<T>(t, nullptr, [](const T& c) { return c.client().Font(); },
                   [](T& c, const TFont& f) { c.setDesignFont(f); });
        t.push_back(booleanProperty<T>("OldCreateOrder", std::nullopt, [](const T& c) { return c.settings().oldCreateOrder; },
                                       [](T& c, bool v) { c.settings().oldCreateOrder = v; }));
        t.push_back({"Position", std::nullopt, nullptr,
                     [](const T& c) { return TValue::Ident(c.settings().position); },
                     [](const TValue& v) -> Applier<T> {
                         const auto position = enumOf<int>(v, QStringLiteral("Position"), kPositions);
                         return [position](T& c) { c.settings().position = QLatin1String(kPositions[position]); };
                     }});
        // Visible is taken apart and applied last (see load).
        const auto event = [](const char* name, const char* handler, bool TPassDesign::Events::*flag) {
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
        t.push_back(event("OnActivate", "FormActivate", &TPassDesign::Events::onActivate));
        t.push_back(event("OnClose", "FormClose", &TPassDesign::Events::onClose));
        t.push_back(event("OnResize", "FormResize", &TPassDesign::Events::onResize));
        t.push_back(event("OnShow", "FormShow", &TPassDesign::Events::onShow));
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
