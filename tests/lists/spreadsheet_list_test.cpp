#include "lists/spreadsheet_list.h"

#include "support/error_text.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace wendolarka;
using namespace wendolarka::lists;

namespace {

constexpr int kStored = 0;
constexpr int kDeflated = 8;

QString utf8(const char* text) { return QString::fromUtf8(text); }

QStringList cells(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list.append(utf8(text));
    return list;
}

// Cells as UTF-8 strings, so a failure prints text rather than code units.
std::vector<std::string> texts(const QStringList& list) {
    std::vector<std::string> result;
    for (const QString& text : list)
        result.push_back(text.toStdString());
    return result;
}

struct TRow {
    int sourceRow;
    QStringList cells;
};

void expectRows(const TListTable& table, const std::vector<TRow>& expected) {
    ASSERT_EQ(table.rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(table.rows[i].sourceRow, expected[i].sourceRow) << "row " << i;
        EXPECT_EQ(texts(table.rows[i].cells), texts(expected[i].cells)) << "row " << i;
    }
}

QString fixturePath(const char* name) { return QStringLiteral(TEST_DATA_DIR "/lists/") + QLatin1String(name); }

QByteArray fixture(const char* name) {
    QFile file(fixturePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

using TMembers = std::vector<std::pair<QString, QByteArray>>;

QByteArray makeZip(const TMembers& members, int method = kDeflated) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    EXPECT_TRUE(zip.open(QuaZip::mdCreate));
    for (const auto& [name, data] : members) {
        QuaZipFile member(&zip);
        EXPECT_TRUE(member.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, method, method ? 1 : 0));
        member.write(data);
        member.close();
    }
    zip.close();
    return bytes;
}

// The zip of the members with `count` copies of `unit` in place of the "@@" in
// the member `name`, written in pieces: a test holds the small zip, not what it
// unpacks to.
QByteArray makeFilledZip(const TMembers& members, const QString& name, const QByteArray& unit, qint64 count) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    EXPECT_TRUE(zip.open(QuaZip::mdCreate));
    const QByteArray piece = unit.repeated(std::max<qsizetype>(1, 64 * 1024 / unit.size()));
    for (const auto& [memberName, data] : members) {
        QuaZipFile member(&zip);
        EXPECT_TRUE(member.open(QIODevice::WriteOnly, QuaZipNewInfo(memberName), nullptr, 0, kDeflated, 1));
        const qsizetype at = memberName == name ? data.indexOf("@@") : -1;
        member.write(at < 0 ? data : data.left(at));
        if (at >= 0) {
            const qint64 perPiece = piece.size() / unit.size();
            for (qint64 left = count; left > 0; left -= perPiece)
                member.write(left >= perPiece ? piece : unit.repeated(left));
            member.write(data.mid(at + 2));
        }
        member.close();
    }
    zip.close();
    return bytes;
}

const char* const kXlsxRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";

// A one-sheet workbook ("Osoby") around the given sheetData content.
TMembers xlsxMembers(const QString& sheetData, const QString& sharedStrings = {}, const QString& styles = {},
                     bool date1904 = false) {
    const QString workbook =
        QStringLiteral(R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
                       R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
                       R"(<workbookPr date1904="%1"/><sheets><sheet name="Osoby" sheetId="1" r:id="rId7"/></sheets></workbook>)")
            .arg(date1904 ? "true" : "false");
    const QString rels = QStringLiteral(
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/../worksheets/arkusz.xml"/>)"
        R"(<Relationship Id="rId8" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="teksty.xml"/>)"
        R"(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="style.xml"/>)"
        R"(</Relationships>)");
    const QString ns = QStringLiteral(R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")");
    TMembers members{{QStringLiteral("_rels/.rels"), kXlsxRels},
                     {QStringLiteral("xl/workbook.xml"), workbook.toUtf8()},
                     {QStringLiteral("xl/_rels/workbook.xml.rels"), rels.toUtf8()},
                     {QStringLiteral("xl/worksheets/arkusz.xml"),
                      QStringLiteral("<worksheet %1><sheetData>%2</sheetData></worksheet>").arg(ns, sheetData).toUtf8()}};
    if (!sharedStrings.isNull())
        members.emplace_back(QStringLiteral("xl/teksty.xml"), QStringLiteral("<sst %1>%2</sst>").arg(ns, sharedStrings).toUtf8());
    if (!styles.isNull())
        members.emplace_back(QStringLiteral("xl/style.xml"), QStringLiteral("<styleSheet %1>%2</styleSheet>").arg(ns, styles).toUtf8());
    return members;
}

TListTable readXlsx(const TMembers& members) {
    return readSpreadsheetData(makeZip(members), TSpreadsheetKind::Xlsx, 0, QStringLiteral("lista.xlsx"));
}

QByteArray odsContent(const QString& tables) {
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                          R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
                          R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" )"
                          R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">)"
                          R"(<office:automatic-styles/><office:body><office:spreadsheet>%1</office:spreadsheet></office:body>)"
                          R"(</office:document-content>)")
        .arg(tables)
        .toUtf8();
}

TMembers odsMembers(const QString& tables) {
    return {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
            {QStringLiteral("content.xml"), odsContent(tables)}};
}

TListTable readOds(const QString& tables, int sheet = 0) {
    return readSpreadsheetData(makeZip(odsMembers(tables)), TSpreadsheetKind::Ods, sheet, QStringLiteral("lista.ods"));
}

QString odsTable(const QString& rows) { return QStringLiteral(R"(<table:table table:name="Osoby">%1</table:table>)").arg(rows); }

// Reads the bytes as both kinds; anything but a table or an EListFile fails the test.
void readOrRefuse(const QByteArray& bytes) {
    for (TSpreadsheetKind kind : {TSpreadsheetKind::Xlsx, TSpreadsheetKind::Ods}) {
        try {
            (void)spreadsheetSheetNamesData(bytes, kind, QStringLiteral("lista"));
            (void)readSpreadsheetData(bytes, kind, 0, QStringLiteral("lista"));
        } catch (const EListFile& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Plik lista"))) << e.message().toStdString();
        }
    }
}

// ---------------------------------------------------------------------------

TEST(SpreadsheetListTest, ListsMadeByLibreOfficeReadAsTheyWereTyped) {
    const std::vector<TRow> persons{
        {1, cells({"Nazwisko", "Imię", "Data urodzenia", "Etat", "Numer", "Uwagi", "Dział"})},
        {2, cells({"Żółkiewska", "Łucja", "1985-03-07", "1", "1024", "", "Księgowość"})},
        {3, cells({"Gęślak", "Jaźmina", "2001-12-31", "0,5", "7", "Pierwsza linia\ndruga linia", "Magazyn"})},
        {4, cells({"Ćwikła", "Świętosław", "1970-01-01", "0,75", "12345678901", "Zażółć gęślą jaźń"})},
    };
    const std::vector<TRow> guests{
        {1, cells({"Gość", "Firma", "Wizyta"})},
        {2, cells({"Źdźbło Ńina", "Pąk i Syn", "2024-02-29"})},
        {3, cells({"Óskar Ęłk", "", "2023-11-05"})},
    };
    for (const char* name : {"two_sheets.xlsx", "two_sheets.ods"}) {
        SCOPED_TRACE(name);
        const QString path = fixturePath(name);
        EXPECT_EQ(texts(spreadsheetSheetNames(path)), texts(cells({"Osoby", "Goście"})));
        expectRows(readSpreadsheet(path), persons);
        expectRows(readSpreadsheet(path, 1), guests);
        const TSpreadsheetKind kind = *spreadsheetKindOfFileName(path);
        expectRows(readSpreadsheetData(fixture(name), kind, 1, QStringLiteral("x")), guests);

        const QString error = errorOf([&] { readSpreadsheet(path, 2); });
        EXPECT_TRUE(error.startsWith(QStringLiteral("Plik %1: ma 2 arkusze").arg(QString::fromLatin1(name)))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("nr 3"))) << error.toStdString();
        EXPECT_FALSE(errorOf([&] { readSpreadsheet(path, -1); }).isEmpty());
    }
}

TEST(SpreadsheetListTest, FileNamesAndFilesThatAreNoSpreadsheets) {
    EXPECT_TRUE(isSpreadsheetFileName(QStringLiteral("/a/Lista.XLSX")));
    EXPECT_TRUE(isSpreadsheetFileName(QStringLiteral("lista.ods")));
    EXPECT_EQ(spreadsheetKindOfFileName(QStringLiteral("lista.xlsm")), TSpreadsheetKind::Xlsx);
    EXPECT_FALSE(isSpreadsheetFileName(QStringLiteral("lista.csv")));
    EXPECT_FALSE(isSpreadsheetFileName(QStringLiteral("xlsx")));

    QTemporaryDir dir;
    EXPECT_TRUE(errorOf([&] { readSpreadsheet(dir.filePath(QStringLiteral("brak.xlsx"))); })
                    .contains(QStringLiteral("brak.xlsx: nie ma takiego pliku")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("katalog.ods")));
    EXPECT_TRUE(errorOf([&] { readSpreadsheet(dir.filePath(QStringLiteral("katalog.ods"))); })
                    .contains(QStringLiteral("nie jest zwykły plik")));
    EXPECT_TRUE(errorOf([&] { readSpreadsheet(dir.filePath(QStringLiteral("lista.csv"))); }).contains(QStringLiteral(".xlsx i .ods")));

    const QString notZip = errorOf([] {
        readSpreadsheetData("Nazwisko;Imię\nKowalski;Jan\n", TSpreadsheetKind::Xlsx, 0, QStringLiteral("lista.xlsx"));
    });
    EXPECT_TRUE(notZip.startsWith(QStringLiteral("Plik lista.xlsx: ")) && notZip.contains(QStringLiteral("ZIP")))
        << notZip.toStdString();
    QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole.append(504, '\0');
    EXPECT_TRUE(errorOf([&] { readSpreadsheetData(ole, TSpreadsheetKind::Xlsx, 0, QStringLiteral("stara.xlsx")); })
                    .contains(QStringLiteral(".xls")));

    // Each kind needs its own main part; the other kind's zip lacks it.
    EXPECT_TRUE(errorOf([] { readSpreadsheetData(fixture("two_sheets.ods"), TSpreadsheetKind::Xlsx, 0, QStringLiteral("a.xlsx")); })
                    .contains(QStringLiteral("xl/workbook.xml")));
    EXPECT_TRUE(errorOf([] { readSpreadsheetData(fixture("two_sheets.xlsx"), TSpreadsheetKind::Ods, 0, QStringLiteral("a.ods")); })
                    .contains(QStringLiteral("content.xml")));
    TMembers noSheetPart = xlsxMembers({});
    noSheetPart.pop_back();
    EXPECT_TRUE(errorOf([&] { readXlsx(noSheetPart); }).startsWith(utf8("Plik lista.xlsx, arkusz „Osoby”: brak części")));
    TMembers encrypted = odsMembers(odsTable({}));
    encrypted.emplace_back(QStringLiteral("META-INF/manifest.xml"),
                           R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)"
                           R"(<manifest:file-entry manifest:full-path="content.xml"><manifest:encryption-data/>)"
                           R"(</manifest:file-entry></manifest:manifest>)");
    EXPECT_TRUE(errorOf([&] { readSpreadsheetData(makeZip(encrypted), TSpreadsheetKind::Ods, 0, QStringLiteral("a.ods")); })
                    .contains(QStringLiteral("hasłem")));
    EXPECT_EQ(errorOf([] { readOds({}); }).toStdString(), "Plik lista.ods: nie ma w nim żadnego arkusza.");
}

TEST(SpreadsheetListTest, XlsxCellsShowWhatTheSpreadsheetShows) {
    const QString shared = utf8(
        "<si><t>Zając</t></si>"
        "<si><r><rPr><b/></rPr><t>Anna</t></r><r><t xml:space=\"preserve\"> Maria</t></r>"
        "<rPh sb=\"0\" eb=\"1\"><t>fonetyka</t></rPh></si>"
        "<si><t>wiersz_x000D_\nnowy _x005F_x0041_</t></si>");
    const QString styles = QStringLiteral(
        R"(<numFmts><numFmt numFmtId="164" formatCode="yyyy\-mm\-dd;@"/><numFmt numFmtId="165" formatCode="hh:mm"/>)"
        R"(<numFmt numFmtId="166" formatCode="[$-415]d&quot; dnia &quot;mmmm"/><numFmt numFmtId="167" formatCode="0.00&quot; h&quot;"/>)"
        R"(<numFmt numFmtId="168" formatCode="[h]:mm:ss"/></numFmts>)"
        R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/><xf numFmtId="166"/>)"
        R"(<xf numFmtId="167"/><xf numFmtId="9"/><xf numFmtId="168"/></cellXfs>)");
    const QString sheet = utf8(
        // Shared, rich and escaped strings; inline strings; formula text; booleans; errors.
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c>)"
        R"(<c r="D1" t="inlineStr"><is><r><t>Ła</t></r><r><t>dny</t></r></is></c><c r="E1" t="str"><f>A1</f><v>Zając</v></c>)"
        R"(<c r="F1" t="b"><v>1</v></c><c r="G1" t="b"><v>0</v></c><c r="H1" t="e"><v>#DZIEL/0!</v></c></row>)"
        // Numbers without float noise or exponents.
        R"(<row r="2"><c r="A2"><v>30.000000000000004</v></c><c r="B2"><v>1.0E+5</v></c><c r="C2"><v>0.30000000000000004</v></c>)"
        R"(<c r="D2"><v>-2.5</v></c><c r="E2"><v>1E+20</v></c><c r="F2"><v>123456789012345678</v></c>)"
        R"(<c r="G2"><v>0.000012</v></c><c r="H2" s="5"><v>7.25</v></c><c r="I2" s="6"><v>0.25</v></c></row>)"
        // Dates by built-in and own formats, times, a date with its time of day.
        R"(<row r="3"><c r="A3" s="1"><v>45351</v></c><c r="B3" s="2"><v>31113.75</v></c><c r="C3" s="3"><v>0.5625</v></c>)"
        R"(<c r="D3" s="4"><v>25569</v></c><c r="E3" s="1"><v>60</v></c><c r="F3" s="1"><v>59</v></c>)"
        R"(<c r="G3" s="1"><v>45350.99999999999</v></c><c r="H3" s="7"><v>1.5</v></c><c r="I3" s="99"><v>45351</v></c>)"
        R"(<c r="J3" t="d"><v>2024-02-29T08:00:00</v></c></row>)");
    expectRows(readXlsx(xlsxMembers(sheet, shared, styles)),
               {{1, cells({"Zając", "Anna Maria", "wiersz\r\nnowy _x0041_", "Ładny", "Zając", "PRAWDA", "FAŁSZ", "#DZIEL/0!"})},
                {2, cells({"30", "100000", "0,3", "-2,5", "100000000000000000000", "123456789012346000", "0,000012",
                           "7,25 h", "25%"})},
                {3, cells({"2024-02-29", "1985-03-07", "13:30", "1970-01-01", "1900-02-29", "1900-02-28", "2024-02-29",
                           "36:00:00", "45351", "2024-02-29"})}});

    // The 1904 date system counts from 1 January 1904.
    expectRows(readXlsx(xlsxMembers(R"(<row r="1"><c r="A1" s="1"><v>0</v></c><c r="B1" s="1"><v>43889</v></c></row>)", {},
                                    styles, true)),
               {{1, cells({"1904-01-01", "2024-02-29"})}});
}

TEST(SpreadsheetListTest, XlsxPositionsKeepColumnsAndRows) {
    const QString sheet = QStringLiteral(
        R"(<row r="2"><c r="B2" t="inlineStr"><is><t>b</t></is></c><c r="D2" t="inlineStr"><is><t>d</t></is></c>)"
        // Cells without values, even far to the right, are no content.
        R"(<c r="E2" t="s"/><c r="XFD2" s="1"/></row>)"
        R"(<row r="3"/><row r="4" spans="1:3"><c r="A4" s="1"/></row>)"
        // Rows and cells without numbers follow the ones before.
        R"(<row r="7"><c r="C7"><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c><c r="C8"><v>4</v></c></row>)"
        R"(<row><c r="A1048576"><v>5</v></c></row>)");
    expectRows(readXlsx(xlsxMembers(sheet)), {{2, cells({"", "b", "", "d"})},
                                              {7, cells({"", "", "1", "2"})},
                                              {8, cells({"3", "", "4"})},
                                              {1048576, cells({"5"})}});
}

TEST(SpreadsheetListTest, OdsRepeatsAndTextAsShown) {
    const QString rows = utf8(
        R"(<table:table-column table:number-columns-repeated="1024"/>)"
        R"(<table:table-header-rows><table:table-row><table:table-cell office:value-type="string"><text:p>Nazwisko</text:p></table:table-cell>)"
        R"(<table:table-cell table:number-columns-repeated="2"/><table:table-cell office:value-type="string"><text:p>Uwagi</text:p></table:table-cell>)"
        R"(<table:table-cell table:number-columns-repeated="1020"/></table:table-row></table:table-header-rows>)"
        // Text of several paragraphs, spaces, tabs, breaks and spans; comments are no text.
        R"(<table:table-row><table:table-cell office:value-type="string"><office:annotation><text:p>komentarz</text:p></office:annotation>)"
        R"(<text:p> Jan<text:s text:c="2"/>Maria   <text:span>Kowalska</text:span></text:p><text:p>a<text:tab/>b<text:line-break/>c</text:p></table:table-cell>)"
        // Numbers as displayed; dates from the value, not the display; values alone.
        R"(<table:table-cell office:value-type="float" office:value="1234.5"><text:p>1 234,50</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="date" office:date-value="1985-03-07T10:30:00"><text:p>7 marca 1985</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="percentage" office:value="0.25"/>)"
        R"(<table:table-cell office:value-type="boolean" office:boolean-value="true"/></table:table-row>)"
        // Empty rows only move the row number, however many.
        R"(<table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>)"
        // A merged cell covers the next; repeated text is repeated.
        R"(<table:table-row-group><table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>Zając</text:p></table:table-cell>)"
        R"(<table:covered-table-cell/><table:table-cell table:number-columns-repeated="2" office:value-type="string"><text:p>x</text:p></table:table-cell></table:table-row></table:table-row-group>)"
        // LibreOffice's tail: a million empty rows of a thousand empty cells.
        R"(<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>)");
    const QString second = QStringLiteral(
        R"(<table:table table:name="Drugi"><table:table-row><table:table-cell><text:p>2</text:p></table:table-cell></table:table-row></table:table>)");
    const TListTable table = readOds(odsTable(rows) + second);
    expectRows(table, {{1, cells({"Nazwisko", "", "", "Uwagi"})},
                       {2, cells({"Jan  Maria Kowalska\na\tb\nc", "1 234,50", "1985-03-07", "25%", "PRAWDA"})},
                       {6, cells({"Zając", "", "x", "x"})},
                       {7, cells({"Zając", "", "x", "x"})}});
    EXPECT_EQ(table.columnCount(), 5);
    expectRows(readOds(odsTable(rows) + second, 1), {{1, cells({"2"})}});
    EXPECT_EQ(texts(spreadsheetSheetNamesData(makeZip(odsMembers(odsTable(rows) + second)), TSpreadsheetKind::Ods, {})),
              texts(cells({"Osoby", "Drugi"})));
}

TEST(SpreadsheetListTest, CellsAtFaultAreNamed) {
    const QString shared = QStringLiteral("<si><t>a</t></si><si><t>b</t></si>");
    EXPECT_EQ(errorOf([&] { readXlsx(xlsxMembers(R"(<row r="7"><c r="C7" t="s"><v>57</v></c></row>)", shared)); }).toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”, komórka C7: odwołanie do wspólnego tekstu nr 57, a plik ma ich 2.");
    EXPECT_TRUE(errorOf([&] { readXlsx(xlsxMembers(R"(<row><c r="B1" t="s"><v>-1</v></c></row>)", shared)); })
                    .contains(utf8("komórka B1: odwołanie")));
    EXPECT_EQ(errorOf([] { readXlsx(xlsxMembers(R"(<row><c r="XFD1048576"><v>1</v></c></row>)")); }).toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”, komórka XFD1048576: lista może mieć najwyżej 1024 kolumny.");
    for (const char* reference : {"XFE1", "A0", "A99999999", "1A", "AAAA1", "A1B"})
        EXPECT_TRUE(errorOf([&] {
                        readXlsx(xlsxMembers(QStringLiteral(R"(<row><c r="%1"><v>1</v></c></row>)").arg(reference)));
                    }).contains(utf8("błędny adres komórki"))) << reference;

    const QString tooWide = QStringLiteral(
        R"(<table:table-row><table:table-cell table:number-columns-repeated="1000"/>)"
        R"(<table:table-cell table:number-columns-repeated="30"><text:p>x</text:p></table:table-cell></table:table-row>)");
    EXPECT_TRUE(errorOf([&] { readOds(odsTable(tooWide)); }).startsWith(utf8("Plik lista.ods, arkusz „Osoby”, komórka AMK1: ")));
    const QString tooLong = QStringLiteral(
        R"(<table:table-row><table:table-cell/><table:table-cell><text:p>a<text:s text:c="2000000000"/></text:p></table:table-cell></table:table-row>)");
    EXPECT_TRUE(errorOf([&] { readOds(odsTable(tooLong)); }).contains(utf8("komórka B1: tekst komórki jest dłuższy")));
    const QString tooManyRows = QStringLiteral(
        R"(<table:table-row table:number-rows-repeated="2000000"><table:table-cell><text:p>x</text:p></table:table-cell></table:table-row>)");
    EXPECT_TRUE(errorOf([&] { readOds(odsTable(tooManyRows)); }).contains(QStringLiteral("najwyżej 1000000 wierszy")));
    const QString tooManyCells = QStringLiteral(
        R"(<table:table-row table:number-rows-repeated="100000"><table:table-cell table:number-columns-repeated="1000"><text:p>x</text:p></table:table-cell></table:table-row>)");
    EXPECT_TRUE(errorOf([&] { readOds(odsTable(tooManyCells)); }).contains(QStringLiteral("komórek")));
}

TEST(SpreadsheetListTest, DamagedPartsAreRefused) {
    // Malformed XML names the part and the place in it.
    const QString xml = errorOf([] { readXlsx(xlsxMembers(R"(<row><c><v>1</v></row>)")); });
    EXPECT_TRUE(xml.startsWith(utf8("Plik lista.xlsx, arkusz „Osoby”: część xl/worksheets/arkusz.xml nie jest poprawnym XML")))
        << xml.toStdString();
    EXPECT_TRUE(errorOf([] { readOds(QStringLiteral("<table:table><table:table-row>")); }).contains(QStringLiteral("content.xml")));

    // A stored part altered inside fails its checksum instead of reading wrong text.
    QByteArray stored = makeZip(xlsxMembers(R"(<row><c t="inlineStr"><is><t>Jan</t></is></c></row>)"), kStored);
    const qsizetype at = stored.indexOf("Jan");
    ASSERT_GE(at, 0);
    stored[at + 2] = 'm';
    EXPECT_TRUE(errorOf([&] { readSpreadsheetData(stored, TSpreadsheetKind::Xlsx, 0, QStringLiteral("a.xlsx")); })
                    .contains(QStringLiteral("uszkodzony")));

    // Nesting deeper than any stack could recurse is read in a loop.
    const QString deep = QStringLiteral("<table:table-row><table:table-cell><text:p>%1x%2</text:p></table:table-cell></table:table-row>")
                             .arg(QStringLiteral("<text:span>").repeated(100000), QStringLiteral("</text:span>").repeated(100000));
    expectRows(readOds(odsTable(deep)), {{1, cells({"x"})}});
}

TEST(SpreadsheetListTest, ZipBombsStopAtTheBudget) {
    // Two parts that are each below the budget but not together, padded with
    // elements a reader skips; written in chunks so the test does not hold them.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    ASSERT_TRUE(zip.open(QuaZip::mdCreate));
    for (const auto& [name, data] : xlsxMembers(R"(<row><c t="s"><v>0</v></c></row>)", QStringLiteral("<si><t>a</t></si>"))) {
        QuaZipFile member(&zip);
        ASSERT_TRUE(member.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, kDeflated, 1));
        // MiB of padding: the sheet's lies after its data, the strings' is read through.
        const int padding = name.endsWith(QStringLiteral("arkusz.xml")) ? 250 : name.endsWith(QStringLiteral("teksty.xml")) ? 10 : 0;
        const qsizetype close = padding ? data.lastIndexOf("</") : data.size();
        member.write(data.left(close));
        const QByteArray filler = QByteArray("<x/>").repeated(256 * 1024);
        for (int i = 0; i < padding; ++i)
            member.write(filler);
        member.write(data.mid(close));
        member.close();
    }
    zip.close();
    ASSERT_LT(bytes.size(), 2 * 1024 * 1024);
    const QString error = errorOf([&] { readSpreadsheetData(bytes, TSpreadsheetKind::Xlsx, 0, QStringLiteral("bomba.xlsx")); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Plik bomba.xlsx")) && error.contains(QStringLiteral("256 MB"))) << error.toStdString();
}

const QString kSheetPart = QStringLiteral("xl/worksheets/arkusz.xml");
const QString kSharedPart = QStringLiteral("xl/teksty.xml");

QString readError(const QByteArray& zip, TSpreadsheetKind kind = TSpreadsheetKind::Xlsx) {
    return errorOf([&] { readSpreadsheetData(zip, kind, 0, kind == TSpreadsheetKind::Xlsx ? QStringLiteral("lista.xlsx") : QStringLiteral("lista.ods")); });
}

TEST(SpreadsheetListTest, OverlongTextIsRefusedWhereItIs) {
    // A megabyte in one run, or in pieces that are each short, is refused at its place.
    EXPECT_EQ(readError(makeFilledZip(xlsxMembers(R"(<row><c t="s"><v>1</v></c></row>)", QStringLiteral("<si><t>a</t></si><si><t>@@</t></si>")),
                                      kSharedPart, "x", 1 << 20))
                  .toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”: tekst nr 2 w części xl/teksty.xml jest dłuższy niż 32768 znaków.");
    EXPECT_EQ(readError(makeFilledZip(xlsxMembers({}, QStringLiteral("<si>@@</si>")), kSharedPart,
                                      "<r><t>" + QByteArray(1000, 'x') + "</t></r>", 40))
                  .toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”: tekst nr 1 w części xl/teksty.xml jest dłuższy niż 32768 znaków.");
    const std::string cellTooLong = "Plik lista.xlsx, arkusz „Osoby”, komórka B2: tekst komórki jest dłuższy niż 32768 znaków.";
    EXPECT_EQ(readError(makeFilledZip(xlsxMembers(R"(<row r="2"><c r="B2" t="inlineStr"><is><t>@@</t></is></c></row>)"),
                                      kSheetPart, "x", 1 << 20))
                  .toStdString(),
              cellTooLong);
    EXPECT_EQ(readError(makeFilledZip(xlsxMembers(R"(<row r="2"><c r="B2" t="str"><v>@@</v></c></row>)"), kSheetPart,
                                      QByteArray(1000, 'x') + "<x/>", 300))
                  .toStdString(),
              cellTooLong);
    EXPECT_EQ(readError(makeFilledZip(odsMembers(odsTable(R"(<table:table-row><table:table-cell/><table:table-cell><text:p>@@</text:p></table:table-cell></table:table-row>)")),
                                      QStringLiteral("content.xml"), "x", 1 << 20),
                        TSpreadsheetKind::Ods)
                  .toStdString(),
              "Plik lista.ods, arkusz „Osoby”, komórka B1: tekst komórki jest dłuższy niż 32768 znaków.");

    // Space between cells is named by the cell before it, or by the part before any.
    EXPECT_EQ(readError(makeFilledZip(xlsxMembers(R"(<row r="3"><c r="G3"><v>1</v></c>@@</row>)"), kSheetPart, " ", 1 << 20))
                  .toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”, komórka G3: za nią część xl/worksheets/arkusz.xml ma tekst poza komórkami "
              "dłuższy niż 32768 znaków, plik jest uszkodzony.");
    EXPECT_EQ(readError(makeFilledZip(xlsxMembers(QStringLiteral("@@")), kSheetPart, "\n", 1 << 20)).toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”: część xl/worksheets/arkusz.xml ma tekst dłuższy niż 32768 znaków, "
              "to nie może być lista osób.");
}

TEST(SpreadsheetListTest, LongestCellsInTheirWidestSpellingRead) {
    // Each character an entity or an Excel escape: several times the bytes of the text.
    const TListTable table = readSpreadsheetData(
        makeFilledZip(xlsxMembers(R"(<row><c t="inlineStr"><is><t>@@</t></is></c><c t="s"><v>0</v></c></row>)",
                                  QStringLiteral("<si><t>") + QStringLiteral("_x000D_").repeated(32768) + QStringLiteral("</t></si>")),
                      kSheetPart, "&amp;", 32768),
        TSpreadsheetKind::Xlsx, 0, QStringLiteral("lista.xlsx"));
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_TRUE(table.rows[0].cells == QStringList({QString(32768, u'&'), QString(32768, u'\r')}));
    // One character more is too many, counted as characters.
    EXPECT_TRUE(readError(makeFilledZip(xlsxMembers(R"(<row><c t="inlineStr"><is><t>@@</t></is></c></row>)"), kSheetPart,
                                        "&#x10FFFF;", 16385))
                    .contains(utf8("komórka A1: tekst komórki jest dłuższy")));
}

TEST(SpreadsheetListTest, SharedStringsAreBounded) {
    EXPECT_TRUE(readError(makeFilledZip(xlsxMembers({}, QStringLiteral("@@")), kSharedPart, "<si/>", 8 * 1024 * 1024 + 1))
                    .contains(utf8("ma ponad 8388608 różnych tekstów")));
    const QByteArray longest = "<si><t>" + QByteArray(32768, 'x') + "</t></si>";
    EXPECT_TRUE(readError(makeFilledZip(xlsxMembers({}, QStringLiteral("@@")), kSharedPart, longest, 513))
                    .contains(utf8("wspólne teksty skoroszytu mają razem ponad 16777216 znaków")));

    // Short and long strings side by side, each shown by every cell that refers to it.
    const QString longer = QStringLiteral("Zażółć gęślą jaźń ").repeated(3);
    const QString shared = QStringLiteral("<si><t>a</t></si><si><t>%1</t></si><si/><si><t>b</t></si><si><t>%1!</t></si>").arg(longer);
    QString row;
    for (int i : {4, 1, 0, 1, 3, 2, 4})
        row += QStringLiteral(R"(<c t="s"><v>%1</v></c>)").arg(i);
    expectRows(readXlsx(xlsxMembers(QStringLiteral("<row>%1</row>").arg(row), shared)),
               {{1, QStringList({longer + u'!', longer, QStringLiteral("a"), longer, QStringLiteral("b"), QString(), longer + u'!'})}});
}

TEST(SpreadsheetListTest, PartsInOtherEncodings) {
    const auto utf16 = [](const QString& text) {
        return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    TMembers members = xlsxMembers(utf8(R"(<row><c t="inlineStr"><is><t>Łódź</t></is></c></row>)"));
    ASSERT_EQ(members[3].first, kSheetPart);
    members[3].second = utf16(QString::fromUtf8(members[3].second));
    expectRows(readXlsx(members), {{1, cells({"Łódź"})}});

    // In UTF-16 "ļ" holds the byte of '<': the run is counted in characters.
    members[3].second = utf16(QStringLiteral(R"(<worksheet><sheetData><row><c t="inlineStr"><is><t>)") + QString(400000, QChar(0x013C)) +
                              QStringLiteral("</t></is></c></row></sheetData></worksheet>"));
    EXPECT_TRUE(errorOf([&] { readXlsx(members); }).contains(utf8("komórka A1: tekst komórki jest dłuższy")));

    // An encoding whose characters may hold that byte is not read at all.
    members[3].second = R"(<?xml version="1.0" encoding="ISO-2022-JP"?><worksheet><sheetData/></worksheet>)";
    EXPECT_EQ(errorOf([&] { readXlsx(members); }).toStdString(),
              "Plik lista.xlsx, arkusz „Osoby”: część xl/worksheets/arkusz.xml jest zapisana w kodowaniu ISO-2022-JP, "
              "którego nie czytam; zapisz arkusz ponownie.");
}

TEST(SpreadsheetListTest, XlsxNumbersShowTheirFormat) {
    const QStringList codes{
        R"(00\-000)", "00000", R"(#,##0.00\ "zł")", R"(0.00;\-0.00;"zero")", R"(#,##0.00_);[Red]\(#,##0.00\))",
        R"(_-* #,##0.00\ "zł"_-;\-* #,##0.00\ "zł"_-;_-* "-"??\ "zł"_-;_-@_-)", "0.0#", R"(#,##0,"k")",
        R"([$€-407]\ #,##0)", R"("Nr "@)", "# ?/?", "0.00E+00", "[>100]0", "General", R"(0;"minus")"};
    QString numFmts, xfs = QStringLiteral(R"(<xf numFmtId="0"/><xf numFmtId="1"/><xf numFmtId="2"/><xf numFmtId="3"/><xf numFmtId="4"/><xf numFmtId="49"/>)");
    for (int i = 0; i < codes.size(); ++i) {
        numFmts += QStringLiteral(R"(<numFmt numFmtId="%1" formatCode="%2"/>)").arg(164 + i).arg(codes[i].toHtmlEscaped());
        xfs += QStringLiteral(R"(<xf numFmtId="%1"/>)").arg(164 + i);
    }
    const QString styles = QStringLiteral("<numFmts>%1</numFmts><cellXfs>%2</cellXfs>").arg(numFmts, xfs);
    // Each row: a style, then the values shown by it.
    const std::vector<std::pair<int, std::vector<const char*>>> cases{
        {1, {"1.5", "-0.4", "1E+20"}},               // 0
        {2, {"1", "2.675", "-0.001", "0.125"}},      // 0.00
        {3, {"1234.5", "999", "-1234567"}},          // #,##0
        {4, {"1234567.891"}},                        // #,##0.00
        {5, {"42"}},                                 // @: a number is shown plainly
        {6, {"31123", "123", "1234567"}},            // 00\-000
        {7, {"42", "0"}},                            // 00000
        {8, {"1234567.891", "0.5"}},                 // #,##0.00 zł
        {9, {"1.5", "-1.5", "0"}},                   // three sections
        {10, {"1234.5", "-1234.5"}},                 // negative in brackets
        {11, {"1234.5", "-2", "0"}},                 // accounting
        {12, {"0.5", "1", "1.257"}},                 // 0.0#
        {13, {"1234567", "499"}},                    // in thousands
        {14, {"1000"}},                              // currency in brackets
        {16, {"1.5"}}, {17, {"12345.5"}}, {18, {"150.5"}}, {19, {"0.1"}}, // not understood, and General: plainly
        {20, {"-3"}},                                // a negative section without a sign
    };
    QString sheet;
    for (std::size_t r = 0; r < cases.size(); ++r) {
        sheet += QStringLiteral(R"(<row r="%1">)").arg(r + 1);
        for (const char* value : cases[r].second)
            sheet += QStringLiteral(R"(<c s="%1"><v>%2</v></c>)").arg(cases[r].first).arg(QLatin1String(value));
        sheet += QStringLiteral("</row>");
    }
    // Text by a text section: @ in its own format, and the accounting format's fourth.
    sheet += QStringLiteral(R"(<row r="30"><c s="15" t="inlineStr"><is><t>ab</t></is></c><c s="11" t="s"><v>0</v></c><c s="5" t="str"><v> x </v></c></row>)");
    const auto n = [&](const char* text) { return utf8(text).replace(u'~', QChar(0x00A0)); };
    const TListTable table = readXlsx(xlsxMembers(sheet, QStringLiteral("<si><t> Jan </t></si>"), styles));
    const std::vector<std::vector<QString>> expected{
        {"2", "0", "100000000000000000000"},
        {"1,00", "2,68", "0,00", "0,13"},
        {n("1~235"), "999", n("-1~234~567")},
        {n("1~234~567,89")},
        {"42"},
        {"31-123", "00-123", "1234-567"},
        {"00042", "00000"},
        {n("1~234~567,89 zł"), "0,50 zł"},
        {"1,50", "-1,50", "zero"},
        {n("1~234,50"), n("(1~234,50)")},
        {n("1~234,50 zł"), "-2,00 zł", n("-   zł")},
        {"0,5", "1,0", "1,26"},
        {n("1~235k"), "0k"},
        {n("€ 1~000")},
        {"1,5"}, {"12345,5"}, {"150,5"}, {"0,1"},
        {"minus"},
        {"Nr ab", " Jan ", " x "},
    };
    ASSERT_EQ(table.rows.size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r)
        EXPECT_EQ(texts(table.rows[r].cells), texts(QStringList(expected[r].begin(), expected[r].end()))) << "row " << r + 1;
}

TEST(SpreadsheetListTest, CutAndFlippedFilesReadOrFailCleanly) {
    for (const char* name : {"two_sheets.xlsx", "two_sheets.ods"}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = fixture(name);
        for (qsizetype length = 0; length < bytes.size(); length += 7)
            readOrRefuse(bytes.left(length));
        QRandomGenerator random(20240229);
        for (int i = 0; i < 1500; ++i) {
            QByteArray flipped = bytes;
            flipped[random.bounded(int(bytes.size()))] ^= char(1 << random.bounded(8));
            readOrRefuse(flipped);
        }
    }
    // Parts that are present but hostile inside a valid zip.
    for (const QString& sheet : {QStringLiteral(R"(<row r="-5"><c><v>1</v></c></row>)"),
                                 QStringLiteral(R"(<row><c r=""><v>1E999</v></c><c t="s"><v>x</v></c></row>)"),
                                 QStringLiteral(R"(<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><row><c t="str"><v>&b;&b;&b;&b;</v></c></row>)")})
        readOrRefuse(makeZip(xlsxMembers(sheet, {}, QStringLiteral(R"(<cellXfs><xf numFmtId="-3"/></cellXfs>)"))));
}

} // namespace
