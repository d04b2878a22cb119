// Reads the whole person table with Query and compares the time with the sqlite3
// shell running the same SELECT to /dev/null.
//   query_bench [rows] [runs]
#include "database/sqlite_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench_support.h"

using namespace wendolarka;

namespace {

// The Part's SELECT, or the statement given on the command line.
QString kSelect = QStringLiteral("SELECT * FROM osoby ORDER BY Nazwisko");

void fill(ISQLiteDatabase& db, int rows) {
    db.Execute(QStringLiteral(
        "CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),Nazwisko "
        "VARCHAR(30),Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 "
        "VARCHAR(70), Telefon1 VARCHAR(70),Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 "
        "VARCHAR(70), Picture BLOB COLLATE NOCASE);"));
    QByteArray photo(5 * 1024, Qt::Uninitialized);
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = static_cast<char>('A' + (i * 7) % 26); // no zero byte: the shell prints it whole
    db.BeginTransaction();
    for (int i = 0; i < rows; ++i) {
        const QString n = QString::number(i);
        db.Execute(QStringLiteral("INSERT INTO osoby (Tytul, Imie, Nazwisko, Priorytet, Indeks, "
                                  "Adres1, Adres2, Telefon1, Telefon2, Usluga1, Usluga2, Picture) "
                                  "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
                   {QStringLiteral("mgr inż."), QStringLiteral("Zofia ") + n,
                    QStringLiteral("Wąsowska-") + QString::number((i * 7919) % rows),
                    QStringLiteral("VIP"), QStringLiteral("IDX-") + n,
                    QStringLiteral("ul. Długa ") + n + QStringLiteral(", 00-950 Warszawa"),
                    QStringLiteral("ul. Krótka 5 m. ") + n, QStringLiteral("+48 22 555 ") + n,
                    QStringLiteral("+48 601 000 ") + n, QStringLiteral("Usługa pierwsza ") + n,
                    QStringLiteral("Usługa druga ") + n, photo});
    }
    db.CommitTransaction();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (argc > 3)
        kSelect = QString::fromUtf8(argv[3]);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    {
        auto db = TSQLiteDatabase::Create(file);
        fill(*db, rows);
    }
    auto db = TSQLiteDatabase::Create(file);
    int count = 0;
    const double query = bestOf(runs, [&] { count = db->Query(kSelect)->Count(); });
    const double shell = sqliteShell(file, kSelect, runs);
    std::printf("rows %d (read %d), best of %d\n", rows, count, runs);
    std::printf("Query:        %8.1f ms\n", query);
    std::printf("sqlite3 shell: %8.1f ms\n", shell);
    std::printf("ratio:        %8.2f\n", query / shell);
    return 0;
}
