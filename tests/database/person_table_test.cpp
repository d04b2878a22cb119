#include "core/cp1250.h"
#include "database/person_table.h"
#include "sqlite_test_support.h"
#include "support/damaged_file.h"
#include "support/error_text.h"

#include <QFile>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

TPersonTexts texts(const QString& surname, const QString& priority = QStringLiteral("P")) {
    return {QStringLiteral("Pan"), QStringLiteral("Jan"), surname, priority, QStringLiteral("X"),
            QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("T1"), QStringLiteral("T2"),
            QStringLiteral("U1"), QStringLiteral("U2")};
}

QString hexOf(ISQLiteDatabase& db, const QString& column, std::int64_t id) {
    return db.QueryText(QStringLiteral("SELECT hex(") + column + QStringLiteral(") FROM osoby WHERE ID=") +
                        QString::number(id));
}

} // namespace

TEST_F(SqliteTest, ANewDatabaseHoldsTheSamplePersonAndIsNeverMadeTwice) {
    person_table::CreateDatabase(path());
    auto db = person_table::OpenExisting(path());
    auto all = person_table::SelectAll(*db);
    ASSERT_EQ(all->Count(), 1);
    const TPersonRow row = person_table::ReadRow(*all);
    EXPECT_EQ(row.ID, 1);
    EXPECT_EQ(row.texts, person_table::samplePerson());
    EXPECT_FALSE(row.picture.has_value());
    // The stored bytes are the code page's, exactly as the quoted statement stored them.
    EXPECT_EQ(hexOf(*db, QStringLiteral("Priorytet"), 1), QStringLiteral("5761BF6E61"));
    EXPECT_EQ(db->QueryText(QStringLiteral("SELECT typeof(Adres1) FROM osoby")), QStringLiteral("text"));
    EXPECT_EQ(db->QueryText(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='osoby'")),
              person_table::createStatement().chopped(1));
    EXPECT_TRUE(errorOf([&] { person_table::CreateDatabase(path()); }).contains(QStringLiteral("już istnieje")));
}

TEST_F(SqliteTest, OnlyAPersonDatabaseOpensAndNothingIsCreatedOnTheWay) {
    const QString missing = path(QStringLiteral("brak.db"));
    EXPECT_EQ(errorOf([&] { person_table::OpenExisting(missing); }),
              QString::fromUtf8("Plik „") + missing + QString::fromUtf8("” nie istnieje."));
    EXPECT_FALSE(QFile::exists(missing));

    QFile text(path(QStringLiteral("notatki.db")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    EXPECT_TRUE(errorOf([&] { person_table::OpenExisting(text.fileName()); })
                    .endsWith(QString::fromUtf8(" nie jest bazą danych SQLite albo nie da się go odczytać.")));

    auto other = open(QStringLiteral("inna.db"));
    other->Execute(QStringLiteral("CREATE TABLE ludzie (a)"));
    EXPECT_TRUE(errorOf([&] { person_table::OpenExisting(path(QStringLiteral("inna.db"))); })
                    .endsWith(QString::fromUtf8(" nie ma tabeli osób (osoby).")));
    other->Execute(QStringLiteral("CREATE TABLE osoby (ID INTEGER PRIMARY KEY, Tytul, Imie, Nazwisko)"));
    EXPECT_TRUE(errorOf([&] { person_table::OpenExisting(path(QStringLiteral("inna.db"))); })
                    .endsWith(QStringLiteral("brakuje kolumn: Priorytet, Indeks, Adres1, Adres2, Telefon1, "
                                             "Telefon2, Usluga1, Usluga2, Picture.")));
}

TEST_F(SqliteTest, PersonsListInTheEnginesByteOrderOfSurnames) {
    person_table::CreateDatabase(path());
    auto db = person_table::OpenExisting(path());
    person_table::Delete(*db, 1);
    for (const char* surname : {"Zych", "bartnik", "Łoś", "Nowak"})
        person_table::Insert(*db, texts(QString::fromUtf8(surname)), QByteArray("photo"));
    auto grid = person_table::SelectForGrid(*db);
    QStringList order;
    for (grid->First(); !grid->AtEnd(); grid->Next())
        order << grid->FieldText(3);
    EXPECT_EQ(order, QStringList({QStringLiteral("Nowak"), QStringLiteral("Zych"), QStringLiteral("bartnik"),
                                  QString::fromUtf8("Łoś")}));
    EXPECT_EQ(grid->ColumnCount(), 12); // no photos in the grid's result
}

TEST_F(SqliteTest, ValuesAreStoredAsTypedAndEachChangeIsWholeOrNothing) {
    person_table::CreateDatabase(path());
    auto db = person_table::OpenExisting(path());
    TPersonTexts odd = texts(QStringLiteral("Imie"));
    odd[0] = QStringLiteral("\"cytat\" ");
    const std::int64_t id = person_table::Insert(*db, odd, QByteArray("\xFF\xD8jpeg", 6));
    auto stored = person_table::SelectById(*db, id);
    TPersonRow row = person_table::ReadRow(*stored);
    EXPECT_EQ(row.texts, odd); // a column's name and a quote, both as typed
    EXPECT_EQ(row.picture, QByteArray("\xFF\xD8jpeg", 6));

    odd[2] = QStringLiteral("Nazwisko");
    person_table::Update(*db, id, odd, std::nullopt); // the photo stays
    row = person_table::ReadRow(*person_table::SelectById(*db, id));
    EXPECT_EQ(row.texts[2], QStringLiteral("Nazwisko"));
    EXPECT_EQ(row.picture, QByteArray("\xFF\xD8jpeg", 6));

    // A change that fails half-way leaves nothing behind and no transaction open.
    db->Execute(QStringLiteral("CREATE TRIGGER no_photo BEFORE UPDATE OF Picture ON osoby "
                               "BEGIN SELECT RAISE(ABORT, 'photo refused'); END"));
    odd[2] = QStringLiteral("Zmienione");
    EXPECT_FALSE(errorOf([&] { person_table::Update(*db, id, odd, QByteArray("BM")); }).isEmpty());
    EXPECT_FALSE(db->IsInTransaction());
    EXPECT_EQ(person_table::ReadRow(*person_table::SelectById(*db, id)).texts[2], QStringLiteral("Nazwisko"));
    db->Execute(QStringLiteral("CREATE TRIGGER no_insert BEFORE INSERT ON osoby "
                               "BEGIN SELECT RAISE(ABORT, 'full'); END"));
    EXPECT_FALSE(errorOf([&] { person_table::Insert(*db, odd, QByteArray("x")); }).isEmpty());
    EXPECT_FALSE(db->IsInTransaction());
    EXPECT_EQ(db->QueryInteger(QStringLiteral("SELECT count(*) FROM osoby")), 2);

    // A database locked by another program refuses the write; nothing is half-written.
    db->Execute(QStringLiteral("DROP TRIGGER no_insert"));
    auto other = open();
    other->Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    db->SetBusyTimeout(0);
    EXPECT_FALSE(errorOf([&] { person_table::Insert(*db, odd, QByteArray("x")); }).isEmpty());
    EXPECT_FALSE(db->IsInTransaction());
    other->Execute(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(db->QueryInteger(QStringLiteral("SELECT count(*) FROM osoby")), 2);

    person_table::Regenerate(*db); // the whole file, as the menu says
    person_table::Delete(*db, id);
    EXPECT_EQ(person_table::SelectById(*db, id)->Count(), 0);
}

namespace {

// A database of `count` persons with photos, spread over many pages.
void fillPersons(ISQLiteDatabase& db, int count) {
    for (int i = 0; i < count; ++i)
        person_table::Insert(db, texts(QStringLiteral("Osoba%1").arg(i)), QByteArray(900, char('a' + i % 26)));
}

TPersonRow rowOf(ISQLiteDatabase& db, std::int64_t id) { return person_table::ReadRow(*person_table::SelectById(db, id)); }

} // namespace

TEST_F(SqliteTest, AChangeChecksTheRowIsStillTheOneReadByAnotherProgramToo) {
    person_table::CreateDatabase(path());
    auto here = person_table::OpenExisting(path());
    auto elsewhere = person_table::OpenExisting(path()); // a second copy of the program
    const TPersonRow asRead = rowOf(*here, 1);

    // Unchanged meanwhile: written.
    TPersonTexts typed = asRead.texts;
    typed[1] = QStringLiteral("Jan");
    EXPECT_EQ(person_table::UpdateIfUnchanged(*here, asRead, typed, std::nullopt).outcome,
              person_table::TGuardedWrite::Written);
    EXPECT_EQ(rowOf(*elsewhere, 1).texts[1], QStringLiteral("Jan"));

    // Changed elsewhere since it was read: nothing written, the stored row comes back.
    const TPersonRow second = rowOf(*here, 1);
    TPersonTexts theirs = second.texts;
    theirs[2] = QStringLiteral("Nowak");
    person_table::Update(*elsewhere, 1, theirs, QByteArray("ich zdjęcie"));
    typed[3] = QStringLiteral("Pilna");
    const auto refused = person_table::UpdateIfUnchanged(*here, second, typed, std::nullopt);
    ASSERT_EQ(refused.outcome, person_table::TGuardedWrite::ChangedMeanwhile);
    EXPECT_EQ(refused.stored.texts, theirs);
    EXPECT_EQ(refused.stored.picture, QByteArray("ich zdjęcie"));
    EXPECT_EQ(rowOf(*elsewhere, 1).texts, theirs);
    EXPECT_FALSE(here->IsInTransaction());
    // Against what is stored now it goes through.
    EXPECT_EQ(person_table::UpdateIfUnchanged(*here, refused.stored, typed, std::nullopt).outcome,
              person_table::TGuardedWrite::Written);

    // A delete checks the same; a person deleted elsewhere is said as gone.
    const TPersonRow third = rowOf(*here, 1);
    person_table::Update(*elsewhere, 1, theirs, std::nullopt);
    EXPECT_EQ(person_table::DeleteIfUnchanged(*here, third).outcome, person_table::TGuardedWrite::ChangedMeanwhile);
    EXPECT_EQ(person_table::SelectById(*elsewhere, 1)->Count(), 1);
    person_table::Delete(*elsewhere, 1);
    EXPECT_EQ(person_table::UpdateIfUnchanged(*here, third, typed, std::nullopt).outcome,
              person_table::TGuardedWrite::GoneMeanwhile);
    EXPECT_EQ(person_table::DeleteIfUnchanged(*here, third).outcome, person_table::TGuardedWrite::GoneMeanwhile);
}

TEST_F(SqliteTest, AShortLockIsWaitedForALongOneSaidAndNothingChanged) {
    person_table::CreateDatabase(path());
    auto other = TSQLiteDatabase::Create(path()); // another program, no time-out of its own
    auto here = person_table::OpenExisting(path(), 300);
    const TPersonRow asRead = rowOf(*here, 1);
    TPersonTexts typed = asRead.texts;
    typed[2] = QStringLiteral("Zmieniony");

    other->Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    QString message;
    try {
        person_table::UpdateIfUnchanged(*here, asRead, typed, std::nullopt);
    } catch (const ESQLiteException& e) {
        EXPECT_TRUE(e.isBusy());
        message = person_table::describeFailure(e, path());
    }
    EXPECT_TRUE(message.startsWith(QString::fromUtf8("Baza jest zajęta przez inny program; spróbuj ponownie.\n\n")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("database is locked")));
    EXPECT_FALSE(here->IsInTransaction());
    other->Execute(QStringLiteral("COMMIT"));
    EXPECT_EQ(rowOf(*other, 1).texts, asRead.texts);

    // A lock let go within the time-out is only waited for, opening the file included.
    other->Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other->Execute(QStringLiteral("COMMIT"));
    });
    auto patient = person_table::OpenExisting(path(), 5000);
    release.join();
    other->Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    std::thread releaseAgain([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other->Execute(QStringLiteral("COMMIT"));
    });
    EXPECT_EQ(person_table::UpdateIfUnchanged(*patient, asRead, typed, std::nullopt).outcome,
              person_table::TGuardedWrite::Written);
    releaseAgain.join();
    EXPECT_EQ(rowOf(*other, 1).texts[2], QStringLiteral("Zmieniony"));
}

TEST_F(SqliteTest, TextsWithAZeroByteAndDamagedFilesAreHandledWhole) {
    person_table::CreateDatabase(path());
    auto db = person_table::OpenExisting(path());
    TPersonTexts withZero = texts(QStringLiteral("Kowal") + QChar(0) + QStringLiteral("ski"));
    withZero[6] = QStringLiteral("ul. Długa") + QChar(0) + QStringLiteral("5");
    const std::int64_t id = person_table::Insert(*db, withZero, QByteArray("photo"));
    EXPECT_EQ(rowOf(*db, id).texts, withZero);
    // Saving one field keeps every other whole.
    TPersonTexts changed = rowOf(*db, id).texts;
    changed[0] = QStringLiteral("Pani");
    person_table::Update(*db, id, changed, std::nullopt);
    EXPECT_EQ(rowOf(*db, id).texts[2], withZero[2]);
    EXPECT_EQ(rowOf(*db, id).texts[6], withZero[6]);

    // Pages of the table overwritten: the file is named as damaged, and the way out suggested.
    fillPersons(*db, 300);
    db.reset();
    ASSERT_TRUE(test::damagePages(path(), 2, 40));
    QString message;
    try {
        auto damaged = person_table::OpenExisting(path());
        person_table::SelectAll(*damaged);
    } catch (const ESQLiteException& e) {
        EXPECT_TRUE(e.isCorrupt());
        message = person_table::describeFailure(e, path());
    } catch (const Exception& e) {
        message = e.message();
    }
    EXPECT_TRUE(message.startsWith(QString::fromUtf8("Plik bazy danych „%1” jest uszkodzony.").arg(path())))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8("„Regeneruj (odśwież) bazę”")));
}
