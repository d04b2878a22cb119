#include "pass_person.h"

#include "controls/barcode.h"
#include "controls/image.h"
#include "controls/label.h"
#include "core/picture.h"
#include "pass_design.h"

namespace wendolarka {
namespace {

// Calls `visit(element, pattern)` for every composed label and code of the pass.
template <typename Visit>
void forEachComposed(const TPassDesign& form, Visit visit) {
    for (TControl* element : form.client().Controls()) {
        if (auto* label = dynamic_cast<TLabel*>(element); label && label->Composed())
            visit(*element, label->Caption());
        else if (auto* code = dynamic_cast<TBarcode*>(element))
            visit(*element, code->Text());
    }
}

} // namespace

void showPersonOnPass(TPassDesign& form, const TPersonTexts& texts, const TPicture& photo, qint64 passIndex) {
    const std::array<TLabel*, 11> labels = form.textLabels();
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i] && !labels[i]->Composed())
            labels[i]->setCaption(texts[i]);
    if (form.Image11)
        form.Image11->setPicture(photo);
    form.setPersonTexts(texts);
    fillComposedTexts(form, passIndex);
}

void fillComposedTexts(TPassDesign& form, qint64 passIndex) {
    forEachComposed(form, [&](TControl& element, const QString& pattern) {
        const QString text = composeText(pattern, form.personTexts(), form.runFields(), passIndex).text;
        if (auto* label = dynamic_cast<TLabel*>(&element))
            label->setComposedText(text);
        else if (auto* code = dynamic_cast<TBarcode*>(&element))
            code->setCodedText(text);
    });
}

void takePersonFromLabels(TPassDesign& form) {
    TPersonTexts texts;
    const std::array<TLabel*, 11> labels = form.textLabels();
    for (std::size_t i = 0; i < labels.size(); ++i)
        texts[i] = labels[i] && !labels[i]->Composed() ? labels[i]->Caption() : QStringLiteral(" ");
    form.setPersonTexts(texts);
}

TComposedTextProblems composedTextProblems(const TPassDesign& form) {
    TComposedTextProblems problems;
    forEachComposed(form, [&](TControl& element, const QString& pattern) {
        const TComposedText composed = composeText(pattern, form.personTexts(), form.runFields(), 0);
        for (const QString& name : composed.unknown)
            problems.unknown << QStringLiteral("%1: nieznane pole {%2}").arg(element.Name(), name);
        for (const QString& name : composed.unset)
            problems.unset << QStringLiteral("%1: pole {%2} nie ma wartości w tym wydruku").arg(element.Name(), name);
    });
    return problems;
}

} // namespace wendolarka
