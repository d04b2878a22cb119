#pragma once

#include "core/person.h"

#include <QStringList>

namespace wendolarka {

class TPassDesign;
class TPicture;

// Puts a person on the pass: the eleven texts into their labels and the photo
// into the photo element, then fills in the composed texts and codes, with
// `passIndex` counting from the run's first pass number. A person without a
// photo gets an empty photo element, never the previous person's face.
// Missing elements are left alone, and a composed label keeps its own text.
void showPersonOnPass(TPassDesign& form, const TPersonTexts& texts, const TPicture& photo, qint64 passIndex = 0);

// Fills in every composed text and code for the design's person and run.
void fillComposedTexts(TPassDesign& form, qint64 passIndex = 0);

// The person a design shows as loaded: the texts of its person labels.
void takePersonFromLabels(TPassDesign& form);

// What the composed texts and codes name that is no field, or a run field the
// run does not give, and the codes that cannot be made: one line each, naming
// the element ("lblTekst1: nieznane pole {Stanowisko}").
struct TComposedTextProblems {
    QStringList unknown; // names that are no field
    QStringList unset;   // run fields the run does not give
    bool empty() const { return unknown.isEmpty() && unset.isEmpty(); }
    QStringList all() const { return unknown + unset; }
};
TComposedTextProblems composedTextProblems(const TPassDesign& form);

} // namespace wendolarka
