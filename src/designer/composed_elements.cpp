#include "composed_elements.h"

#include "controls/label.h"
#include "pass_design.h"
#include "pass_person.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace wendolarka::composed_elements {
namespace {

// Where a new element hides nothing shown: the free place nearest the middle
// of the pass (frames aside, whose middle is empty), else the middle itself.
QPoint freePlace(const TPassDesign& design, QSize size) {
    const QSize pass = design.clientSize();
    const QPoint middle(std::max(0, (pass.width() - size.width()) / 2), std::max(0, (pass.height() - size.height()) / 2));
    std::vector<QRect> taken;
    for (const TControl* element : design.client().Controls())
        if (element->Visible() && element->HollowArea().isEmpty())
            taken.push_back(element->BoundsRect().toQRect());
    std::optional<QPoint> best;
    const auto distance = [&](QPoint p) { return (p - middle).manhattanLength(); };
    for (int y = 0; y + size.height() <= pass.height(); y += 2)
        for (int x = 0; x + size.width() <= pass.width(); x += 2) {
            const QRect place(QPoint(x, y), size);
            if (std::none_of(taken.begin(), taken.end(), [&](const QRect& r) { return r.intersects(place); }) &&
                (!best || distance({x, y}) < distance(*best)))
                best = QPoint(x, y);
        }
    return best.value_or(middle);
}

template <typename T>
T* placeNew(TPassDesign& design, const QString& stem, QSize size) {
    const QPoint at = freePlace(design, size);
    T* element = design.createControl<T>(freeName(design, stem));
    element->SetBounds(at.x(), at.y(), size.width(), size.height());
    design.client().BringToFront(element);
    return element;
}

} // namespace

QString freeName(const TPassDesign& design, const QString& stem) {
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n);
        if (!design.findControl(name))
            return name;
    }
}

TLabel* addText(TPassDesign& design, const QString& pattern) {
    auto* label = placeNew<TLabel>(design, QStringLiteral("lblTekst"), {120, 16});
    label->setComposed(true);
    label->setCaption(pattern);
    fillComposedTexts(design);
    return label;
}

TBarcode* addCode(TPassDesign& design, TBarcodeKind kind, const QString& pattern) {
    const bool linear = kind == bkCode128 || kind == bkEAN13;
    auto* code = placeNew<TBarcode>(design, QStringLiteral("Kod"), linear ? QSize(150, 40) : QSize(60, 60));
    code->setKind(kind);
    code->setText(pattern);
    fillComposedTexts(design);
    return code;
}

bool isComposed(const TControl* element) {
    if (const auto* label = dynamic_cast<const TLabel*>(element))
        return label->Composed();
    return dynamic_cast<const TBarcode*>(element) != nullptr;
}

QString patternOf(const TControl& element) {
    if (const auto* code = dynamic_cast<const TBarcode*>(&element))
        return code->Text();
    if (const auto* label = dynamic_cast<const TLabel*>(&element))
        return label->Caption();
    return {};
}

void change(TPassDesign& design, TControl& element, const QString& pattern, TBarcodeKind kind) {
    if (auto* code = dynamic_cast<TBarcode*>(&element)) {
        code->setKind(kind);
        code->setText(pattern);
    } else if (auto* label = dynamic_cast<TLabel*>(&element)) {
        label->setCaption(pattern);
    }
    fillComposedTexts(design);
}

TPreview preview(const TPassDesign& design, const QString& pattern, std::optional<TBarcodeKind> code) {
    const TComposedText composed = composeText(pattern, design.personTexts(), design.runFields(), 0);
    TPreview shown{composed.text, {}};
    for (const QString& name : composed.unknown)
        shown.problems << QStringLiteral("nieznane pole {%1}").arg(name);
    for (const QString& name : composed.unset)
        shown.problems << QStringLiteral("pole {%1} dostanie wartość przy druku (data ważności w oknie „Przepustki dla wielu osób”)").arg(name);
    if (code && !composed.text.isEmpty())
        if (const QString error = makeBarcode(*code, composed.text).error; !error.isEmpty())
            shown.problems << error;
    return shown;
}

} // namespace wendolarka::composed_elements
