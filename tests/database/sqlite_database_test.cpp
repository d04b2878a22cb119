#include "sqlite_test_support.h"

#include "core/cp1250.h"

#include <sqlite3.h>

using namespace wendolarka;

TEST_F(SqliteTest, OpenFailureNamesTheFileAndTheEngineReason) {
    const QString missing = path(QStringLiteral("no/such/folder/x.db"));
    EXPECT_EQ(sqliteError([&] { TSQLiteDatabase::Create(missing); }),
              QStringLiteral("Failed to open database \"") + missing +
                  QStringLiteral("\" : unable to open database file"));
}

TEST_F(SqliteTest, ExecuteReportsEachFailureWithItsOwnMessage) {
    auto db = open();
    EXPECT_EQ(sqliteError([&] { db->Execute(QStringLiteral("selec 1")); }),
              QStringLiteral("Error executing SQL \"selec 1\" : near \"selec\": syntax error"));
    EXPECT_EQ(sqliteError([&] { db->Execute(QStringLiteral("   ")); }),
              QStringLiteral("Could not prepare SQL statement"));
    EXPECT_EQ(sqliteError([&] { db->Execute(QStringLiteral("select 1")); }),
              QStringLiteral("Error executing SQL statement"));
    db->Execute(QStringLiteral("create table t (id INTEGER PRIMARY KEY)"));
    db->Execute(QStringLiteral("insert into t values (1)"));
    EXPECT_EQ(sqliteError([&] { db->Execute(QStringLiteral("insert into t values (1)")); }),
              QStringLiteral("Error executing SQL statement \"insert into t values (1)\" : UNIQUE "
                             "constraint failed: t.id"));
    EXPECT_EQ(sqliteError([&] { db->Query(QStringLiteral("select * from nowhere")); }),
              QStringLiteral("Error executing SQL \"select * from nowhere\" : no such table: nowhere"));
}

TEST_F(SqliteTest, ExecuteRunsOnlyTheFirstStatementOfAText) {
    auto db = open();
    db->Execute(QStringLiteral("create table a (x); create table b (x);"));
    EXPECT_TRUE(db->HasTable(QStringLiteral("a")));
    EXPECT_FALSE(db->HasTable(QStringLiteral("b")));
}

TEST_F(SqliteTest, HasTableIgnoresLetterCaseAndTakesAnyNameLiterally) {
    auto db = open();
    db->Execute(QStringLiteral("create table osoby (x)"));
    EXPECT_TRUE(db->HasTable(QStringLiteral("OSOBY")));
    EXPECT_TRUE(db->HasTable(QStringLiteral("Osoby")));
    EXPECT_FALSE(db->HasTable(QStringLiteral("osoby' or '1'='1")));
    db->Execute(QStringLiteral("create table [it's] (x)"));
    EXPECT_TRUE(db->HasTable(QStringLiteral("IT'S")));
}

TEST_F(SqliteTest, BoundValuesAreStoredAsTypedInTheCodePage) {
    auto db = open();
    db->Execute(QStringLiteral("create table p (ID INTEGER PRIMARY KEY, Imie VARCHAR(30), Foto BLOB)"));
    const QString name = QString::fromUtf8("Imie \"Żółć\" ' --");
    db->Execute(QStringLiteral("insert into p (Imie, Foto) values (?, ?)"),
                {name, QByteArray("a\0b", 3)});
    EXPECT_EQ(db->LastRowId(), 1);
    EXPECT_EQ(db->QueryText(QStringLiteral("select Imie from p")), name);
    EXPECT_EQ(db->QueryText(QStringLiteral("select hex(Imie) from p")),
              QString::fromLatin1(cp1250::encode(name).toHex().toUpper()));
    auto table = db->Query(QStringLiteral("select Foto from p where ID = ?"), {std::int64_t{1}});
    ASSERT_EQ(table->Count(), 1);
    EXPECT_EQ(table->FieldBlob(0)->bytes(), QByteArray("a\0b", 3));
    EXPECT_EQ(sqliteError([&] { db->Execute(QStringLiteral("select ?"), {1.0, 2.0}); }),
              QStringLiteral("Error binding parameter to SQL statement \"select ?\" : column index "
                             "out of range"));
    // Text the code page cannot hold is refused in this layer's own words, never
    // written as something else.
    EXPECT_EQ(sqliteError([&] {
                  db->Execute(QStringLiteral("insert into p (Imie) values (?)"), {QString::fromUtf8("Жук")});
              }),
              QStringLiteral("Text cannot be stored in the database code page: character U+0416 at position 0"));
    EXPECT_EQ(db->QueryInteger(QStringLiteral("select count(*) from p")), 1);
}

TEST_F(SqliteTest, WriteBlobStoresTheWholeStream) {
    auto db = open();
    db->Execute(QStringLiteral("create table p (Foto BLOB)"));
    TMemoryStream empty;
    EXPECT_EQ(sqliteError([&] { db->WriteBlob(QStringLiteral("insert into p values (?)"), empty); }),
              QStringLiteral("Error getting memory to save blob"));
    TMemoryStream photo(QByteArray("\xFF\xD8\x00\xFF\xD9", 5));
    photo.setPosition(3);
    EXPECT_EQ(sqliteError([&] { db->WriteBlob(QStringLiteral("insert into p values (1)"), photo); }),
              QStringLiteral("SQL must include a ? parameter"));
    db->WriteBlob(QStringLiteral("insert into p values (?)"), photo);
    auto table = db->Query(QStringLiteral("select Foto from p"));
    EXPECT_EQ(table->FieldBlob(0)->bytes(), photo.bytes());
    EXPECT_EQ(table->FieldBlobText(0).size(), 5);
    EXPECT_EQ(table->FieldBlobText(0)[2], QChar(0));
}

TEST_F(SqliteTest, TransactionsCommitRollBackAndRollBackWhenDropped) {
    {
        auto db = open();
        db->Execute(QStringLiteral("create table t (x INTEGER)"));
        db->BeginTransaction();
        db->Execute(QStringLiteral("insert into t values (1)"));
        db->CommitTransaction();
        EXPECT_FALSE(db->IsInTransaction());

        db->BeginTransaction();
        db->Execute(QStringLiteral("insert into t values (2)"));
        db->RollbackTransaction();
        EXPECT_EQ(db->QueryInteger(QStringLiteral("select count(*) from t")), 1);

        db->BeginTransaction();
        EXPECT_EQ(sqliteError([&] { db->BeginTransaction(); }),
                  QStringLiteral("Transaction already open"));
        EXPECT_TRUE(db->IsInTransaction());
        db->Execute(QStringLiteral("insert into t values (3)"));
    }
    auto reopened = open();
    EXPECT_FALSE(reopened->IsInTransaction());
    EXPECT_EQ(reopened->QueryInteger(QStringLiteral("select sum(x) from t")), 1);
}

TEST_F(SqliteTest, AFailedCommitLeavesTheTransactionOpen) {
    auto db = open();
    db->Execute(QStringLiteral("create table parent (id INTEGER PRIMARY KEY)"));
    db->Execute(QStringLiteral("create table child (p INTEGER REFERENCES parent(id) DEFERRABLE "
                               "INITIALLY DEFERRED)"));
    db->Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
    db->BeginTransaction();
    db->Execute(QStringLiteral("insert into child values (7)"));
    EXPECT_NE(sqliteError([&] { db->CommitTransaction(); }), QString());
    EXPECT_TRUE(db->IsInTransaction());
    db->RollbackTransaction();
    EXPECT_FALSE(db->IsInTransaction());
}

TEST_F(SqliteTest, ScalarQueriesAndEngineFacts) {
    auto db = open();
    EXPECT_EQ(db->QueryInteger(QStringLiteral("select 6 * 7")), 42);
    EXPECT_EQ(db->QueryText(QString::fromUtf8("select 'Łódź'")), QString::fromUtf8("Łódź"));
    EXPECT_EQ(sqliteError([&] { db->QueryInteger(QStringLiteral("select 1 where 0")); }),
              QStringLiteral("Table is at End of File"));
}

TEST_F(SqliteTest, OpeningSetsTheTwoPragmas) {
    auto db = open();
    EXPECT_EQ(db->QueryInteger(QStringLiteral("PRAGMA synchronous")), 1); // NORMAL
    EXPECT_EQ(db->QueryInteger(QStringLiteral("PRAGMA temp_store")), 2);  // MEMORY
}

TEST_F(SqliteTest, FailuresWhileReadingAndALockedDatabaseAreReported) {
    auto db = open();
    // A row that fails while it is computed, after the statement was prepared.
    EXPECT_EQ(sqliteError([&] { db->Query(QStringLiteral("select abs(-9223372036854775807 - 1)")); }),
              QStringLiteral("Could not retrieve data \"select abs(-9223372036854775807 - 1)\" : integer overflow"));

    db->Execute(QStringLiteral("create table t (a)"));
    db->Execute(QStringLiteral("insert into t values (1)"));
    auto other = open();
    other->SetBusyTimeout(0);
    db->Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    EXPECT_EQ(sqliteError([&] { other->Query(QStringLiteral("select a from t")); }),
              QStringLiteral("Could not prepare SQL statement"));
    db->Execute(QStringLiteral("COMMIT"));
    EXPECT_EQ(other->Query(QStringLiteral("select a from t"))->Count(), 1);
}
