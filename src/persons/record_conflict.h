#pragma once

#include "database/person_table.h"

#include <QString>

namespace wendolarka::record_conflict {

// What another program changed in a person since it was read, one line a
// field: "Nazwisko: „Kowalski” → „Nowak”"; a photo only as changed.
QString describeChanges(const TPersonRow& asRead, const TPersonRow& stored);

// The overwrite's question when the stored person changed meanwhile; Yes
// overwrites, No takes the other changes in, Cancel writes nothing.
QString changedQuestion(const TPersonRow& asRead, const TPersonRow& stored);
// The delete's question when the stored person changed meanwhile.
QString changedBeforeDeleteQuestion(const TPersonRow& asRead, const TPersonRow& stored);
// The overwrite's question when the person is no longer in the table.
QString goneQuestion();

// The typed texts, with the other program's value in every field the user left
// as it was read; a field both changed keeps what was typed.
TPersonTexts merged(const TPersonTexts& typed, const TPersonRow& asRead, const TPersonRow& stored);

} // namespace wendolarka::record_conflict
