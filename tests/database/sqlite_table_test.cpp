#include "sqlite_test_support.h"

using namespace wendolarka;

TEST_F(SqliteTest, AResultWithoutRowsHasNothingToRead) {
    auto db = open();
    db->Execute(QStringLiteral("create table t (ID INTEGER)"));
    auto table = db->Query(QStringLiteral("select ID from t"));
    EXPECT_EQ(table->Count(), 0);
    EXPECT_EQ(table->ColumnCount(), 0);
    EXPECT_TRUE(table->AtEnd());
    EXPECT_TRUE(table->AtStart());
    EXPECT_FALSE(table->First());
    EXPECT_FALSE(table->Last());
    EXPECT_FALSE(table->Next());
    EXPECT_EQ(table->FirstFieldNumber(), 0);
    EXPECT_EQ(sqliteError([&] { table->FieldText(0); }), QStringLiteral("Table is at End of File"));
    EXPECT_EQ(sqliteError([&] { table->ColumnIndex(QStringLiteral("ID")); }),
              QStringLiteral("Field ID Not found. Empty dataset"));
}

TEST_F(SqliteTest, ColumnsAreFoundByNameInAnyLetterCase) {
    auto db = open();
    auto table = db->Query(QString::fromUtf8("select 1 as ID, 'Kowalski' as Nazwisko, 2 as Żółw"));
    EXPECT_EQ(table->ColumnName(1), QStringLiteral("NAZWISKO"));
    EXPECT_EQ(table->ColumnName(2), QString::fromUtf8("ŻÓŁW"));
    EXPECT_EQ(table->ColumnIndex(QStringLiteral("nazwisko")), 1);
    EXPECT_EQ(table->ColumnIndex(QString::fromUtf8("żółw")), 2);
    EXPECT_EQ(table->FieldTextByName(QStringLiteral("Nazwisko")), QStringLiteral("Kowalski"));
    EXPECT_EQ(sqliteError([&] { table->ColumnIndex(QStringLiteral("Imie")); }),
              QStringLiteral("Field not found in dataset: Imie"));
    EXPECT_EQ(table->FirstFieldNumber(), 1);
}

TEST_F(SqliteTest, CellsReadByTheKindOfTheirDeclaredType) {
    auto db = open();
    db->Execute(QStringLiteral("create table t (i INTEGER, r REAL, v VARCHAR(30), n INT, l bigint, "
                               "b BLOB, f BOOLEAN, d DOUBLE)"));
    db->Execute(QStringLiteral("insert into t values (NULL, 2.75, '12', 5, 6, x'', 1, -2.75)"));
    auto table = db->Query(QStringLiteral("select * from t"));

    EXPECT_TRUE(table->FieldIsNull(0));
    EXPECT_EQ(table->FieldString(0), QString());
    EXPECT_EQ(table->FieldText(0), QStringLiteral("0"));
    EXPECT_EQ(table->FieldInteger(0), 0);

    EXPECT_EQ(table->FieldInteger(1), 2);
    EXPECT_EQ(table->FieldInteger(7), -2);
    EXPECT_DOUBLE_EQ(table->FieldFloat(1), 2.75);
    EXPECT_EQ(table->FieldText(1), QStringLiteral("2,75"));
    EXPECT_EQ(table->FieldText(7), QStringLiteral("-2,75"));

    // Only exact declared type names make numbers; the rest is text.
    for (int textual : {2, 3, 4}) {
        EXPECT_EQ(sqliteError([&] { table->FieldInteger(textual); }),
                  QStringLiteral("Not an integer or numeric field"))
            << textual;
        EXPECT_EQ(sqliteError([&] { table->FieldFloat(textual); }),
                  QStringLiteral("Not an integer or numeric field"))
            << textual;
    }
    EXPECT_EQ(table->FieldText(3), QStringLiteral("5"));
    EXPECT_EQ(sqliteError([&] { table->FieldBlob(2); }), QStringLiteral("Not a Blob field"));

    // A BLOB of no bytes reads like NULL.
    EXPECT_TRUE(table->FieldIsNull(5));
    EXPECT_EQ(table->FieldBlob(5), nullptr);
    EXPECT_EQ(table->FieldBlobText(5), QString());
    EXPECT_EQ(table->FieldInteger(6), 1);
    EXPECT_EQ(sqliteError([&] { table->FieldText(8); }), QStringLiteral("Column index out of range: 8"));
}

TEST_F(SqliteTest, ExpressionColumnsTakeTheKindOfTheirFirstValue) {
    auto db = open();
    auto table = db->Query(QStringLiteral("select 1 + 1, 1.5 * 3, 'a' || 'b', NULL, x'00ff' "
                                          "union all select 'x', 'y', 3, 'z', 'w'"));
    ASSERT_EQ(table->Count(), 2);
    EXPECT_EQ(table->FieldInteger(0), 2);
    EXPECT_EQ(table->FieldText(1), QStringLiteral("4,5"));
    EXPECT_EQ(table->FieldText(2), QStringLiteral("ab"));
    EXPECT_TRUE(table->FieldIsNull(3));
    EXPECT_EQ(table->FieldBlob(4)->Size(), 2);
    ASSERT_TRUE(table->Next());
    EXPECT_EQ(table->FieldInteger(0), 0); // text in an integer column reads as the engine's 0
    EXPECT_EQ(table->FieldText(2), QStringLiteral("3"));
    EXPECT_EQ(table->FieldText(3), QStringLiteral("z")); // a NULL-kind column reads text later
}

TEST_F(SqliteTest, CursorWalksAndTheResultOutlivesItsConnection) {
    std::shared_ptr<ISQLiteTable> table;
    {
        auto db = open();
        db->Execute(QStringLiteral("create table t (x INTEGER, s VARCHAR(10))"));
        for (int i = 1; i <= 3; ++i)
            db->Execute(QStringLiteral("insert into t values (?, ?)"),
                        {std::int64_t{i}, QString::fromUtf8("wiersz ż%1").arg(i)});
        table = db->Query(QStringLiteral("select x, s from t order by x"));
    }
    EXPECT_EQ(table->RowCount(), 3);
    EXPECT_EQ(table->FieldString(1), QString::fromUtf8("wiersz ż1"));
    EXPECT_TRUE(table->Next());
    EXPECT_TRUE(table->Next());
    EXPECT_EQ(table->RowIndex(), 2);
    EXPECT_TRUE(table->Next());
    EXPECT_TRUE(table->AtEnd());
    EXPECT_FALSE(table->Next());
    EXPECT_TRUE(table->Previous());
    EXPECT_EQ(table->FieldInteger(0), 3);
    EXPECT_TRUE(table->First());
    EXPECT_TRUE(table->AtStart());
    EXPECT_FALSE(table->Previous());
    EXPECT_TRUE(table->Last());
    EXPECT_EQ(table->FieldText(0), QStringLiteral("3"));
}

TEST_F(SqliteTest, TextIsReadWholeAndNumbersMustBeNumbers) {
    auto db = open();
    // A zero byte inside is part of the text: cut there, the rest would be lost at the next save.
    auto table = db->Query(QStringLiteral("select cast(x'41420043' as text), 'abc'"));
    EXPECT_EQ(table->FieldText(0), QStringLiteral("AB") + QChar(0) + QStringLiteral("C"));
    auto words = db->Query(QStringLiteral("select 'abc'"));
    try {
        words->FirstFieldNumber();
        FAIL() << "a word is not a number";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
}

TEST_F(SqliteTest, TextsInOneBlockReadAsTheCellsDo) {
    auto db = open();
    db->Execute(QStringLiteral("create table t (i INTEGER, r REAL, v VARCHAR(30), n INT, b BLOB, d DOUBLE, s TEXT)"));
    db->Execute(QStringLiteral("insert into t values (NULL, 2.75, '12', 5, x'', NULL, cast(x'41420043' as text))"));
    db->Execute(QStringLiteral("insert into t values (-7, NULL, NULL, 'x', x'b9', 1e300, ?)"),
                {QString::fromUtf8("Łódź „cytat”")});
    db->Execute(QStringLiteral("insert into t values ('abc', 'def', '', NULL, NULL, -0.5, '')"));
    const QStringList queries = {QStringLiteral("select * from t"),
                                 QStringLiteral("select 1 + 1, 1.5 * 3, 'a' || 'b', NULL, x'00ff' "
                                                "union all select 'x', 'y', 3, 'z', 'w'"),
                                 QStringLiteral("select * from t where 0")};
    for (const QString& sql : queries) {
        auto table = db->Query(sql);
        const TTextTable texts = db->QueryTexts(sql);
        ASSERT_EQ(texts.rows, table->Count()) << sql.toStdString();
        if (texts.rows == 0)
            continue;
        ASSERT_EQ(texts.columns, table->ColumnCount());
        for (int r = 0; r < texts.rows; ++r, table->Next())
            for (int c = 0; c < texts.columns; ++c)
                EXPECT_EQ(texts.cell(r, c).toString(), table->FieldText(c))
                    << sql.toStdString() << " row " << r << " column " << c;
    }
    EXPECT_EQ(sqliteError([&] { db->QueryTexts(QStringLiteral("select * from brak")); }).left(20),
              QStringLiteral("Error executing SQL "));
}

TEST(FloatToText, GeneralFormatWithFifteenDigitsAndTheLocaleSeparator) {
    EXPECT_EQ(floatToText(0), QStringLiteral("0"));
    EXPECT_EQ(floatToText(100), QStringLiteral("100"));
    EXPECT_EQ(floatToText(-0.5), QStringLiteral("-0,5"));
    EXPECT_EQ(floatToText(1.0 / 3), QStringLiteral("0,333333333333333"));
    EXPECT_EQ(floatToText(0.00001), QStringLiteral("0,00001"));
    EXPECT_EQ(floatToText(0.0000015), QStringLiteral("1,5E-6"));
    EXPECT_EQ(floatToText(1e20), QStringLiteral("1E20"));
    EXPECT_EQ(floatToText(123456789012345678.0), QStringLiteral("1,23456789012346E17"));
    EXPECT_EQ(floatToText(999999999999999.0), QStringLiteral("999999999999999"));
}
