#include "core/cp1250.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "lists/delimited_list.h"
#include "lists/list_file.h"
#include "lists/person_export.h"
#include "lists/person_import.h"
#include "lists/photo_prefetch.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

using namespace wendolarka;
using namespace wendolarka::lists;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray jpegOf(QColor color, int width = 48, int height = 60) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encodeJpeg(image);
}

struct PersonImport : ::testing::Test {
    QTemporaryDir dir;
    QString database = dir.filePath(QStringLiteral("osoby.db"));
    std::shared_ptr<ISQLiteDatabase> db;

    PersonImport() {
        person_table::CreateDatabase(database);
        db = person_table::OpenExisting(database);
    }

    TImportSettings settingsFor(const TListTable& list) {
        TImportSettings settings;
        const TMappingGuess guess = guessMapping(list.rows.front());
        settings.mapping = guess.mapping;
        settings.firstRowIsHeader = guess.firstRowIsHeader;
        settings.listFolder = dir.path();
        return settings;
    }
    TListTable read(const QByteArray& bytes) { return readDelimitedList(bytes, {}, QStringLiteral("lista.csv")).table; }

    // Every stored person, in ID order.
    std::vector<TPersonRow> stored() {
        std::vector<TPersonRow> rows;
        const auto table = db->Query(QStringLiteral("SELECT * FROM osoby ORDER BY ID"));
        for (table->First(); !table->AtEnd(); table->Next())
            rows.push_back(person_table::ReadRow(*table));
        return rows;
    }
};

} // namespace

TEST_F(PersonImport, ListsInBothEncodingsGoInWithTheirPhotos) {
    QDir(dir.path()).mkdir(QStringLiteral("zdjecia"));
    const QByteArray red = jpegOf(Qt::red);
    writeFile(dir.filePath(QStringLiteral("zdjecia/kowalski.jpg")), red);
    // A Windows-1250 list as a Polish spreadsheet saves it, photo paths relative to the list.
    const QByteArray windows = cp1250::encode(QString::fromUtf8(
        "Imię;Nazwisko;Indeks;Stanowisko;Zdjęcie\r\n"
        "Jan;Kowalski;A1;Kierownik;zdjecia/kowalski.jpg\r\n"
        "  Zofia ;\"Wąs; \"\"Młodsza\"\"\";A2;\"Księgowa\r\nstarsza\";\r\n"
        ";;;;\r\n"));
    const TListTable list = read(windows);
    TImportSettings settings = settingsFor(list);
    ASSERT_TRUE(settings.firstRowIsHeader);
    const TImportPlan plan = planImport(list, settings, db.get());
    EXPECT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.emptyRows, 1);
    const TImportSummary summary = runImport(*db, plan, settings);
    EXPECT_EQ(summary.line(), QString::fromUtf8("Dodano 2 osoby, 1 ze zdjęciem; pominięto 1 pusty wiersz; bez zdjęcia: 1."));
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 3u); // the new database's sample person first
    EXPECT_EQ(rows[1].texts[2], QStringLiteral("Kowalski"));
    EXPECT_EQ(rows[1].picture.value_or(QByteArray()), red); // a fitting JPEG byte for byte
    // Trimmed, a quote made single, a line break a blank, empty fields a single blank.
    EXPECT_EQ(rows[2].texts[1], QStringLiteral("Zofia"));
    EXPECT_EQ(rows[2].texts[2], QString::fromUtf8("Wąs; 'Młodsza'"));
    EXPECT_EQ(rows[2].texts[9], QString::fromUtf8("Księgowa starsza"));
    EXPECT_EQ(rows[2].texts[0], QStringLiteral(" "));
    EXPECT_EQ(summary.withoutPhoto, QStringList{QString::fromUtf8("Zofia Wąs; 'Młodsza' (wiersz 3)")});
}

TEST_F(PersonImport, PhotosFromAFolderByIndeksOrNameAndTheMissingOnesNamed) {
    const QString folder = dir.filePath(QStringLiteral("foto"));
    QDir().mkpath(folder);
    const QByteArray byIndeks = jpegOf(Qt::blue), byName = jpegOf(Qt::green);
    writeFile(folder + QStringLiteral("/x-17.JPG"), byIndeks);
    writeFile(folder + QStringLiteral("/lukasz_zolw.jpg"), byName);
    writeFile(folder + QStringLiteral("/nikt.jpg"), jpegOf(Qt::gray));
    // A big PNG is stored as a JPEG of at most 1024 pixels on its long side.
    QImage big(2000, 1000, QImage::Format_ARGB32);
    big.fill(Qt::yellow);
    big.save(folder + QStringLiteral("/Nowak Anna.png"));
    const TListTable list = read(QString::fromUtf8("Imie,Nazwisko,Indeks\nAdam,Ząb,X-17\nŁukasz,Żółw,\nAnna,Nowak,\n"
                                                   "Ewa,Bez,\n").toUtf8());
    TImportSettings settings = settingsFor(list);
    settings.photoFolder = folder;
    const TImportPlan plan = planImport(list, settings, db.get());
    const TImportSummary summary = runImport(*db, plan, settings);
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].picture.value_or(QByteArray()), byIndeks);
    EXPECT_EQ(rows[2].picture.value_or(QByteArray()), byName);
    const QImage stored = decodeJpeg(rows[3].picture.value_or(QByteArray()));
    EXPECT_EQ(stored.size(), QSize(1024, 512));
    EXPECT_EQ(summary.withPhoto, 3);
    EXPECT_EQ(summary.withoutPhoto, QStringList{QStringLiteral("Ewa Bez (wiersz 5)")});
    ASSERT_EQ(summary.unmatchedPhotoFiles.size(), 1);
    EXPECT_TRUE(summary.unmatchedPhotoFiles.front().endsWith(QStringLiteral("nikt.jpg")));
    EXPECT_TRUE(summary.report().contains(QStringLiteral("nikt.jpg")));
}

TEST_F(PersonImport, APhotoThatIsMissingOrNoPictureIsAWarningNotAFailure) {
    writeFile(dir.filePath(QStringLiteral("zle.jpg")), "to nie jest obraz");
    // A path from another machine finds the photo of that name beside the list.
    const QByteArray photo = jpegOf(Qt::blue);
    writeFile(dir.filePath(QStringLiteral("ewa.jpg")), photo);
    const TListTable list = read("Nazwisko;Foto\nA;brak.jpg\nB;zle.jpg\nC;C:\\Users\\Ewa\\ewa.jpg\n");
    TImportSettings settings = settingsFor(list);
    const TImportSummary summary = runImport(*db, planImport(list, settings, db.get()), settings);
    EXPECT_EQ(summary.added, 3);
    EXPECT_EQ(summary.withPhoto, 1);
    EXPECT_EQ(stored().back().picture.value_or(QByteArray()), photo);
    ASSERT_EQ(summary.warnings.size(), 2);
    EXPECT_TRUE(summary.warnings[0].contains(QStringLiteral("brak.jpg")) && summary.warnings[0].contains(QStringLiteral("wiersz 2")));
    EXPECT_TRUE(summary.warnings[1].contains(QStringLiteral("zle.jpg")) && summary.warnings[1].contains(QStringLiteral("wiersz 3")));
}

TEST_F(PersonImport, StoredPersonsAreSkippedUpdatedOrAddedAsChosen) {
    TPersonTexts kept;
    kept.fill(QStringLiteral(" "));
    kept[1] = QStringLiteral("Jan");
    kept[2] = QStringLiteral("Kowalski");
    kept[4] = QStringLiteral("A1");
    kept[5] = QString::fromUtf8("ul. Stara 1");
    const QByteArray photo = jpegOf(Qt::red);
    const std::int64_t id = person_table::Insert(*db, kept, photo);
    const TListTable list = read("Imie;Nazwisko;Indeks;Telefon\n jan ;KOWALSKI;a1;123\nEwa;Nowa;B2;456\n");
    TImportSettings settings = settingsFor(list);
    const TImportPlan plan = planImport(list, settings, db.get());
    ASSERT_EQ(plan.duplicateCount(), 1);
    EXPECT_EQ(plan.rows[0].storedId, id);

    const QByteArray before = fileBytes(database);
    settings.duplicates = TDuplicateChoice::Skip;
    TImportSummary summary = runImport(*db, plan, settings);
    EXPECT_EQ(summary.added, 1);
    EXPECT_EQ(summary.skippedDuplicates, 1);
    EXPECT_EQ(stored().size(), 3u);

    settings.duplicates = TDuplicateChoice::Update;
    summary = runImport(*db, planImport(list, settings, db.get()), settings);
    EXPECT_EQ(summary.updated, 2); // both are stored by now
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].texts[7], QStringLiteral("123"));
    EXPECT_EQ(rows[1].texts[5], QString::fromUtf8("ul. Stara 1")); // a field the list does not give stays
    EXPECT_EQ(rows[1].picture.value_or(QByteArray()), photo);          // and so does the photo
    EXPECT_EQ(rows[1].texts[1], QStringLiteral("jan"));

    settings.duplicates = TDuplicateChoice::Add;
    summary = runImport(*db, planImport(list, settings, db.get()), settings);
    EXPECT_EQ(summary.added, 2);
    EXPECT_EQ(stored().size(), 5u);
    EXPECT_NE(fileBytes(database), before);
}

TEST_F(PersonImport, LettersWindows1250LacksAreReplacedOrTheirRowsSkipped) {
    const TListTable list = read(QString::fromUtf8("Imię;Nazwisko\nJosé;Muñoz\nÅse;Sørensen\nИван;Петров\nJan;Nowak\n").toUtf8());
    TImportSettings settings = settingsFor(list);
    settings.unencodable = TUnencodableChoice::Replace;
    TImportPlan plan = planImport(list, settings, db.get());
    EXPECT_GE(plan.unencodable.size(), 4u); // ñ, Å, ø and the Cyrillic letters, each with its row
    EXPECT_EQ(plan.unreplaceableCount(), 1);
    TImportSummary summary = runImport(*db, plan, settings);
    EXPECT_EQ(summary.added, 3);
    EXPECT_EQ(summary.skippedUnencodable, 1);
    auto rows = stored();
    EXPECT_EQ(rows[1].texts[2], QStringLiteral("Munoz"));
    EXPECT_EQ(rows[2].texts[1], QStringLiteral("Ase"));
    EXPECT_EQ(rows[2].texts[2], QStringLiteral("Sorensen"));
    EXPECT_EQ(rows[1].texts[1], QString::fromUtf8("José")); // é is a Windows-1250 letter

    settings.unencodable = TUnencodableChoice::SkipRows;
    summary = runImport(*db, planImport(list, settings, db.get()), settings);
    EXPECT_EQ(summary.skippedUnencodable, 3);
    EXPECT_EQ(summary.skippedDuplicates, 1); // Jan Nowak came in the first time
    EXPECT_EQ(summary.added, 0);
}

TEST_F(PersonImport, ACancelOrAFailureLeavesTheDatabaseByteForByte) {
    QByteArray text = "Nazwisko;Indeks\n";
    for (int i = 0; i < 50; ++i)
        text += "Osoba" + QByteArray::number(i) + ";N" + QByteArray::number(i) + "\n";
    const TListTable list = read(text);
    TImportSettings settings = settingsFor(list);
    const TImportPlan plan = planImport(list, settings, db.get());
    const QByteArray before = fileBytes(database);
    int calls = 0;
    const TImportSummary summary = runImport(*db, plan, settings, [&](int done, int total) {
        EXPECT_EQ(total, 50);
        ++calls;
        return done < 30;
    });
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(calls, 30);
    EXPECT_EQ(summary.line(), QString::fromUtf8("Przerwano; w bazie nic się nie zmieniło."));
    EXPECT_EQ(fileBytes(database), before);
    EXPECT_FALSE(db->IsInTransaction());

    // Another program holding the write lock: the import fails whole, nothing half-written.
    auto other = TSQLiteDatabase::Create(database, 0);
    other->BeginImmediateTransaction();
    db->SetBusyTimeout(50);
    try {
        runImport(*db, plan, settings);
        ADD_FAILURE() << "a locked database cannot take a list";
    } catch (const ESQLiteException& e) {
        EXPECT_TRUE(e.isBusy());
    }
    other->RollbackTransaction();
    EXPECT_EQ(fileBytes(database), before);
    EXPECT_EQ(runImport(*db, plan, settings).added, 50);
}

TEST_F(PersonImport, AnExportedListImportsBackToTheSameRows) {
    TPersonTexts odd;
    odd.fill(QStringLiteral(" "));
    odd[0] = QStringLiteral("dr");
    odd[1] = QString::fromUtf8("Łucja");
    odd[2] = QString::fromUtf8("Kos; „Ptak” 'x'");
    odd[4] = QStringLiteral("K/7");
    odd[6] = QStringLiteral("a,b");
    person_table::Insert(*db, odd, jpegOf(Qt::cyan, 40, 50));
    TPersonTexts plain = odd;
    plain[2] = QStringLiteral("Abacki");
    plain[4] = QStringLiteral(" ");
    person_table::Insert(*db, plain, QByteArray());
    const auto original = stored();

    for (const TExportEncoding encoding : {TExportEncoding::Utf8Bom, TExportEncoding::Windows1250}) {
        TExportSettings settings;
        settings.encoding = encoding;
        settings.photoFolder = dir.filePath(QStringLiteral("eksport/zdjecia"));
        const QString listFile = dir.filePath(QStringLiteral("eksport/lista.csv"));
        const TExportSummary exported = exportPersons(*db, {}, listFile, settings);
        EXPECT_EQ(exported.persons, 3);
        EXPECT_EQ(exported.photos, 1); // the sample person and Abacki have none
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("eksport/zdjecia/K_7.jpg"))));

        QTemporaryDir other;
        const QString copy = other.filePath(QStringLiteral("kopia.db"));
        person_table::CreateDatabase(copy);
        const auto target = person_table::OpenExisting(copy);
        target->Execute(QStringLiteral("DELETE FROM osoby"));
        const TListTable list = readDelimitedListFile(listFile, {}).table;
        TImportSettings importSettings;
        const TMappingGuess guess = guessMapping(list.rows.front());
        importSettings.mapping = guess.mapping;
        importSettings.listFolder = dir.filePath(QStringLiteral("eksport"));
        const TImportSummary summary = runImport(*target, planImport(list, importSettings, target.get()), importSettings);
        EXPECT_EQ(summary.added, 3);

        const auto table = target->Query(QStringLiteral("SELECT * FROM osoby ORDER BY Nazwisko"));
        const auto inOrder = db->Query(QStringLiteral("SELECT * FROM osoby ORDER BY Nazwisko"));
        for (table->First(), inOrder->First(); !inOrder->AtEnd(); table->Next(), inOrder->Next()) {
            ASSERT_FALSE(table->AtEnd());
            const auto back = person_table::ReadRow(*table);
            const auto was = person_table::ReadRow(*inOrder);
            EXPECT_EQ(back.texts, was.texts);
            EXPECT_EQ(back.picture.value_or(QByteArray()), was.picture.value_or(QByteArray()));
        }
    }
    EXPECT_EQ(stored().size(), original.size());
}

TEST(PersonImportWords, PolishCountsAndTheSummaryLine) {
    EXPECT_EQ(polishCount(1, "osobę", "osoby", "osób"), QString::fromUtf8("1 osobę"));
    EXPECT_EQ(polishCount(3, "osobę", "osoby", "osób"), QStringLiteral("3 osoby"));
    EXPECT_EQ(polishCount(12, "osobę", "osoby", "osób"), QString::fromUtf8("12 osób"));
    EXPECT_EQ(polishCount(22, "osobę", "osoby", "osób"), QStringLiteral("22 osoby"));
    EXPECT_EQ(polishCount(0, "osobę", "osoby", "osób"), QString::fromUtf8("0 osób"));
    TImportSummary summary;
    summary.added = 30;
    summary.withPhoto = 28;
    EXPECT_EQ(summary.line(), QString::fromUtf8("Dodano 30 osób, 28 ze zdjęciem."));
}

TEST_F(PersonImport, ASheetAndTheCsvFilesLibreOfficeMadeOfItImportAlike) {
    const QString data = QStringLiteral(TEST_DATA_DIR "/lists/");
    std::vector<std::vector<TImportRow>> planned;
    for (const char* name : {"two_sheets.ods", "two_sheets.xlsx", "libreoffice_export_cp1250_semicolon.csv",
                             "libreoffice_export_utf8_comma.csv"}) {
        const TListFile file = readListFile(data + QString::fromLatin1(name), {});
        TImportSettings settings = settingsFor(file.table);
        planned.push_back(planImport(file.table, settings, nullptr).rows);
    }
    ASSERT_FALSE(planned[0].empty());
    EXPECT_EQ(planned[0][0].texts[2], QString::fromUtf8("Żółkiewska"));
    for (std::size_t i = 1; i < planned.size(); ++i) {
        ASSERT_EQ(planned[i].size(), planned[0].size()) << i;
        for (std::size_t r = 0; r < planned[0].size(); ++r)
            EXPECT_EQ(planned[i][r].texts, planned[0][r].texts) << "file " << i << " row " << r;
    }
}

TEST(PhotoPrefetch, PhotosComeInOrderAndAnEarlyEndStopsTheReader) {
    std::atomic<int> loaded{0};
    {
        TPhotoPrefetch photos(1000, [&](std::size_t i) {
            ++loaded;
            TPhotoPrefetch::TPhoto photo;
            if (i % 3 == 0)
                photo.bytes = QByteArray::number(qulonglong(i));
            else
                photo.warning = QString::number(i);
            return photo;
        });
        for (std::size_t i = 0; i < 1000; ++i) {
            const TPhotoPrefetch::TPhoto photo = photos.take(i);
            if (i % 3 == 0)
                EXPECT_EQ(photo.bytes.value_or(QByteArray()), QByteArray::number(qulonglong(i)));
            else
                EXPECT_EQ(photo.warning, QString::number(i));
        }
    }
    EXPECT_EQ(loaded, 1000);
    loaded = 0;
    {
        TPhotoPrefetch photos(100000, [&](std::size_t) {
            ++loaded;
            return TPhotoPrefetch::TPhoto{};
        });
        photos.take(0);
    } // gone after one: the reader stops instead of reading everything
    EXPECT_LE(loaded, int(TPhotoPrefetch::kAhead) + 2);
}

TEST_F(PersonImport, ManyRowsSkippedBeforeThePhotosStillBringThePhotos) {
    const QString folder = dir.filePath(QStringLiteral("foto"));
    QDir().mkpath(folder);
    QByteArray text = "Imie;Nazwisko;Indeks\n";
    for (int i = 0; i < 200; ++i)
        text += "Osoba;N" + QByteArray::number(i) + ";I" + QByteArray::number(i) + "\n";
    const TListTable list = read(text);
    TImportSettings settings = settingsFor(list);
    // The first 150 are stored already and skipped; the last 50 have photos.
    TListTable first = list;
    first.rows.resize(151);
    runImport(*db, planImport(first, settings, db.get()), settings);
    for (int i = 150; i < 200; ++i)
        writeFile(folder + QStringLiteral("/I%1.jpg").arg(i), jpegOf(QColor::fromHsv(i, 200, 200)));
    settings.photoFolder = folder;
    const TImportSummary summary = runImport(*db, planImport(list, settings, db.get()), settings);
    EXPECT_EQ(summary.skippedDuplicates, 150);
    EXPECT_EQ(summary.added, 50);
    EXPECT_EQ(summary.withPhoto, 50);
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 201u);
    EXPECT_EQ(rows.back().texts[4], QStringLiteral("I199"));
    EXPECT_EQ(rows.back().picture.value_or(QByteArray()), jpegOf(QColor::fromHsv(199, 200, 200)));
}
