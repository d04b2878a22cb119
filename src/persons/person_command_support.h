#pragma once

// What the person commands' files share: the database files' filter and how a
// failure of the engine is said.

#include "database/person_table.h"
#include "widgets/form_setup.h"

namespace wendolarka::person_commands_support {

inline const QString kDatabaseFilter = utf8("Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*");

// The engine's failure on that file in the program's words: a lock or damage said as such.
inline QString failureText(const Exception& e, const QString& fileName) {
    if (const auto* engine = dynamic_cast<const ESQLiteException*>(&e))
        return person_table::describeFailure(*engine, fileName);
    return e.message();
}

// A write that did not go through; the transaction was rolled back, so nothing changed.
[[noreturn]] inline void rethrowWriteFailure(const ESQLiteException& e, const QString& fileName) {
    if (e.isBusy())
        throw Exception(failureText(e, fileName));
    throw Exception(utf8("Zmiana nie została zapisana w bazie danych; baza pozostała bez zmian.\n\n") +
                    failureText(e, fileName));
}

} // namespace wendolarka::person_commands_support
