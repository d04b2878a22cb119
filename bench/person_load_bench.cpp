// Opens a person database of 50 000 persons with 5 KB photos through the main
// window's "Otwórz bazę" into its grid, and compares with the sqlite3 shell
// reading the same rows; then adds 1 000 persons one by one through the record
// editing window's add command.
//   person_load_bench [rows] [runs] [adds]
#include "app/main_window.h"
#include "app/wendolarka_app.h"
#include "database/person_table.h"
#include "grid/sortable_grid.h"
#include "persons/record_edit_window.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench_support.h"

using namespace wendolarka;

namespace {

void fill(const QString& file, int rows) {
    person_table::CreateDatabase(file);
    auto db = TSQLiteDatabase::Create(file);
    QByteArray photo(5 * 1024, Qt::Uninitialized);
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = static_cast<char>('A' + (i * 7) % 26); // no zero byte: the shell prints it whole
    photo[0] = '\xFF';
    photo[1] = '\xD8';
    db->BeginTransaction();
    for (int i = 0; i < rows; ++i) {
        const QString n = QString::number(i);
        db->Execute(QStringLiteral("INSERT INTO osoby (Tytul, Imie, Nazwisko, Priorytet, Indeks, Adres1, Adres2, "
                                   "Telefon1, Telefon2, Usluga1, Usluga2, Picture) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
                    {QString::fromUtf8("mgr inż."), QStringLiteral("Zofia ") + n,
                     QString::fromUtf8("Wąsowska-") + QString::number((i * 7919) % rows), QStringLiteral("VIP"),
                     QStringLiteral("IDX-") + n, QString::fromUtf8("ul. Długa ") + n, QString::fromUtf8("m. ") + n,
                     QStringLiteral("+48 22 555 ") + n, QStringLiteral("+48 601 000 ") + n,
                     QString::fromUtf8("Usługa pierwsza ") + n, QString::fromUtf8("Usługa druga ") + n, photo});
    }
    db->CommitTransaction();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const int adds = argc > 3 ? std::atoi(argv[3]) : 1000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("osoby.db"));
    fill(file, rows);

    ScriptedDialogs dialogs;
    FixedDesktop desktop(QRect(0, 0, 1920, 1080));
    ErrorHandler errors(dialogs);
    WendolarkaApp app(dialogs, desktop, errors);
    TForm2& main = *app.mainWindow();
    main.show();
    const double open = bestOf(runs, [&] {
        dialogs.openAnswers.push_back(FileDialogResult{file, 1});
        main.OtworzBaze1Click();
    });
    const double query = bestOf(runs, [&] {
        auto db = person_table::OpenExisting(file);
        person_table::SelectTextsForGrid(*db);
    });
    const double all = sqliteShell(file, QStringLiteral("SELECT * FROM osoby ORDER BY Nazwisko"), runs);
    const double texts = sqliteShell(file, QStringLiteral("SELECT ID,Tytul,Imie,Nazwisko,Priorytet,Indeks,Adres1,Adres2,"
                                                    "Telefon1,Telefon2,Usluga1,Usluga2 FROM osoby ORDER BY Nazwisko"),
                               runs);
    std::printf("persons %d in the grid: %d rows, best of %d\n", rows, main.G1->RowCount() - 1, runs);
    std::printf("open into the grid:                  %8.1f ms\n", open);
    std::printf("  of which the query alone:          %8.1f ms\n", query);
    std::printf("sqlite3 shell, SELECT *:             %8.1f ms   ratio %.2f\n", all, open / all);
    std::printf("sqlite3 shell, the grid's columns:   %8.1f ms   ratio %.2f\n", texts, open / texts);

    // Adding one by one into a small database, each add reloading the grid.
    const QString small = dir.filePath(QStringLiteral("dodawanie.db"));
    person_table::CreateDatabase(small);
    dialogs.openAnswers.push_back(FileDialogResult{small, 1});
    main.OtworzBaze1Click();
    TFEdycja& editor = *app.windows().FEdycja;
    editor.show();
    QImage image(120, 150, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    editor.setPhoto(TPicture(TJPEGImage::fromImage(image)));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < adds; ++i) {
        editor.edNazwisko->setText(QStringLiteral("Osoba %1").arg(i));
        main.mnuDodajRekordClick();
    }
    const double addTotal = timer.nsecsElapsed() / 1e6;
    std::printf("%d adds with photos: %.1f ms in all, %.2f ms per add (grid reloaded each time)\n", adds, addTotal,
                addTotal / std::max(adds, 1));
    return 0;
}
