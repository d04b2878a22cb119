#include "record_conflict.h"

namespace wendolarka::record_conflict {
namespace {

const char* const kFieldNames[kPersonTextCount] = {"Tytuł",     "Imię",      "Nazwisko",  "Priorytet",
                                                   "Indeks",    "Adres 1",   "Adres 2",   "Telefon 1",
                                                   "Telefon 2", "Usługa 1", "Usługa 2"};

QString quoted(const QString& text) { return QString::fromUtf8("„%1”").arg(text); }

const QString kWho = QString::fromUtf8("Inny program (albo druga kopia Wendolarki) zmienił tę osobę w bazie, "
                                       "odkąd została tu wczytana:\n");

} // namespace

QString describeChanges(const TPersonRow& asRead, const TPersonRow& stored) {
    QString lines;
    for (std::size_t i = 0; i < kPersonTextCount; ++i)
        if (asRead.texts[i] != stored.texts[i])
            lines += QString::fromUtf8("    %1: %2 → %3\n")
                         .arg(QString::fromUtf8(kFieldNames[i]), quoted(asRead.texts[i]), quoted(stored.texts[i]));
    if (asRead.picture.value_or(QByteArray()) != stored.picture.value_or(QByteArray()))
        lines += QString::fromUtf8("    Zdjęcie: zmienione\n");
    return lines;
}

QString changedQuestion(const TPersonRow& asRead, const TPersonRow& stored) {
    return kWho + describeChanges(asRead, stored) +
           QString::fromUtf8("\nTak – zapisać wpisane dane mimo to (zmiany w polach przepadną; zdjęcie zmienia się "
                             "tylko wtedy, gdy wybrano tu nowe).\n"
                             "Nie – wczytać te zmiany do pól, których tu nie zmieniano; wpisane dane zostają, "
                             "nic nie jest zapisane.\n"
                             "Anuluj – nic nie zapisywać.");
}

QString changedBeforeDeleteQuestion(const TPersonRow& asRead, const TPersonRow& stored) {
    return kWho + describeChanges(asRead, stored) + QString::fromUtf8("\nZniszczyć ten rekord mimo to?");
}

QString goneQuestion() {
    return QString::fromUtf8("Tej osoby nie ma już w bazie: usunął ją inny program (albo druga kopia "
                             "Wendolarki).\nWpisane dane zostają w oknie edycji.\n\n"
                             "Dodać je do bazy jako nową osobę?");
}

TPersonTexts merged(const TPersonTexts& typed, const TPersonRow& asRead, const TPersonRow& stored) {
    TPersonTexts result = typed;
    for (std::size_t i = 0; i < kPersonTextCount; ++i)
        if (typed[i] == asRead.texts[i])
            result[i] = stored.texts[i];
    return result;
}

} // namespace wendolarka::record_conflict
