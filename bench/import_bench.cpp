// Imports a CSV list of 10 000 persons with 5 KB photos into a new person
// database the way `wendolarka --import` does (read the list, guess the mapping,
// plan, write): with the photos named in a column, matched from a folder by
// Indeks, and without photos. The anchor, in the same run, is the sqlite3
// shell's .import of the same rows without photos into a table of the same text
// columns; the shell also storing each photo through readfile() is shown beside.
//   import_bench [rows] [runs]
#include "core/image_codecs.h"
#include "core/photo_storage.h"
#include "database/person_table.h"
#include "database/sqlite_database.h"
#include "lists/column_mapping.h"
#include "lists/list_file.h"
#include "lists/person_import.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench_support.h"

using namespace wendolarka;
using namespace wendolarka::lists;

namespace {

const char* const kHeader = "Tytuł;Imię;Nazwisko;Priorytet;Indeks;Adres 1;Adres 2;Telefon 1;Telefon 2;Usługa 1;Usługa 2";

QString indeksOf(int i) { return QStringLiteral("IDX-%1").arg(i); }

// A face-sized JPEG of about 5 KB: a gradient with noise, its strength found so
// the size lands near the target whatever the encoder's version does with it.
QByteArray photoOfAbout(qsizetype bytes) {
    QByteArray best;
    for (int noise = 4; noise <= 128; noise += 2) {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> jitter(-noise / 2, noise / 2);
        QImage face(120, 150, QImage::Format_RGB32);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                const auto channel = [&](int base) { return std::clamp(base + jitter(random), 0, 255); };
                face.setPixel(x, y, qRgb(channel(80 + x), channel(60 + y), channel(140 - x / 2)));
            }
        best = encodeJpeg(face, 85);
        if (best.size() >= bytes)
            break;
    }
    return best;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// The list as a spreadsheet saves it: UTF-8, ";" between fields, Polish letters.
QByteArray listOf(int rows, const QString& photoColumnFolder) {
    const bool photos = !photoColumnFolder.isEmpty();
    QByteArray text = kHeader;
    text += photos ? QByteArray(";Zdjęcie\r\n") : QByteArray("\r\n");
    for (int i = 0; i < rows; ++i) {
        const QString n = QString::number(i);
        QStringList cells = {QString::fromUtf8("mgr inż."),
                             QStringLiteral("Zofia ") + n,
                             QString::fromUtf8("Wąsowska-") + QString::number((i * 7919) % rows),
                             QStringLiteral("VIP"),
                             indeksOf(i),
                             QString::fromUtf8("ul. Długa ") + n,
                             QString::fromUtf8("00-950 Łódź"),
                             QStringLiteral("+48 22 555 ") + n,
                             QStringLiteral("+48 601 000 ") + n,
                             QString::fromUtf8("Usługa pierwsza ") + n,
                             QString::fromUtf8("Usługa druga ") + n};
        if (photos)
            cells << photoColumnFolder + u'/' + indeksOf(i) + QStringLiteral(".jpg");
        text += cells.join(u';').toUtf8() + "\r\n";
    }
    return text;
}

struct Split {
    double create = 0, read = 0, plan = 0, write = 0;
    double total() const { return create + read + plan + write; }
};

struct Outcome {
    Split split;
    QString summary;
    std::int64_t stored = 0, withPhoto = 0;
};

double since(QElapsedTimer& timer) {
    const double ms = timer.nsecsElapsed() / 1e6;
    timer.restart();
    return ms;
}

// One import as the command line runs it, into a database that is not there yet.
Outcome importOnce(const QString& list, const QString& database, const QString& photoFolder) {
    Outcome outcome;
    QFile::remove(database);
    QElapsedTimer timer;
    timer.start();
    person_table::CreateDatabase(database);
    const std::shared_ptr<ISQLiteDatabase> db = person_table::OpenExisting(database);
    outcome.split.create = since(timer);

    const TListFile read = readListFile(list, {});
    const TMappingGuess guess = guessMapping(read.table.rows.front());
    TImportSettings settings;
    settings.mapping = guess.mapping;
    settings.firstRowIsHeader = guess.firstRowIsHeader;
    settings.listFolder = QFileInfo(list).absolutePath();
    settings.photoFolder = photoFolder;
    outcome.split.read = since(timer);

    const TImportPlan plan = planImport(read.table, settings, db.get());
    outcome.split.plan = since(timer);

    const TImportSummary summary = runImport(*db, plan, settings);
    outcome.split.write = since(timer);

    outcome.summary = summary.line();
    outcome.stored = db->QueryInteger(QStringLiteral("SELECT COUNT(*) FROM osoby"));
    outcome.withPhoto = db->QueryInteger(QStringLiteral("SELECT COUNT(*) FROM osoby WHERE length(Picture) > 0"));
    return outcome;
}

Outcome bestImport(int runs, const QString& list, const QString& database, const QString& photoFolder) {
    Outcome best;
    for (int r = 0; r < runs; ++r) {
        Outcome outcome = importOnce(list, database, photoFolder);
        if (r == 0 || outcome.split.total() < best.split.total())
            best = outcome;
    }
    return best;
}

const char* const kShellColumns =
    "Tytul VARCHAR(30), Imie VARCHAR(30), Nazwisko VARCHAR(30), Priorytet VARCHAR(30), Indeks VARCHAR(30), "
    "Adres1 VARCHAR(70), Adres2 VARCHAR(70), Telefon1 VARCHAR(70), Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), "
    "Usluga2 VARCHAR(70)";

struct Shell {
    double ms = 1e300;
    std::int64_t rows = 0, withPhoto = 0;
};

// The sqlite3 shell making a new file with the given commands; the rows of
// `osoby` are counted afterwards so a shell that did nothing cannot look fast.
Shell shellRun(int runs, const QString& database, const QStringList& arguments) {
    Shell shell;
    for (int r = 0; r < runs; ++r) {
        QFile::remove(database);
        QElapsedTimer timer;
        timer.start();
        QProcess sqlite;
        sqlite.setStandardOutputFile(QProcess::nullDevice());
        sqlite.start(QStringLiteral("sqlite3"), QStringList{database} + arguments);
        sqlite.waitForFinished(-1);
        shell.ms = std::min(shell.ms, timer.nsecsElapsed() / 1e6);
        if (sqlite.exitStatus() != QProcess::NormalExit || sqlite.exitCode() != 0) {
            std::fprintf(stderr, "sqlite3 failed: %s\n", sqlite.readAllStandardError().constData());
            std::exit(1);
        }
    }
    const auto db = TSQLiteDatabase::Create(database);
    shell.rows = db->QueryInteger(QStringLiteral("SELECT COUNT(*) FROM osoby"));
    if (db->QueryInteger(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('osoby') WHERE name = 'Picture'")) > 0)
        shell.withPhoto = db->QueryInteger(QStringLiteral("SELECT COUNT(*) FROM osoby WHERE length(Picture) > 0"));
    return shell;
}

QStringList csvCommands() {
    return {QStringLiteral("-cmd"), QStringLiteral(".mode csv"), QStringLiteral("-cmd"), QStringLiteral(".separator ;")};
}

// The anchor: .import of the list into a table of its columns.
Shell shellImport(int runs, const QString& list, const QString& database) {
    return shellRun(runs, database,
                    csvCommands() + QStringList{QStringLiteral("-cmd"),
                                                QStringLiteral("CREATE TABLE osoby (%1);").arg(kShellColumns),
                                                QStringLiteral(".import --skip 1 '%1' osoby").arg(list)});
}

// For comparison only: the same, then every row stored with its photo file
// read by the shell's readfile().
Shell shellImportWithPhotos(int runs, const QString& list, const QString& photos, const QString& database) {
    return shellRun(runs, database,
                    csvCommands() +
                        QStringList{QStringLiteral("-cmd"), QStringLiteral("CREATE TEMP TABLE lista (%1);").arg(kShellColumns),
                                    QStringLiteral("-cmd"),
                                    QStringLiteral("CREATE TABLE osoby (%1, Picture BLOB);").arg(kShellColumns),
                                    QStringLiteral("-cmd"), QStringLiteral(".import --schema temp --skip 1 '%1' lista").arg(list),
                                    QStringLiteral("INSERT INTO osoby SELECT *, readfile('%1/' || Indeks || '.jpg') FROM "
                                                   "temp.lista;")
                                        .arg(photos)});
}

void printImport(const char* title, const Outcome& outcome, double anchor, double withPhotos) {
    const Split& s = outcome.split;
    std::printf("%s\n", title);
    std::printf("  %s\n", qPrintable(outcome.summary));
    std::printf("  stored %lld persons, %lld with a photo\n", static_cast<long long>(outcome.stored),
                static_cast<long long>(outcome.withPhoto));
    std::printf("  in all:                          %8.1f ms   ratio %.2f (to the shell with photos %.2f)\n", s.total(),
                s.total() / anchor, s.total() / withPhotos);
    std::printf("    new database:                  %8.1f ms\n", s.create);
    std::printf("    reading the list:              %8.1f ms\n", s.read);
    std::printf("    planning:                      %8.1f ms\n", s.plan);
    std::printf("    writing (photos, rows, commit):%8.1f ms\n", s.write);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int rows = std::max(argc > 1 ? std::atoi(argv[1]) : 10000, 1);
    const int runs = std::max(argc > 2 ? std::atoi(argv[2]) : 3, 1);

    QTemporaryDir dir;
    const QDir root(dir.path());
    root.mkdir(QStringLiteral("zdjecia"));
    const QString photos = root.filePath(QStringLiteral("zdjecia"));
    const QByteArray photo = photoOfAbout(5 * 1024);
    for (int i = 0; i < rows; ++i)
        writeFile(photos + u'/' + indeksOf(i) + QStringLiteral(".jpg"), photo);
    const QString plainList = root.filePath(QStringLiteral("lista.csv"));
    const QString photoList = root.filePath(QStringLiteral("lista_ze_zdjeciami.csv"));
    writeFile(plainList, listOf(rows, {}));
    writeFile(photoList, listOf(rows, QStringLiteral("zdjecia")));

    // Photos alone, as the writing step reads them: a floor under that step.
    const double photoRead = bestOf(runs, [&] {
        for (int i = 0; i < rows; ++i)
            photoFileForStorage(photos + u'/' + indeksOf(i) + QStringLiteral(".jpg"));
    });

    // The files' bytes and nothing else: what no import of these photos can go below.
    const double fileRead = bestOf(runs, [&] {
        for (int i = 0; i < rows; ++i) {
            QFile file(photos + u'/' + indeksOf(i) + QStringLiteral(".jpg"));
            if (file.open(QIODevice::ReadOnly))
                file.readAll();
        }
    });

    const QString database = root.filePath(QStringLiteral("osoby.db"));
    const Outcome column = bestImport(runs, photoList, database, {});
    const Outcome folder = bestImport(runs, plainList, database, photos);
    const Outcome textsOnly = bestImport(runs, plainList, database, {});
    const QString shellFile = root.filePath(QStringLiteral("shell.db"));
    const Shell anchor = shellImport(runs, plainList, shellFile);
    const Shell shellPhotos = shellImportWithPhotos(runs, plainList, photos, shellFile);

    const bool kept = photoForStorage(photo, QStringLiteral("zdjecie.jpg")) == photo;
    std::printf("%d persons, photos of %lld bytes (%s), best of %d\n", rows, static_cast<long long>(photo.size()),
                kept ? "JPEGs stored as they are" : "NOT stored as they are", runs);
    std::printf("anchor: sqlite3 shell .import, no photos:  %8.1f ms   (%lld rows)\n", anchor.ms,
                static_cast<long long>(anchor.rows));
    std::printf("sqlite3 shell .import + readfile() photos: %8.1f ms   (%lld rows, %lld with a photo)\n",
                shellPhotos.ms, static_cast<long long>(shellPhotos.rows), static_cast<long long>(shellPhotos.withPhoto));
    std::printf("photo files read, bytes only (QFile):      %8.1f ms\n", fileRead);
    std::printf("photos read alone (photoFileForStorage):   %8.1f ms\n", photoRead);
    printImport("import, photos named in a column:", column, anchor.ms, shellPhotos.ms);
    printImport("import, photos from a folder by Indeks:", folder, anchor.ms, shellPhotos.ms);
    printImport("import, the same list without photos:", textsOnly, anchor.ms, shellPhotos.ms);
    // Both ratios side by side: the anchor stores no photos, so with photos the
    // shell that also stores them through readfile() is the fair comparison.
    std::printf("ratios (target <= 3 to the anchor):   to .import without photos   to .import + readfile()\n");
    for (const auto& [title, outcome] : {std::pair{"photos named in a column", &column},
                                         std::pair{"photos from a folder", &folder},
                                         std::pair{"without photos", &textsOnly}})
        std::printf("  %-34s %10.2f %26.2f\n", title, outcome->split.total() / anchor.ms,
                    outcome->split.total() / shellPhotos.ms);
    return 0;
}
