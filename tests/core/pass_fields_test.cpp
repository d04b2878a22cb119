#include "core/pass_fields.h"

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

TPersonTexts kowalska() {
    TPersonTexts texts;
    texts.fill(QStringLiteral(" "));
    texts[1] = QStringLiteral("Agnieszka");
    texts[2] = QString::fromUtf8("Wiśniewska");
    texts[4] = QStringLiteral("K-0042");
    return texts;
}

} // namespace

TEST(PassFields, FieldsAreFilledInByNameWhateverTheirCaseDiacriticsOrBlanks) {
    TRunFields run;
    run.printedOn = QDate(2026, 12, 10);
    run.validUntil = QDate(2027, 3, 31);
    const TComposedText composed = composeText(QString::fromUtf8("{Imię} {NAZWISKO}, {indeks}; ważna do: {Wazna Do}, {data}"),
                                               kowalska(), run, 0);
    EXPECT_EQ(composed.text, QString::fromUtf8("Agnieszka Wiśniewska, K-0042; ważna do: 2027-03-31, 2026-12-10"));
    EXPECT_TRUE(composed.unknown.isEmpty());
    EXPECT_TRUE(composed.unset.isEmpty());
    // An empty field (the single blank a cleared one holds) is nothing, not a blank.
    EXPECT_EQ(composeText(QStringLiteral("[{Tytul}]"), kowalska(), run, 0).text, QStringLiteral("[]"));
}

TEST(PassFields, UnknownNamesAndMissingRunFieldsStayAsWrittenAndAreNamed) {
    const TComposedText composed =
        composeText(QStringLiteral("{Stanowisko} {WaznaDo} {{Imie}} {niedomknięte"), kowalska(), TRunFields{}, 0);
    EXPECT_EQ(composed.text, QString::fromUtf8("{Stanowisko} {WaznaDo} {Imie} {niedomknięte"));
    EXPECT_EQ(composed.unknown, QStringList{QStringLiteral("Stanowisko")});
    EXPECT_EQ(composed.unset, QStringList{QStringLiteral("WaznaDo")});
}

TEST(PassFields, PassNumbersCountFromTheStartWithItsDigits) {
    const std::optional<TRunFields> run = withNumberFrom({}, QStringLiteral("0098"));
    ASSERT_TRUE(run);
    EXPECT_EQ(composeText(QStringLiteral("Nr {NrPrzepustki}"), kowalska(), *run, 0).text, QStringLiteral("Nr 0098"));
    EXPECT_EQ(composeText(QStringLiteral("Nr {NrPrzepustki}"), kowalska(), *run, 3).text, QStringLiteral("Nr 0101"));
    // More digits than asked for are kept, never cut.
    EXPECT_EQ(composeText(QStringLiteral("{NrPrzepustki}"), kowalska(), *run, 9902).text, QStringLiteral("10000"));
    EXPECT_FALSE(withNumberFrom({}, QStringLiteral("12a")));
    EXPECT_FALSE(withNumberFrom({}, QStringLiteral("-5")));
    EXPECT_FALSE(withNumberFrom({}, QStringLiteral("1234567890123456789")));
}
