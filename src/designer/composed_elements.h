#pragma once

#include "controls/barcode.h"
#include "core/pass_fields.h"

#include <QString>
#include <QStringList>

namespace wendolarka {

class TControl;
class TLabel;
class TPassDesign;

// The texts and codes a user adds to a pass beside its standard elements.
namespace composed_elements {

// A name no element of the design has yet: "lblTekst1", "lblTekst2", …
QString freeName(const TPassDesign& design, const QString& stem);

// A composed text, or a code, added on top of the pass, in its middle, filled in for the pass's person.
TLabel* addText(TPassDesign& design, const QString& pattern);
TBarcode* addCode(TPassDesign& design, TBarcodeKind kind, const QString& pattern);

// Whether the element is one of those added: a composed text or a code.
bool isComposed(const TControl* element);

// Its pattern and, for a code, its kind; then both changed and filled in again.
QString patternOf(const TControl& element);
void change(TPassDesign& design, TControl& element, const QString& pattern, TBarcodeKind kind = bkQR);

// What a pattern gives for the design's person and run, and what is wrong with it:
// names that are no field, run fields without a value, and for a code why it cannot be made.
struct TPreview {
    QString text;
    QStringList problems;
};
TPreview preview(const TPassDesign& design, const QString& pattern, std::optional<TBarcodeKind> code);

} // namespace composed_elements
} // namespace wendolarka
