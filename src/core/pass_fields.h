#pragma once

#include "person.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace wendolarka {

// What a run of printing gives every pass beside its person: the day, the day
// the passes are valid until, and where the running pass numbers start.
struct TRunFields {
    QDate printedOn = QDate::currentDate();
    std::optional<QDate> validUntil;
    qint64 firstNumber = 1;
    int numberDigits = 1; // numbers are padded with zeros to this many digits
};

// A start number as typed ("0001" starts at 1 with four digits); nothing when it is not a number.
std::optional<TRunFields> withNumberFrom(TRunFields run, const QString& typed);

// The fields a composed text may name in braces: the eleven person fields by
// their column names, then the run's.
inline constexpr const char* kPrintedOnField = "Data";
inline constexpr const char* kValidUntilField = "WaznaDo";
inline constexpr const char* kPassNumberField = "NrPrzepustki";
QStringList passFieldNames();

// A text with "{Pole}" replaced by the field's value, field names compared
// without letter case, diacritics or blanks ("{Imię}" is "{Imie}"). "{{" and
// "}}" stand for braces. A name that is no field is kept as written, braces
// and all, and named in `unknown`; a run field the run does not give (no
// validity date) likewise, named in `unset`. Dates are written RRRR-MM-DD;
// a person's empty field (a single blank) composes as nothing.
struct TComposedText {
    QString text;
    QStringList unknown;
    QStringList unset;
};
TComposedText composeText(const QString& pattern, const TPersonTexts& person, const TRunFields& run, qint64 passIndex);

} // namespace wendolarka
