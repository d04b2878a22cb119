#pragma once

// What the person commands' files share: the database files' filter and how a
// failure of the engine is said.

#include "database/person_table.h"
#include "widgets/form_setup.h"

#include <QProgressDialog>

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

// Progress of a long command over many persons, with "Anuluj"; a short one shows nothing.
class TListProgress {
public:
    TListProgress(const QString& text, QWidget* parent) : m_dialog(text, utf8("Anuluj"), 0, 100, parent) {
        m_dialog.setWindowTitle(utf8("Wendolarka"));
        m_dialog.setMinimumWidth(360);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(400);
    }
    bool operator()(int done, int total) {
        m_dialog.setMaximum(std::max(1, total));
        m_dialog.setValue(done);
        return !m_dialog.wasCanceled();
    }
    bool cancelled() const { return m_dialog.wasCanceled(); }

private:
    QProgressDialog m_dialog;
};

} // namespace wendolarka::person_commands_support
