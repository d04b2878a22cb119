#include "database/person_table.h"
#include "database/print_register.h"

#include "sqlite_test_support.h"

using namespace wendolarka;

namespace {

struct PrintRegister : SqliteTest {
    std::vector<std::int64_t> ids;
    std::shared_ptr<ISQLiteDatabase> db;

    void SetUp() override {
        SqliteTest::SetUp();
        person_table::CreateDatabase(path());
        db = person_table::OpenExisting(path());
        ids = person_table::IdsInSurnameOrder(*db); // the sample person
        for (const char* surname : {"Nowak", "Kowalska", "Zych"}) {
            TPersonTexts texts;
            texts[2] = QString::fromLatin1(surname);
            ids.push_back(person_table::Insert(*db, texts, QByteArray()));
        }
        std::sort(ids.begin(), ids.end());
    }
    QString tableInfo(ISQLiteDatabase& on, const char* table) {
        const auto rows = on.Query(QStringLiteral("PRAGMA table_info(%1);").arg(QString::fromLatin1(table)));
        QString info;
        for (rows->First(); !rows->AtEnd(); rows->Next())
            for (int c = 0; c < rows->ColumnCount(); ++c)
                info += rows->FieldText(c) + u'|';
        return info;
    }
};

} // namespace

TEST_F(PrintRegister, ADatabaseWithoutTheTableHasPrintedNothingAndStaysAsItWas) {
    const QByteArray before = db->Serialize();
    EXPECT_TRUE(print_register::PrintedIds(*db).isEmpty());
    EXPECT_EQ(print_register::NeverPrinted(*db), ids);
    EXPECT_TRUE(print_register::PrintedSince(*db, QDateTime(QDate(2000, 1, 1), QTime())).isEmpty());
    EXPECT_TRUE(print_register::LastPrinted(*db).isEmpty());
    print_register::Record(*db, {}, QStringLiteral("karta.wzo"), QStringLiteral("a.pdf")); // nothing printed
    EXPECT_FALSE(db->HasTable(QStringLiteral("wydruki")));
    EXPECT_EQ(db->Serialize(), before);
}

TEST_F(PrintRegister, TheFirstRecordMakesTheTableAndLeavesThePersonsAlone) {
    const QString persons = tableInfo(*db, "osoby");
    const QString rows = db->QueryTexts(QStringLiteral("SELECT * FROM osoby ORDER BY ID;")).text;
    const QDateTime monday(QDate(2026, 3, 2), QTime(9, 15, 0));
    const QDateTime friday(QDate(2026, 3, 6), QTime(16, 40, 5));
    print_register::Record(*db, {ids[1], ids[2]}, QString::fromUtf8("Wzór łódź.wzo"), QStringLiteral("/tmp/a.pdf"), monday);
    print_register::Record(*db, {ids[2]}, QStringLiteral("karta.wzo"), QStringLiteral("HP LaserJet"), friday);

    EXPECT_EQ(tableInfo(*db, "osoby"), persons);
    EXPECT_EQ(db->QueryTexts(QStringLiteral("SELECT * FROM osoby ORDER BY ID;")).text, rows);
    EXPECT_EQ(print_register::PrintedIds(*db), (QSet<std::int64_t>{ids[1], ids[2]}));
    EXPECT_EQ(print_register::NeverPrinted(*db), (std::vector<std::int64_t>{ids[0], ids[3]}));
    EXPECT_EQ(print_register::PrintedSince(*db, QDateTime(QDate(2026, 3, 6), QTime())), QSet<std::int64_t>{ids[2]});
    EXPECT_EQ(print_register::PrintedSince(*db, monday), (QSet<std::int64_t>{ids[1], ids[2]}));
    const auto last = print_register::LastPrinted(*db);
    ASSERT_EQ(last.size(), 2);
    EXPECT_EQ(last.value(ids[1]), monday);
    EXPECT_EQ(last.value(ids[2]), friday); // the later of two

    // Stored as typed, in the database's own text encoding.
    const auto stored = db->Query(QStringLiteral("SELECT OsobaID, Czas, Wzorzec, Wyjscie FROM wydruki ORDER BY ID;"));
    ASSERT_EQ(stored->RowCount(), 3);
    stored->First();
    EXPECT_EQ(stored->FieldInteger(0), ids[1]);
    EXPECT_EQ(stored->FieldText(1), QStringLiteral("2026-03-02T09:15:00"));
    EXPECT_EQ(stored->FieldText(2), QString::fromUtf8("Wzór łódź.wzo"));
    EXPECT_EQ(stored->FieldText(3), QStringLiteral("/tmp/a.pdf"));
    stored->Last();
    EXPECT_EQ(stored->FieldText(3), QStringLiteral("HP LaserJet"));
}

TEST_F(PrintRegister, ALockHeldElsewhereFailsTheRecordCleanlyAndSaysSo) {
    const auto waiting = TSQLiteDatabase::Create(path(), 50);
    const auto holder = TSQLiteDatabase::Create(path());
    holder->BeginImmediateTransaction();
    const QString warning = print_register::RecordOrWarn(*waiting, {ids[0], ids[1]}, QStringLiteral("karta.wzo"),
                                                         QStringLiteral("a.pdf"));
    EXPECT_TRUE(warning.contains(QStringLiteral("rejestrze wydruków"))) << warning.toStdString();
    EXPECT_FALSE(waiting->IsInTransaction());
    holder->RollbackTransaction();

    EXPECT_FALSE(waiting->HasTable(QStringLiteral("wydruki")));
    // Once the lock is gone the same connection records again.
    EXPECT_TRUE(print_register::RecordOrWarn(*waiting, {ids[0]}, QStringLiteral("karta.wzo"), QStringLiteral("a.pdf"))
                    .isEmpty());
    EXPECT_EQ(print_register::PrintedIds(*db), QSet<std::int64_t>{ids[0]});
}
