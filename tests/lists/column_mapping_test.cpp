#include "lists/column_mapping.h"

#include "core/cp1250.h"

#include <gtest/gtest.h>

// Failures show the text, not its bytes.
static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

using namespace wendolarka;
using namespace wendolarka::lists;
using T = TColumnTarget;

namespace {

TListRow row(QStringList cells, int sourceRow = 1) { return {sourceRow, std::move(cells)}; }

QString ucs4(char32_t c) { return QString::fromUcs4(&c, 1); }

} // namespace

TEST(ColumnMapping, HeadersAreKnownInPolishAndEnglishWhateverTheirSpelling) {
    const std::vector<std::pair<const char*, T>> known = {
        {"Tytuł", T::Tytul},          {"TITLE", T::Tytul},         {"Imię", T::Imie},
        {"imie", T::Imie},            {"First name", T::Imie},     {"given_name", T::Imie},
        {"Fore-name", T::Imie},       {"NAZWISKO", T::Nazwisko},   {"Last name", T::Nazwisko},
        {"Family name", T::Nazwisko}, {"Priority", T::Priorytet},  {"Nr ewidencyjny", T::Indeks},
        {"Employee ID", T::Indeks},   {"Nr.", T::Indeks},          {"Adres 1", T::Adres1},
        {"Ulica:", T::Adres1},        {"Address 2", T::Adres2},    {"Miasto", T::Adres2},
        {"Tel.", T::Telefon1},        {"Phone 1", T::Telefon1},    {"Komórka", T::Telefon2},
        {"Mobile", T::Telefon2},      {"Usługa", T::Usluga1},      {"Job title", T::Usluga1},
        {"Dział", T::Usluga1},        {"Usługa 2", T::Usluga2},    {"Service 2", T::Usluga2},
        {"  Zdjęcie ", T::Photo},     {"FOTO", T::Photo},          {"Plik", T::Photo},
        {"Usluga1", T::Usluga1},      {"Telefon2", T::Telefon2}, // the table's own column names
    };
    for (const auto& [title, target] : known)
        EXPECT_EQ(recognizeHeader(QString::fromUtf8(title)), target) << title;
    for (const char* other : {"", " ", "Jan", "Kowalski", "Name", "E-mail", "Uwagi", "Title page", "Adres 3"})
        EXPECT_EQ(recognizeHeader(QString::fromUtf8(other)), std::nullopt) << other;
}

TEST(ColumnMapping, AHeaderMapsEachFieldToTheFirstColumnNamingIt) {
    const TMappingGuess guess =
        guessMapping(row({"Lp.", "Surname", "Imię", "Nazwisko", "Zdjęcie", "Photo", "Stanowisko"}));
    EXPECT_TRUE(guess.firstRowIsHeader);
    EXPECT_EQ(guess.namedColumns, 6);
    const std::vector<T> expected = {T::Skip, T::Nazwisko, T::Imie, T::Skip, T::Photo, T::Skip, T::Usluga1};
    for (int c = 0; c < int(expected.size()); ++c)
        EXPECT_EQ(guess.mapping.target(c), expected[std::size_t(c)]) << c;
    EXPECT_EQ(guess.mapping.target(7), T::Skip); // past the header
    EXPECT_EQ(guess.mapping.columnOf(T::Nazwisko), 1);
    EXPECT_EQ(guess.mapping.columnOf(T::Tytul), std::nullopt);
}

TEST(ColumnMapping, APairsPlainNameTwiceFillsBothFieldsUnlessTheSecondIsNamed) {
    EXPECT_EQ(guessMapping(row({"Telefon", "Phone"})).mapping.columnOf(T::Telefon2), 1);
    EXPECT_EQ(guessMapping(row({"Stanowisko", "Dział"})).mapping.columnOf(T::Usluga2), 1);
    const TColumnMapping named = guessMapping(row({"Telefon", "Telefon", "Komórka"})).mapping;
    EXPECT_EQ(named.target(1), T::Skip);
    EXPECT_EQ(named.columnOf(T::Telefon2), 2);
    // A street is not a plain address: two of them are one too many.
    EXPECT_EQ(guessMapping(row({"Ulica", "Ulica"})).mapping.target(1), T::Skip);
}

TEST(ColumnMapping, AFirstRowOfDataMapsNothingAndOneKnownTitleMakesAHeader) {
    const TMappingGuess data = guessMapping(row({"Jan", "Kowalski", "Dyrektor", "jan.jpg"}));
    EXPECT_FALSE(data.firstRowIsHeader);
    EXPECT_FALSE(data.mapping.mapsAnything());
    EXPECT_EQ(data.mapping.columnCount(), 4);
    const TMappingGuess one = guessMapping(row({"Nazwisko", "kolumna B"}));
    EXPECT_TRUE(one.firstRowIsHeader);
    EXPECT_EQ(one.namedColumns, 1);
}

TEST(ColumnMapping, AssigningATargetTakesItFromTheColumnThatHadIt) {
    TColumnMapping mapping(2);
    mapping.assign(0, T::Indeks);
    mapping.assign(4, T::Indeks); // beyond the columns: the mapping grows
    EXPECT_EQ(mapping.columnCount(), 5);
    EXPECT_EQ(mapping.target(0), T::Skip);
    EXPECT_EQ(mapping.columnOf(T::Indeks), 4);
    mapping.assign(4, T::Skip);
    EXPECT_FALSE(mapping.mapsAnything());

    const TColumnMapping positional = positionalMapping(14);
    EXPECT_EQ(positional.target(0), T::Tytul);
    EXPECT_EQ(positional.target(10), T::Usluga2);
    EXPECT_EQ(positional.target(11), T::Photo);
    EXPECT_EQ(positional.target(12), T::Skip);
}

TEST(ColumnMapping, CellsAreStoredAsTheEditingWindowWouldStoreThem) {
    const QString cell = QStringLiteral("  \uFEFFUl. \"Dłu\u200Bga\"\r\n\r\n5\tm.") + QChar(0) + QChar(0x7F) +
                         QChar(0x90) + QStringLiteral("2\u00AD  ");
    EXPECT_EQ(storedCellText(cell), QStringLiteral("Ul. 'Długa' 5 m.2"));
    EXPECT_EQ(storedCellText(QStringLiteral("a\nb\u2028c")), QStringLiteral("a b c"));
    EXPECT_EQ(storedCellText(QStringLiteral("Zo\u0301fia")), QStringLiteral("Zófia")); // composed, encodable
    for (const QString& empty : {QString(), QStringLiteral("   "), QStringLiteral("\r\n"), QStringLiteral("\uFEFF")})
        EXPECT_EQ(storedCellText(empty), QStringLiteral(" "));
}

TEST(ColumnMapping, ARowBecomesElevenTextsAndItsPhotoCell) {
    TColumnMapping mapping(5);
    mapping.assign(0, T::Nazwisko);
    mapping.assign(1, T::Imie);
    mapping.assign(2, T::Photo);
    mapping.assign(4, T::Indeks); // the row is shorter than the list
    const TListRow shortRow = row({" Sørensen ", "„Jan‟", "  zdjecia/jan.jpg "});

    const TPersonTexts kept = storedTextsOf(shortRow, mapping);
    EXPECT_EQ(kept[2], QStringLiteral("Sørensen"));
    EXPECT_EQ(kept[1], QStringLiteral("„Jan‟")); // the window refuses it later, by unencodableIn
    for (std::size_t field : {0, 3, 4, 5, 10})
        EXPECT_EQ(kept[field], QStringLiteral(" ")) << field;

    const TPersonTexts near = storedTextsOf(shortRow, mapping, TUnencodablePolicy::Nearest);
    EXPECT_EQ(near[2], QStringLiteral("Sorensen"));
    EXPECT_EQ(near[1], QStringLiteral("„Jan'")); // the replacing double quote became a single one
    EXPECT_EQ(photoCellOf(shortRow, mapping), QStringLiteral("zdjecia/jan.jpg"));
    EXPECT_EQ(photoCellOf(row({"a"}), mapping), QString());
}

TEST(ColumnMapping, NearestLettersFollowAFixedTable) {
    const std::vector<std::pair<char32_t, const char*>> table = {
        {U'ñ', "n"},  {U'ø', "o"},  {U'Ø', "O"},  {U'å', "a"},  {U'Å', "A"},  {U'æ', "ae"}, {U'Æ', "AE"},
        {U'œ', "oe"}, {U'ğ', "g"},  {U'ı', "i"},  {U'İ', "I"},  {U'ā', "a"},  {U'ē', "e"},  {U'ī', "i"},
        {U'ū', "u"},  {U'ģ', "g"},  {U'ķ', "k"},  {U'ļ', "l"},  {U'ņ', "n"},  {U'ŗ', "r"},  {U'ė', "e"},
        {U'į', "i"},  {U'ų', "u"},  {U'ș', "ş"},  {U'Ț', "Ţ"},  {U'à', "a"},  {U'ê', "e"},  {U'õ', "o"},
        {U'ǘ', "ü"},  {U'ố', "ô"},  {U'ǿ', "o"},  {U'ǽ', "ae"}, {U'þ', "th"}, {U'ẞ', "SS"}, {U'ĳ', "ij"},
        {U'ǆ', "dž"}, {U'ﬁ', "fi"}, {U'½', "1/2"}, {0x2011, "-"}, {0x201F, "\""}, {0x2009, " "},
        {0x0301, ""}, // a mark without its letter
    };
    for (const auto& [character, replacement] : table)
        EXPECT_EQ(nearestEncodable(character), QString::fromUtf8(replacement)) << int(character);
    // What the code page holds is left alone, and some letters have nothing near.
    for (char32_t c : {U'ł', U'ß', U'ş', U'ţ', U'đ', U'ä', U'ő', U'„', U'”', U'–', U'—', U'…', U'Ж', U'α', U'中',
                       char32_t(0x1F600)})
        EXPECT_EQ(nearestEncodable(c), std::nullopt) << int(c);
    EXPECT_EQ(withNearestEncodable(QStringLiteral("Ærøskøbing 😀 Ğ")), QStringLiteral("AEroskobing 😀 G"));
}

TEST(ColumnMapping, EveryNearestTextIsEncodableAndEveryEuropeanLetterHasOne) {
    for (char32_t c = 0xA0; c < 0x2100; ++c) {
        const std::optional<QString> near = nearestEncodable(c);
        if (near) {
            EXPECT_EQ(cp1250::firstUnencodable(*near), std::nullopt) << int(c);
        }
        const QChar::Category category = QChar::category(c);
        const bool letter = category == QChar::Letter_Uppercase || category == QChar::Letter_Lowercase;
        if (letter && c >= 0xC0 && c < 0x180) {
            EXPECT_TRUE(near || cp1250::canEncode(QChar(char16_t(c)))) << int(c);
        }
    }
}

TEST(ColumnMapping, UnencodableCharactersAreFoundPerFieldWithTheirPlace) {
    TColumnMapping mapping(4);
    mapping.assign(0, T::Nazwisko);
    mapping.assign(1, T::Imie);
    mapping.assign(2, T::Photo);
    mapping.assign(3, T::Usluga1);
    const TListRow sample = row({"Ж-Жø", "Søren Ørsted-ø", "Škoda/Ærø.jpg", "ok 😀 😀"}, 17);
    const std::vector<TUnencodableChar> found = unencodableIn(sample, mapping);
    ASSERT_EQ(found.size(), 5u);
    // Fields in table order: Imie before Nazwisko; each character once per field.
    EXPECT_EQ(found[0].target, T::Imie);
    EXPECT_EQ(found[0].column, 1);
    EXPECT_EQ(found[0].sourceRow, 17);
    EXPECT_EQ(ucs4(found[0].character), QStringLiteral("ø"));
    EXPECT_EQ(found[0].replacement, QStringLiteral("o"));
    EXPECT_EQ(ucs4(found[1].character), QStringLiteral("Ø"));
    EXPECT_EQ(found[2].target, T::Nazwisko);
    EXPECT_EQ(ucs4(found[2].character), QStringLiteral("Ж"));
    EXPECT_EQ(found[2].replacement, std::nullopt);
    EXPECT_EQ(ucs4(found[3].character), QStringLiteral("ø"));
    EXPECT_EQ(found[4].target, T::Usluga1);
    EXPECT_EQ(found[4].character, char32_t(0x1F600));
    EXPECT_TRUE(unencodableIn(row({"Zażółć", "Gęślą"}), mapping).empty());
}
