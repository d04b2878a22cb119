#include "batch/command_line.h"
#include "controls/label.h"
#include "core/color.h"
#include "core/component_stream.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/damaged_file.h"
#include "support/full_disk.h"
#include "support/pdf_images.h"

#include <cstdio>
#include <sys/stat.h>

using namespace wendolarka;
using namespace wendolarka::component_stream;

namespace {

struct CommandLine : ::testing::Test {
    QTemporaryDir dir;
    QString templateFile = dir.filePath(QStringLiteral("karta.wzo"));
    QString database = dir.filePath(QStringLiteral("osoby.db"));
    QString lastError;
    QString lastOutput;

    CommandLine() {
        TForm1 standard;
        write(templateFile, pass_template::writeFile(standard));
        person_table::CreateDatabase(database);
        const auto db = person_table::OpenExisting(database);
        TPersonTexts texts;
        texts[2] = QStringLiteral("Zych");
        QImage face(30, 40, QImage::Format_RGB32);
        face.fill(Qt::red);
        person_table::Insert(*db, texts, encodeJpeg(face));
    }
    void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    int run(const QStringList& arguments) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int code = runCommandLine(arguments, out, err);
        lastError = readBack(err);
        lastOutput = readBack(out);
        std::fclose(out);
        std::fclose(err);
        return code;
    }
    static QString readBack(std::FILE* stream) {
        std::rewind(stream);
        char buffer[8192] = {};
        const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, stream);
        return QString::fromUtf8(buffer, static_cast<qsizetype>(n));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST_F(CommandLine, EachBadInputIsOneLineAndItsOwnCode) {
    const auto oneLine = [&] { return lastError.startsWith(QStringLiteral("wendolarka: ")) && lastError.count(u'\n') == 1; };
    EXPECT_EQ(run({QStringLiteral("--out"), path("x.pdf")}), 2);
    EXPECT_TRUE(oneLine());
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database, QStringLiteral("--out"),
                   path("x.pdf"), QStringLiteral("--color")}),
              2);
    EXPECT_TRUE(lastError.contains(QStringLiteral("--color")));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--out"), path("x.pdf")}), 2); // no database
    EXPECT_EQ(run({QStringLiteral("--batch"), path("brak.wzo"), QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.pdf")}),
              1);
    EXPECT_TRUE(oneLine());
    write(path("zly.wzo"), "to nie wzorzec");
    EXPECT_EQ(run({QStringLiteral("--batch"), path("zly.wzo"), QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.pdf")}),
              1);
    EXPECT_TRUE(oneLine());
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), templateFile,
                   QStringLiteral("--out"), path("x.pdf")}),
              1); // not a database
    EXPECT_TRUE(oneLine());
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.pdf"), QStringLiteral("--filter"), QStringLiteral("Nikt")}),
              3);
    EXPECT_EQ(lastError, QString::fromUtf8("wendolarka: żadna osoba nie pasuje do wyboru\n"));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.pdf"), QStringLiteral("--per-page"), QStringLiteral("9x9")}),
              2); // does not fit the sheet
    EXPECT_TRUE(lastError.startsWith(QStringLiteral("wendolarka: --per-page: ")));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.pdf"), QStringLiteral("--id"), QStringLiteral("2")}),
              2); // an option of the other job
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), path("k.png"),
                   QStringLiteral("--landscape")}),
              2);
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), path("k.png"),
                   QStringLiteral("--dpi"), QStringLiteral("100000")}),
              2);
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), QStringLiteral("/nonexistent-folder/x.pdf")}),
              1);
    EXPECT_EQ(lastError, QString::fromUtf8("wendolarka: Nie mogę zapisać pliku /nonexistent-folder/x.pdf: nie ma takiego folderu.\n"));
    EXPECT_TRUE(isCommandLineRun({QStringLiteral("osoby.db")}));    // a stray word is a mistake to report
    EXPECT_FALSE(isCommandLineRun({QStringLiteral("-platform"), QStringLiteral("-style")}));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.pdf"), QStringLiteral("--per-page"), QStringLiteral("dwa")}),
              2);
    EXPECT_FALSE(QFile::exists(path("x.pdf")));
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), path("karta.gif")}), 2);
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
}

TEST_F(CommandLine, BatchAndExportWriteTheirFiles) {
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database, QStringLiteral("--out"),
                   path("wszyscy.pdf"), QStringLiteral("--landscape"), QStringLiteral("--cut-marks")}),
              0)
        << lastError.toStdString();
    QFile pdf(path("wszyscy.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");

    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--database"), database, QStringLiteral("--id"),
                   QStringLiteral("2"), QStringLiteral("--out"), path("zych.png"), QStringLiteral("--dpi"), QStringLiteral("300")}),
              0)
        << lastError.toStdString();
    const QImage sharp(path("zych.png"));
    EXPECT_EQ(sharp.size(), QSize(376 * 4, 194 * 4)); // at least 300 dpi: four dots a pixel
    EXPECT_NEAR(sharp.dotsPerMeterX() * 0.0254, 384, 1); // and the file says so: it prints at the pass's size
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), path("wzor.bmp")}), 0);
    EXPECT_EQ(QImage(path("wzor.bmp")).size(), QSize(376, 194));
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--database"), database, QStringLiteral("--id"),
                   QStringLiteral("99"), QStringLiteral("--out"), path("nikt.png")}),
              3);
    EXPECT_FALSE(QFile::exists(path("nikt.png")));
}

// Each page's size in millimetres, as pdfinfo reports it for pages 1 to `pages`, to a tenth.
QStringList pageSizes(const QString& pdf, int pages) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                              QString::number(pages), pdf});
    process.waitForFinished(30000);
    QStringList sizes;
    for (const QString& line : QString::fromLatin1(process.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QStringLiteral("Page")) && line.contains(QStringLiteral(" size:")))
        {
            const QStringList words = line.section(u':', 1).simplified().split(u' '); // "242.646 x 153.071 pts"
            sizes << QStringLiteral("%1 x %2").arg(words[0].toDouble() * 25.4 / 72, 0, 'f', 1).arg(words[2].toDouble() * 25.4 / 72, 0, 'f', 1);
        }
    return sizes;
}

// Whether most of a page rendered by poppler is yellow.
bool mostlyYellow(const QString& pdf, int page, const QString& folder) {
    const QString stem = QDir(folder).filePath(QStringLiteral("strona"));
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
                                                   QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                   QString::number(page), QStringLiteral("-singlefile"), pdf, stem});
    const QImage image(stem + QStringLiteral(".png"));
    int yellow = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            yellow += c.red() > 200 && c.green() > 200 && c.blue() < 80;
        }
    return yellow * 2 > image.width() * image.height();
}

TEST_F(CommandLine, CardsAndBacks) {
    const QStringList batch = {QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                               QStringLiteral("--out"), path("karty.pdf")};
    const auto refused = [&](const QStringList& more, int code, const char* said) {
        EXPECT_EQ(run(batch + more), code) << more.join(u' ').toStdString();
        EXPECT_TRUE(lastError.contains(QString::fromUtf8(said))) << lastError.toStdString();
    };
    refused({QStringLiteral("--card"), QStringLiteral("10x54")}, 2, "--card przyjmuje CR80 albo SZERxWYS");
    refused({QStringLiteral("--card"), QStringLiteral("--per-page"), QStringLiteral("2x4")}, 2,
            "opcja --per-page nie dotyczy --card");
    refused({QStringLiteral("--bleed")}, 2, "--bleed wymaga --card");
    refused({QStringLiteral("--duplex"), QStringLiteral("long")}, 2, "--duplex wymaga --back");
    refused({QStringLiteral("--back"), templateFile, QStringLiteral("--duplex"), QStringLiteral("bok")}, 2,
            "--duplex przyjmuje long albo short: bok");
    refused({QStringLiteral("--back"), path("brak.wzo")}, 1, "nie mogę otworzyć wzorca");
    EXPECT_FALSE(QFile::exists(path("karty.pdf")));
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), path("k.png"), QStringLiteral("--card")}), 2);

    {
        const auto db = person_table::OpenExisting(database);
        TPersonTexts texts;
        texts[2] = QStringLiteral("Adamczyk"); // three persons with the sample one and Zych
        person_table::Insert(*db, texts, QByteArray());
    }
    TForm1 back;
    back.setColor(clYellow);
    write(path("tyl.wzo"), pass_template::writeFile(back));
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--card"), QStringLiteral("CR80"), QStringLiteral("--back"), path("tyl.wzo")}), 0)
        << lastError.toStdString();
    EXPECT_EQ(lastOutput, QString::fromUtf8("Zapisano 3 karty, 3 przepustki do %1\n").arg(path("karty.pdf")));
    EXPECT_EQ(pageSizes(path("karty.pdf"), 6), QStringList(6, QStringLiteral("85.6 x 54.0")));
    EXPECT_EQ(pageSizes(path("karty.pdf"), 7).size(), 6); // and no seventh
    // Fronts and yellow backs by turns.
    for (int page = 1; page <= 6; ++page)
        EXPECT_EQ(mostlyYellow(path("karty.pdf"), page, dir.path()), page % 2 == 0) << page;

    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--back"), path("tyl.wzo"), QStringLiteral("--duplex"), QStringLiteral("short")}), 0)
        << lastError.toStdString();
    EXPECT_EQ(lastOutput, QString::fromUtf8("Zapisano 1 arkusz, 3 przepustki do %1\n").arg(path("karty.pdf")));
    EXPECT_EQ(pageSizes(path("karty.pdf"), 2), QStringList(2, QStringLiteral("210.0 x 297.0")));
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--card"), QStringLiteral("86x54"), QStringLiteral("mm")}), 0)
        << lastError.toStdString();
    EXPECT_EQ(pageSizes(path("karty.pdf"), 3), QStringList(3, QStringLiteral("86.0 x 54.0")));
}

TEST_F(CommandLine, NotPrintedGivesThePassesOfThoseWhoHaveNone) {
    std::vector<std::int64_t> ids;
    {
        const auto db = person_table::OpenExisting(database);
        for (const char* surname : {"Adamska", "Bąk", "Cichy"}) {
            TPersonTexts texts;
            texts[2] = QString::fromUtf8(surname);
            person_table::Insert(*db, texts, QByteArray());
        }
        ids = person_table::IdsInSurnameOrder(*db); // five: the sample person, Zych and these
        ASSERT_EQ(ids.size(), 5u);
    }
    const auto idList = [](std::initializer_list<std::int64_t> chosen) {
        QStringList parts;
        for (const std::int64_t id : chosen)
            parts << QString::number(id);
        return parts.join(u',');
    };
    const QStringList batch = {QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database};

    // A run that writes nothing records nothing.
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--out"), path("brak/x.pdf")}), 1);
    EXPECT_FALSE(person_table::OpenExisting(database)->HasTable(QStringLiteral("wydruki")));

    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--ids"), idList({ids[0], ids[2], ids[4]}), QStringLiteral("--out"),
                                      path("trzy.pdf")}),
              0)
        << lastError.toStdString();
    EXPECT_EQ(pdfPassCount(path("trzy.pdf")), 3u);
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--not-printed"), QStringLiteral("--out"), path("reszta.pdf")}), 0)
        << lastError.toStdString();
    EXPECT_EQ(pdfPassCount(path("reszta.pdf")), 2u);
    // Those two by name, in the text of the file.
    const QString rest = pdfText(path("reszta.pdf"));
    EXPECT_TRUE(rest.contains(QString::fromUtf8("Bąk")) && !rest.contains(QStringLiteral("Adamska"))) << rest.toStdString();
    {
        const auto db = person_table::OpenExisting(database);
        EXPECT_TRUE(print_register::NeverPrinted(*db).empty());
        const auto rows = db->Query(QStringLiteral("SELECT OsobaID, Wzorzec, Wyjscie FROM wydruki ORDER BY ID;"));
        ASSERT_EQ(rows->RowCount(), 5);
        rows->Last();
        EXPECT_EQ(rows->FieldText(1), QStringLiteral("karta.wzo"));
        EXPECT_EQ(rows->FieldText(2), QFileInfo(path("reszta.pdf")).absoluteFilePath());
    }
    // Everybody has a pass now: nobody is left, and the ID list is narrowed, not widened.
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--not-printed"), QStringLiteral("--out"), path("nikt.pdf")}), 3);
    EXPECT_FALSE(QFile::exists(path("nikt.pdf")));
    person_table::OpenExisting(database)->Execute(QStringLiteral("DELETE FROM wydruki WHERE OsobaID = ?;"), {SqlParam(ids[1])});
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--not-printed"), QStringLiteral("--ids"), idList({ids[0], ids[1]}),
                                      QStringLiteral("--out"), path("jeden.pdf")}),
              0);
    EXPECT_EQ(pdfPassCount(path("jeden.pdf")), 1u);

    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--printed-after"), QDate::currentDate().addDays(-1).toString(Qt::ISODate),
                                      QStringLiteral("--out"), path("dzis.pdf")}),
              0);
    EXPECT_EQ(pdfPassCount(path("dzis.pdf")), 5u);
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--printed-after"), QDate::currentDate().addDays(1).toString(Qt::ISODate),
                                      QStringLiteral("--out"), path("jutro.pdf")}),
              3);
    EXPECT_EQ(run(batch + QStringList{QStringLiteral("--printed-after"), QStringLiteral("10.12.2026"), QStringLiteral("--out"),
                                      path("zla.pdf")}),
              2);
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--not-printed"), QStringLiteral("--out"),
                   path("a.png")}),
              2);
}

TEST_F(CommandLine, APassesFileStaysWhenItsRecordCannotBeWritten) {
    const auto holder = TSQLiteDatabase::Create(database);
    holder->BeginImmediateTransaction(); // another desk writing, longer than the busy time-out
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database, QStringLiteral("--out"),
                   path("wszyscy.pdf")}),
              0);
    EXPECT_TRUE(lastError.contains(QString::fromUtf8("rejestrze wydruków"))) << lastError.toStdString();
    EXPECT_EQ(lastError.count(u'\n'), 1);
    holder->RollbackTransaction();
    EXPECT_EQ(pdfPassCount(path("wszyscy.pdf")), 2u);
    EXPECT_FALSE(person_table::OpenExisting(database)->HasTable(QStringLiteral("wydruki")));
}

TEST_F(CommandLine, AFailedRunNamesItsCulpritAndNeverReplacesWhatWasThere) {
    // A full disk: the old picture stays byte for byte, the run says why and exits 1.
    test::FullDisk disk;
    if (disk.mounted()) {
        const QByteArray old(500, 'o');
        disk.put(QStringLiteral("karta.png"), old);
        disk.fill();
        const QString out = disk.filePath(QStringLiteral("karta.png"));
        EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), out}), 1);
        EXPECT_EQ(lastError, QString::fromUtf8("wendolarka: Nie mogę zapisać pliku %1: brak miejsca na dysku. "
                                               "Poprzednia zawartość pliku została zachowana.\n")
                                 .arg(out));
        QFile kept(out);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), old);
    } else {
        std::fprintf(stderr, "%s\n", test::FullDisk::skipReason());
    }

    // A device stays a device, also behind a link.
    QFile::link(QStringLiteral("/dev/full"), path("pelny.png"));
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--out"), path("pelny.png")}), 1);
    EXPECT_TRUE(QFileInfo(path("pelny.png")).isSymLink());
    QFile::link(QStringLiteral("/dev/full"), path("pelny.pdf"));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("pelny.pdf")}),
              1);
    EXPECT_TRUE(lastError.contains(QString::fromUtf8("brak miejsca na dysku"))) << lastError.toStdString();
    QFile::link(QStringLiteral("/dev/null"), path("nic.pdf"));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("nic.pdf")}),
              0);
    struct stat info {};
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    // IDs are the engine's 64-bit ones.
    person_table::OpenExisting(database)->Execute(
        QStringLiteral("INSERT INTO osoby (ID, Nazwisko) VALUES (3000000000, 'Duży')"));
    EXPECT_EQ(run({QStringLiteral("--export"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--id"), QStringLiteral("3000000000"), QStringLiteral("--out"), path("duzy.png")}),
              0) << lastError.toStdString();
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--ids"), QStringLiteral("3000000000"), QStringLiteral("--out"), path("duzy.pdf")}),
              0) << lastError.toStdString();

    // A database with damaged pages is named as the culprit, not the output.
    {
        const auto db = person_table::OpenExisting(database);
        for (int i = 0; i < 300; ++i)
            person_table::Insert(*db, TPersonTexts{}, QByteArray(900, 'f'));
    }
    ASSERT_TRUE(test::damagePages(database, 3, 60));
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("lista.pdf")}),
              1);
    EXPECT_TRUE(lastError.startsWith(QString::fromUtf8("wendolarka: %1: Plik bazy danych jest uszkodzony.").arg(database)))
        << lastError.toStdString();
    EXPECT_EQ(lastError.count(u'\n'), 1);
    EXPECT_FALSE(QFile::exists(path("lista.pdf")));
}

TEST_F(CommandLine, AHostileTemplateIsRefusedAtOnce) {
    // A window no screen has with a grid of one pixel: refused before anything is drawn.
    TStreamWriter out;
    out.signature();
    out.beginComponent(QStringLiteral("TForm1"), QStringLiteral("Form1"));
    out.property(QStringLiteral("Width"), TValue::Integer(32767));
    out.property(QStringLiteral("Height"), TValue::Integer(32767));
    out.endList();
    out.beginComponent(QStringLiteral("TSizeControl"), QStringLiteral("SizeControl1"));
    out.property(QStringLiteral("GridSize"), TValue::Integer(1));
    out.endList();
    out.endList();
    out.endList();
    write(path("wielki.wzo"), component_stream::templateFile(QStringLiteral("TForm1"), out.bytes()));
    EXPECT_EQ(run({QStringLiteral("--export"), path("wielki.wzo"), QStringLiteral("--out"), path("wielki.png")}), 1);
    EXPECT_TRUE(lastError.startsWith(QStringLiteral("wendolarka: ") + path("wielki.wzo"))) << lastError.toStdString();
    EXPECT_FALSE(QFile::exists(path("wielki.png")));
}

TEST_F(CommandLine, PersonListsGoInFromAShellAndComeOutAgain) {
    const QString fresh = path("nowa.db");
    const QString list = path("lista.csv");
    // Windows-1250 with ';' and Polish titles, as a Polish spreadsheet saves it.
    write(list, QByteArray("Imi\xEA;Nazwisko;Indeks;Stanowisko\r\nJan;Kowalski;K1;Kierownik\r\n"
                           "Zofia;W\xB9s;K2;Ksi\xEAgowa\r\n"));
    EXPECT_EQ(run({QStringLiteral("--import"), list, QStringLiteral("--database"), fresh}), 0) << lastError.toStdString();
    EXPECT_EQ(lastOutput, QString::fromUtf8("Dodano 2 osoby, 0 ze zdjęciem.\n"));
    EXPECT_TRUE(lastError.isEmpty()) << lastError.toStdString();
    // The same again: both are stored, so there is nothing to import.
    EXPECT_EQ(run({QStringLiteral("--import"), list, QStringLiteral("--database"), fresh}), 3);
    EXPECT_TRUE(lastOutput.contains(QString::fromUtf8("pominięto 2 osoby już zapisane")));

    // UTF-8 with a photo column: one photo there, one missing (a warning naming it and its row).
    QImage face(48, 60, QImage::Format_RGB32);
    face.fill(Qt::darkGreen);
    write(path("ewa.jpg"), encodeJpeg(face));
    write(path("lista2.csv"), QString::fromUtf8("Imię,Nazwisko,Zdjęcie\nEwa,Łęcka,ewa.jpg\nOla,Brak,ola.jpg\n").toUtf8());
    EXPECT_EQ(run({QStringLiteral("--import"), path("lista2.csv"), QStringLiteral("--database"), fresh,
                   QStringLiteral("--duplicates"), QStringLiteral("add")}),
              0);
    EXPECT_EQ(lastOutput, QString::fromUtf8("Dodano 2 osoby, 1 ze zdjęciem; bez zdjęcia: 1.\n"));
    EXPECT_TRUE(lastError.contains(QStringLiteral("ola.jpg")) && lastError.contains(QStringLiteral("wiersz 3")))
        << lastError.toStdString();
    // Everyone gets a pass.
    EXPECT_EQ(run({QStringLiteral("--batch"), templateFile, QStringLiteral("--database"), fresh, QStringLiteral("--out"),
                   path("nowi.pdf")}),
              0)
        << lastError.toStdString();

    // Out again, and back into another new database: the same persons.
    EXPECT_EQ(run({QStringLiteral("--export-persons"), fresh, QStringLiteral("--out"), path("wynik/osoby.csv"),
                   QStringLiteral("--photos"), path("wynik/zdjecia"), QStringLiteral("--photo-names"),
                   QStringLiteral("nazwisko")}),
              0)
        << lastError.toStdString();
    EXPECT_EQ(lastOutput, QString::fromUtf8("Zapisano 5 osób, 1 zdjęcie.\n"));
    EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromUtf8("wynik/zdjecia/Łęcka_Ewa.jpg"))));
    EXPECT_EQ(run({QStringLiteral("--import"), path("wynik/osoby.csv"), QStringLiteral("--database"), path("kopia.db"),
                   QStringLiteral("--duplicates"), QStringLiteral("add")}),
              0)
        << lastError.toStdString();
    const auto a = person_table::OpenExisting(fresh);
    const auto b = person_table::OpenExisting(path("kopia.db"));
    const QString sql = QStringLiteral("SELECT Tytul,Imie,Nazwisko,Priorytet,Indeks,Adres1,Adres2,Telefon1,Telefon2,"
                                       "Usluga1,Usluga2,hex(Picture) FROM osoby ORDER BY Nazwisko, Imie");
    const auto rowsOf = [](const TTextTable& table) {
        QStringList rows;
        for (int r = 0; r < table.rows; ++r) {
            QStringList cells;
            for (int c = 0; c < table.columns; ++c)
                cells << table.cell(r, c).toString();
            rows << cells.join(u'|');
        }
        rows.sort();
        return rows;
    };
    const QStringList original = rowsOf(a->QueryTexts(sql));
    QStringList copy = rowsOf(b->QueryTexts(sql));
    // The copy's own new-database sample person is one row more; the rest is the same.
    ASSERT_EQ(copy.size(), original.size() + 1);
    EXPECT_TRUE(copy.removeOne(original.filter(QStringLiteral("Probnik")).value(0)));
    EXPECT_EQ(copy, original);
}

TEST_F(CommandLine, PersonListMistakesAreOneLineAndTheirCode) {
    write(path("lista.csv"), "Nazwisko\nNowak\n");
    write(path("tytuly.csv"), "Nazwisko;Imie\n");
    write(path("dane.csv"), "Nowak;Jan\n");
    EXPECT_EQ(run({QStringLiteral("--import"), path("lista.csv")}), 2); // no database
    EXPECT_EQ(run({QStringLiteral("--import"), path("lista.csv"), QStringLiteral("--database"), database,
                   QStringLiteral("--duplicates"), QStringLiteral("zawsze")}),
              2);
    EXPECT_TRUE(lastError.contains(QStringLiteral("skip | update | add")));
    EXPECT_EQ(run({QStringLiteral("--import"), path("lista.csv"), QStringLiteral("--database"), database,
                   QStringLiteral("--out"), path("x.csv")}),
              2);
    EXPECT_EQ(run({QStringLiteral("--import"), path("brak.csv"), QStringLiteral("--database"), database}), 1);
    EXPECT_TRUE(lastError.contains(QStringLiteral("brak.csv")));
    EXPECT_EQ(run({QStringLiteral("--import"), path("tytuly.csv"), QStringLiteral("--database"), database}), 3);
    EXPECT_EQ(run({QStringLiteral("--import"), path("dane.csv"), QStringLiteral("--database"), database}), 1);
    EXPECT_TRUE(lastError.contains(QStringLiteral("wiersz 1")));
    EXPECT_EQ(run({QStringLiteral("--import"), path("lista.csv"), QStringLiteral("--database"), database,
                   QStringLiteral("--sheet"), QStringLiteral("0")}),
              2);
    EXPECT_EQ(run({QStringLiteral("--export-persons"), path("brak.db"), QStringLiteral("--out"), path("x.csv")}), 1);
    EXPECT_FALSE(QFile::exists(path("x.csv")));
    EXPECT_EQ(run({QStringLiteral("--export-persons"), database, QStringLiteral("--out"), path("x.csv"),
                   QStringLiteral("--photo-names"), QStringLiteral("imie")}),
              2);
    EXPECT_TRUE(lastError.contains(QStringLiteral("indeks | nazwisko"))) << lastError.toStdString();
    EXPECT_EQ(run({QStringLiteral("--export-persons"), database}), 2); // no --out
    EXPECT_EQ(lastError.count(u'\n'), 1);
    // A database not there before is made only for persons that go into it.
    write(path("cyrylica.csv"), QString::fromUtf8("Imię;Nazwisko\nИван;Петров\n").toUtf8());
    EXPECT_EQ(run({QStringLiteral("--import"), path("cyrylica.csv"), QStringLiteral("--database"), path("nowa1.db")}), 3);
    EXPECT_FALSE(QFile::exists(path("nowa1.db")));
    EXPECT_EQ(run({QStringLiteral("--import"), path("cyrylica.csv"), QStringLiteral("--database"), database}), 3);
    EXPECT_TRUE(QFile::exists(database)); // one that was there stays
}

// "Dopasuj tekst" on the name: whole in its box on the screen's picture, at
// 300 dpi and as text in the PDF. Names that still do not fit are listed
// before a batch; --strict then stops it.
TEST_F(CommandLine, FittedNamesShowWholeAndStrictStopsOnTheRest) {
    TForm1 window;
    window.lblImie->setFitText(true);
    const QString fitting = path("dopasowany.wzo");
    write(fitting, pass_template::writeFile(window));
    {
        const auto db = person_table::OpenExisting(database);
        TPersonTexts texts;
        texts[1] = QStringLiteral("Agnieszka");
        texts[2] = QStringLiteral("Kowalska");
        ASSERT_EQ(person_table::Insert(*db, texts, QByteArray()), 3);
    }
    const QRect box(96, 8, 33, 13); // lblImie of the standard layout
    for (const char* dpi : {"96", "300"}) {
        ASSERT_EQ(run({QStringLiteral("--export"), fitting, QStringLiteral("--database"), database, QStringLiteral("--id"),
                       QStringLiteral("3"), QStringLiteral("--out"), path("agnieszka.png"), QStringLiteral("--dpi"),
                       QLatin1String(dpi)}),
                  0)
            << lastError.toStdString();
        const QImage pass = QImage(path("agnieszka.png")).convertToFormat(QImage::Format_RGB32);
        const int k = pass.width() / 376;
        const QRect dots(box.topLeft() * k, box.size() * k);
        const QRgb background = pass.pixel(dots.topLeft());
        // The top and bottom rows are background (descenders were cut there at
        // 300 dpi); the name takes 32.2 of the 33 pixels, so a side column may
        // hold the smoothed foot of the "A" but never a stroke cut by the box.
        int ink = 0;
        for (int y = dots.top(); y <= dots.bottom(); ++y)
            for (int x = dots.left(); x <= dots.right(); ++x) {
                if (y == dots.top() || y == dots.bottom())
                    ASSERT_EQ(pass.pixel(x, y), background) << dpi << " dpi at " << x << "," << y;
                else if (x == dots.left() || x == dots.right())
                    ASSERT_GT(qGray(pass.pixel(x, y)), 0x40) << dpi << " dpi at " << x << "," << y;
                else
                    ink += qGray(pass.pixel(x, y)) < 0x80;
            }
        EXPECT_GT(ink, 20 * k * k) << dpi;
    }
    const QStringList batch = {QStringLiteral("--batch"), fitting, QStringLiteral("--database"), database,
                               QStringLiteral("--out"), path("przepustki.pdf"), QStringLiteral("--strict")};
    ASSERT_EQ(run(batch), 0) << lastError.toStdString();
    EXPECT_TRUE(lastError.isEmpty()) << lastError.toStdString();
    EXPECT_TRUE(pdfText(path("przepustki.pdf")).contains(QStringLiteral("Agnieszka")));

    {
        const auto db = person_table::OpenExisting(database);
        TPersonTexts texts;
        texts[1] = QString::fromUtf8("Konstantynopolitańczykówna");
        texts[2] = QStringLiteral("Nowak");
        person_table::Insert(*db, texts, QByteArray());
    }
    QFile::remove(path("przepustki.pdf"));
    EXPECT_EQ(run(batch), 4);
    EXPECT_FALSE(QFile::exists(path("przepustki.pdf")));
    EXPECT_TRUE(lastError.contains(QString::fromUtf8("Konstantynopolitańczykówna Nowak (nr 4): lblImie"))) << lastError.toStdString();
    EXPECT_FALSE(lastError.contains(QStringLiteral("Agnieszka")));
    EXPECT_EQ(run(QStringList(batch.mid(0, 6))), 0); // without --strict the passes go out, the list said
    EXPECT_TRUE(lastError.contains(QStringLiteral("nr 4")));
}
