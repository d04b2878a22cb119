#include "lists/delimited_list.h"

#include "core/cp1250.h"
#include "support/error_text.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wendolarka;
using namespace wendolarka::lists;

namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

// Rows as "line[cell|cell]", one after another: short to write by hand, exact to compare.
std::string shown(const TListTable& table) {
    QString text;
    for (const TListRow& row : table.rows)
        text += QString::number(row.sourceRow) + u'[' + row.cells.join(u'|') + u']';
    return text.toStdString();
}

QString fixturePath(const char* name) { return QStringLiteral(TEST_DATA_DIR "/lists/") + QLatin1String(name); }

QByteArray fixture(const char* name) {
    QFile file(fixturePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

TDelimitedOptions with(TListEncoding encoding, QChar delimiter = {}) { return TDelimitedOptions{encoding, delimiter}; }

TDelimitedList read(const QByteArray& bytes, TDelimitedOptions options = {}) {
    return readDelimitedList(bytes, options, QStringLiteral("lista.csv"));
}

QString error(const QByteArray& bytes, TDelimitedOptions options = {}) {
    return errorOf([&] { read(bytes, options); });
}

std::optional<TDelimitedList> readOrRefuse(const QByteArray& bytes, TDelimitedOptions options = {}) {
    try {
        return read(bytes, options);
    } catch (const EListFile&) {
        return std::nullopt;
    }
}

const char* const kFixtures[] = {"excel_cp1250.csv", "excel_utf8_bom.csv", "libreoffice_utf8_comma.csv",
                                 "excel_tabs_cp1250.csv", "iso8859_2.csv"};

} // namespace

TEST(DelimitedListFixtures, ListsAsSpreadsheetsWriteThem) {
    struct TCase {
        const char* file;
        TListEncoding encoding;
        QChar delimiter;
        const char* rows;
    };
    const TCase cases[] = {
        {"excel_cp1250.csv", TListEncoding::Windows1250, u';',
         "1[Nazwisko|Imię|Firma|Uwagi]2[Wiśniewska|Zofia|Huta \"Łabędy\" S.A.|]"
         "3[Żółkiewski|Łukasz|Kęty|alergia; orzechy]4[Gąsior|Ćwirek||]"},
        {"excel_utf8_bom.csv", TListEncoding::Utf8, u';',
         "1[Nazwisko|Imię|Adres]2[Nowak|Józef|ul. Źródlana 3\n05-800 Pruszków]"
         "4[Dąbrowska|Anna|pl. \"Trzech Krzyży\" 1]"},
        {"libreoffice_utf8_comma.csv", TListEncoding::Utf8, u',',
         "1[Nazwisko|Imię|Miasto]2[Kowalczyk|Jerzy|Bielsko-Biała, Śląsk]3[Lis|Małgorzata|Łódź]"},
        {"excel_tabs_cp1250.csv", TListEncoding::Windows1250, u'\t',
         "1[Nazwisko|Imię|Dział]2[Pawłowski|Witold|Księgowość]3[Ślusarczyk|Ewa|Dział \"B\"]"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        const TDelimitedList list = readDelimitedListFile(fixturePath(c.file), {});
        EXPECT_EQ(list.encoding, c.encoding);
        EXPECT_EQ(list.delimiter, c.delimiter);
        EXPECT_EQ(shown(list.table), c.rows);
    }
}

TEST(DelimitedListFixtures, Iso8859_2IsReadOnlyWhenAsked) {
    const QByteArray bytes = fixture("iso8859_2.csv");
    EXPECT_EQ(shown(read(bytes, with(TListEncoding::Iso8859_2)).table),
              "1[Imię|Nazwisko|Miasto]2[Zdzisław|Ścibor|Łódź]3[Jadwiga|Ślązak|Zawiercie]");
    // Its bytes cannot tell it from Windows-1250, which is what it is taken for.
    const TDelimitedList guessed = read(bytes);
    EXPECT_EQ(guessed.encoding, TListEncoding::Windows1250);
    EXPECT_EQ(guessed.table.rows[2].cells[1], cp1250::decode(QByteArray("\xA6l\xB1zak")));

    // The two code pages agree from 0xC0 up.
    QByteArray upper;
    for (int b = 0xC0; b <= 0xFF; ++b)
        upper.append(char(b));
    EXPECT_EQ(read(upper, with(TListEncoding::Iso8859_2)).table.rows[0].cells[0], cp1250::decode(upper));
}

TEST(DelimitedListQuoting, FieldsLinesAndRowNumbers) {
    const std::pair<QByteArray, const char*> cases[] = {
        {"a;1\rb;2\nc;3\r\nd;4", "1[a|1]2[b|2]3[c|3]4[d|4]"},
        {"a;b\n\n\r\n\rc;d\n", "1[a|b]5[c|d]"}, // empty lines are no persons, but count
        {"\"x\r\ny\";z\nw;\"p\rq\"\n\"\n\";1", "1[x\ny|z]3[w|p\nq]5[\n|1]"},
        {"\"a\"\"b\";\"\"\"\";\"\"", "1[a\"b|\"|]"},
        {"5\" dyskietka;ab\"c\"", "1[5\" dyskietka|ab\"c\"]"},
        {"\"Jan\" Kowalski;\"x\"\"y\"z\"", "1[Jan Kowalski|x\"yz\"]"},
        {"\"a;b\";\"c\"\n", "1[a;b|c]"},
        {";x;\n;\n", "1[|x|]2[|]"},
        {"a\n\n\r\n", "1[a]"},
        {"a;b;c\nd\ne;f\n", "1[a|b|c]2[d]3[e|f]"},
        {" a ; \"b\" \n", "1[ a | \"b\" ]"},
        {"\xEF\xBB\xBF\"a\";b", "1[a|b]"},
        {"\xEF\xBB\xBF", ""},
        {"", ""},
    };
    for (const auto& [bytes, rows] : cases)
        EXPECT_EQ(shown(read(bytes, with(TListEncoding::Auto, u';')).table), rows) << bytes.toStdString();
}

TEST(DelimitedListDetection, DelimiterFromTheFirstLines) {
    const std::pair<QByteArray, QChar> cases[] = {
        {"Imię;Nazwisko;Kwota\nJan;Nowak;1,50\nEwa;Lis;2,75\n", u';'},
        {"Jan;1,5\nEwa;2,5\n", u';'}, // a tie: Polish lists use ';'
        {"a,b,c\n\"x;y\",2,3\n", u','},
        {"a\tb, c\nd\te, f\n", u'\t'},
        {"a;b;c\nd;e\nf, g;h;i;j\n", u';'}, // ragged, yet ';' splits every line
        {"\"a\nb,c,d\";e\n\"f\";g\n", u';'},
        {"Imię,Nazwisko,PESEL\r\n", u','},
        {"5\" dysk,a,b\nx,y,z\n", u','}, // that quote opens nothing
    };
    for (const auto& [bytes, delimiter] : cases)
        EXPECT_EQ(read(bytes).delimiter, delimiter) << bytes.toStdString();

    QByteArray late;
    for (int i = 0; i < 2000; ++i)
        late += i < 200 ? "a,b\n" : "c;d;e;f\n";
    EXPECT_EQ(read(late).delimiter, u',');
    // A long line cut off by the end of the looked-at part says nothing.
    QByteArray longLines;
    for (int i = 0; i < 100; ++i)
        longLines += "x," + QByteArray(2000, 'x') + ";y;z\n";
    EXPECT_EQ(read(longLines).delimiter, u';');
    EXPECT_EQ(shown(read("a;b,c\n", with(TListEncoding::Auto, u',')).table), "1[a;b|c]");
}

TEST(DelimitedListDetection, EncodingFromTheBytes) {
    const QByteArray polish = "Imię;Łukasz\nŻaneta;Gęś\n";
    const QByteArray cp = cp1250::encode(QString::fromUtf8(polish));
    for (const auto& [bytes, encoding] :
         {std::pair{polish, TListEncoding::Utf8}, std::pair{cp, TListEncoding::Windows1250}}) {
        const TDelimitedList list = read(bytes);
        EXPECT_EQ(list.encoding, encoding);
        EXPECT_EQ(shown(list.table), "1[Imię|Łukasz]2[Żaneta|Gęś]");
    }
    EXPECT_EQ(read("Jan;Nowak\n").encoding, TListEncoding::Windows1250);
    EXPECT_EQ(read("\xEF\xBB\xBFJan;Nowak\n").encoding, TListEncoding::Utf8);
    EXPECT_EQ(read(polish, with(TListEncoding::Windows1250)).table.rows[1].cells[1],
              cp1250::decode(QByteArray("Gęś")));
    EXPECT_EQ(shown(read("\xF0\x9F\x98\x80;\xE2\x82\xAC").table), "1[😀|€]");

    // Not strict UTF-8: guessed Windows-1250, refused when UTF-8 is forced.
    const QByteArray invalid[] = {"a\x80",           "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\xC5",     "\xE2\x82;x"};
    for (const QByteArray& bytes : invalid) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        const TDelimitedList list = read(bytes);
        EXPECT_EQ(list.encoding, TListEncoding::Windows1250);
        EXPECT_EQ(list.table.rows[0].cells.join(u';'), cp1250::decode(bytes));
        EXPECT_THROW(read(bytes, with(TListEncoding::Utf8)), EListFile);
    }

    // UTF-8 with one stray byte would store names wrong in either code page: the user chooses.
    const QByteArray spoiled = "Imi\xC4\x99;Nazwisko\n\xC5\x81ucja;\xC5\x9Al\xC4\x99zak\nJan;Nowak\xA0\n";
    EXPECT_EQ(error(spoiled), utf8("Plik lista.csv, wiersz 3: lista jest zapisana w UTF-8, ale ten wiersz ma bajty, "
                                   "których w UTF-8 nie ma; popraw go albo wybierz kodowanie."));
    EXPECT_EQ(read(spoiled, with(TListEncoding::Windows1250)).table.rows.size(), 3u);
    // A Windows-1250 list whose capitals happen to make a UTF-8 pair ("ÓŁ") is still Windows-1250.
    const QByteArray capitals = cp1250::encode(utf8("KRÓŁ;Żółć\nGÓŁKA;Łódź\n"));
    EXPECT_EQ(read(capitals).encoding, TListEncoding::Windows1250);
    EXPECT_EQ(read(capitals).table.rows[1].cells[1], utf8("Łódź"));
}

TEST(DelimitedListLimits, HostileListsAreRefusedWithTheLine) {
    EXPECT_EQ(error("a;b\nc;\"open\nmore\n"),
              utf8("Plik lista.csv, wiersz 2: cudzysłów otwarty w tym wierszu nie został zamknięty."));
    EXPECT_EQ(error("Imię\n\xC5\x81ukasz\nBrz\xEA" "czyszczykiewicz\n", with(TListEncoding::Utf8)),
              utf8("Plik lista.csv, wiersz 3: tekst nie jest zapisany w UTF-8; wybierz inne kodowanie."));
    EXPECT_EQ(error(QByteArray("a;b\r\nc\0d\n", 9)),
              utf8("Plik lista.csv, wiersz 2: bajt zerowy; to nie jest plik tekstowy."));
    EXPECT_TRUE(error(QByteArray("\xFF\xFEI\0m\0", 6)).contains(u"UTF-16"));
    EXPECT_THROW(read("a\"b", with(TListEncoding::Auto, u'"')), EListFile);

    // The most columns are read; one more is refused on the line it is on.
    const QByteArray widest(kMaxListColumns - 1, ';');
    EXPECT_EQ(read("x\n" + widest).table.columnCount(), kMaxListColumns);
    EXPECT_EQ(error("x\n\"\n\"" + widest + ";"),
              utf8("Plik lista.csv, wiersz 3: za dużo kolumn (najwięcej %1).").arg(kMaxListColumns));

    // Cells: a doubled quote counts as the one character it stands for.
    const QByteArray longest(kMaxCellChars, 'x');
    const QString tooLong =
        utf8("Plik lista.csv, wiersz 2: komórka w kolumnie 2 jest za długa (najwięcej %1 znaków).").arg(kMaxCellChars);
    EXPECT_EQ(read("a;" + longest).table.rows[0].cells[1].size(), kMaxCellChars);
    EXPECT_EQ(read("a;\"\"\"" + longest.sliced(1) + "\"").table.rows[0].cells[1].size(), kMaxCellChars);
    EXPECT_EQ(error("a\nb;" + longest + "x"), tooLong);
    EXPECT_EQ(error("a\nb;\"\"\"" + longest + "\""), tooLong);
    EXPECT_EQ(error("a\nb;\"" + longest + "\"x"), tooLong);

    QByteArray many("\n");
    for (int i = 0; i <= kMaxListRows; ++i)
        many += "1\n";
    EXPECT_EQ(error(many), utf8("Plik lista.csv, wiersz %1: za dużo wierszy (najwięcej %2).")
                               .arg(kMaxListRows + 2)
                               .arg(kMaxListRows));
}

TEST(DelimitedListLimits, TooManyCellsAreRefusedOnTheLineThatPassesTheBound) {
    const auto refusedAt = [](int line) {
        return utf8("Plik lista.csv, wiersz %1: za dużo komórek w całej liście (najwięcej %2).")
            .arg(line)
            .arg(kMaxListCells);
    };
    // Empty cells cost no bytes on disk; a thousand to a line.
    const int full = int(kMaxListCells / 1000);
    const QByteArray line = QByteArray(999, ';') + '\n';
    QByteArray list;
    list.reserve(line.size() * (full + 3));
    for (int i = 0; i < full; ++i)
        list += line;
    EXPECT_EQ(error(list + line), refusedAt(full + 1));
    // Delimiters inside quotes make no cells, a line break there no row: one cell on
    // two lines, and the bound is passed only on the line after them.
    list += "\"" + QByteArray(500, ';') + "\r\n" + QByteArray(500, ';') + "\"\r\n";
    list += QByteArray(int(kMaxListCells % 1000), ';') + '\n';
    EXPECT_EQ(error(list), refusedAt(full + 3));
}

TEST(DelimitedListLimits, OversizedListsAreRefusedBeforeReading) {
    // Untouched anonymous pages cost nothing, so the size check needs no real memory.
    const std::size_t size = std::size_t(kMaxTextListBytes) + 1;
    void* pages = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    EXPECT_EQ(error(QByteArray::fromRawData(static_cast<const char*>(pages), qsizetype(size))),
              utf8("Plik lista.csv jest za duży na listę osób (najwięcej 64 MB)."));
    ::munmap(pages, size);

    QTemporaryDir dir;
    const QString sparse = dir.filePath(QStringLiteral("duza.csv"));
    QFile file(sparse);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(kMaxTextListBytes + 1));
    file.close();
    EXPECT_EQ(errorOf([&] { readDelimitedListFile(sparse, {}); }),
              utf8("Plik %1 jest za duży na listę osób (najwięcej 64 MB).").arg(sparse));
}

TEST(DelimitedListFiles, UnreadableFilesNameTheCause) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("brak.csv"));
    const QString pipe = dir.filePath(QStringLiteral("potok.csv"));
    const QString locked = dir.filePath(QStringLiteral("zamkniety.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile file(locked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("a;b\n") == 4);
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);

    std::vector<std::pair<QString, const char*>> cases = {
        {missing, "nie ma takiego pliku"},
        {dir.path(), "to jest folder, nie plik"},
        {QString(), "brak nazwy pliku"},
        {pipe, "to nie jest zwykły plik"}, // a pipe nobody writes to must not make the program wait
    };
    if (::geteuid() != 0) // root reads any file
        cases.emplace_back(locked, "brak prawa odczytu");
    for (const auto& [path, cause] : cases)
        EXPECT_EQ(errorOf([&] { readDelimitedListFile(path, {}); }),
                  utf8("Nie mogę odczytać pliku %1: %2.").arg(path, utf8(cause)));
}

TEST(DelimitedListDamage, EveryPrefixReadsAsTheBeginningOrIsRefused) {
    for (const char* name : kFixtures) {
        const QByteArray whole = fixture(name);
        const TDelimitedList full = read(whole);
        const std::string expected = shown(full.table);
        // Encoding and delimiter held: a prefix gives the first rows, the last perhaps cut short.
        for (qsizetype length = 0; length <= whole.size(); ++length) {
            (void)readOrRefuse(whole.first(length));
            const auto cut = readOrRefuse(whole.first(length), with(full.encoding, full.delimiter));
            if (cut && !cut->table.rows.empty()) {
                std::string rows = shown(cut->table);
                rows.pop_back();
                EXPECT_EQ(expected.substr(0, rows.size()), rows) << name << " cut at " << length;
            }
        }
    }
}

TEST(DelimitedListDamage, FlippedBitsReadOrAreRefused) {
    for (const char* name : kFixtures) {
        const QByteArray whole = fixture(name);
        for (qsizetype at = 0; at < whole.size(); ++at) {
            for (int bit = 0; bit < 8; ++bit) {
                QByteArray damaged = whole;
                damaged[at] = char(damaged[at] ^ (1 << bit));
                for (TListEncoding encoding : {TListEncoding::Auto, TListEncoding::Utf8}) {
                    const auto list = readOrRefuse(damaged, with(encoding));
                    if (!list)
                        continue;
                    int previous = 0;
                    for (const TListRow& row : list->table.rows) {
                        EXPECT_GT(row.sourceRow, previous) << name << " " << at << ":" << bit;
                        EXPECT_FALSE(row.cells.isEmpty());
                        previous = row.sourceRow;
                    }
                }
            }
        }
    }
}

TEST(DelimitedListSize, TenThousandPersonsWithQuotedLineBreaks) {
    QString text = utf8("Nazwisko;Imię;Firma;Adres;Uwagi\r\n");
    for (int i = 0; i < 10000; ++i)
        text += utf8("Żółkiewski%1;Łukasz;\"Huta \"\"Łabędy\"\"\";\"ul. Długa %1\n00-950 Warszawa\";\r\n")
                    .arg(i);
    const QByteArray bytes = cp1250::encode(text);
    const TDelimitedList list = read(bytes);
    ASSERT_EQ(list.table.rows.size(), 10001u);
    EXPECT_EQ(list.table.rows.back().sourceRow, 20000);
    EXPECT_EQ(list.table.rows.back().cells.join(u'|'),
              utf8("Żółkiewski9999|Łukasz|Huta \"Łabędy\"|ul. Długa 9999\n00-950 Warszawa|"));
}

TEST(DelimitedListNames, CommandLineNames) {
    for (TListEncoding encoding :
         {TListEncoding::Auto, TListEncoding::Utf8, TListEncoding::Windows1250, TListEncoding::Iso8859_2}) {
        EXPECT_EQ(parseListEncoding(listEncodingName(encoding)), encoding);
        EXPECT_EQ(parseListEncoding(listEncodingName(encoding).toUpper()), encoding);
    }
    EXPECT_EQ(parseListEncoding(QStringLiteral("latin2")), std::nullopt);
    for (QChar delimiter : {QChar(), QChar(u';'), QChar(u','), QChar(u'\t')})
        EXPECT_EQ(parseListDelimiter(listDelimiterName(delimiter)), delimiter);
    EXPECT_EQ(parseListDelimiter(QStringLiteral("TAB")), QChar(u'\t'));
    EXPECT_EQ(parseListDelimiter(QStringLiteral(";;")), std::nullopt);
}
