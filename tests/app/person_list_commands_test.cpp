#include "app/main_window.h"
#include "app/wendolarka_app.h"
#include "controls/image.h"
#include "core/cp1250.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "designer/pass_window.h"
#include "grid/sortable_grid.h"
#include "persons/person_commands.h"
#include "persons/person_list_dialog.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray jpegOf(QColor color, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encodeJpeg(image);
}

struct PersonLists : ::testing::Test {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    FixedDesktop desktop{QRect(0, 0, 1920, 1080)};
    ErrorHandler errors{dialogs};
    WendolarkaApp app{dialogs, desktop, errors};
    TForm2& main = *app.mainWindow();
    TFajny& grid = *main.G1;
    TPersonCommands& commands = *main.persons();

    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QStringList column(int col) const {
        QStringList texts;
        for (int r = 1; r < grid.RowCount(); ++r)
            texts << grid.Cells(col, r);
        return texts;
    }
    // Does what the user does in the import dialog once it shows, then presses a button.
    void whenTheDialogShows(std::function<void(TFImportOsob&)> steps) {
        QTimer::singleShot(0, [steps] {
            auto* dialog = dynamic_cast<TFImportOsob*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            steps(*dialog);
        });
    }
};

int choiceOf(const QComboBox& box, const char* title) { return box.findText(QString::fromUtf8(title)); }

} // namespace

TEST_F(PersonLists, TheDialogMapsColumnsAndShowsTheRowsAsTheyWillBeStored) {
    writeFile(file("lista.csv"),
              cp1250::encode(QString::fromUtf8("Imię;Nazwisko;Firma;Zdjęcie\r\nJan;Kowalski;„Wąs” sp.;\r\n"
                                               "Zoë;Ørsted;Inna;\r\nИван;Петров;X;\r\n")
                                 .replace(QString::fromUtf8("Zoë;Ørsted"), QString::fromUtf8("Zoë;Orsted"))
                                 .replace(QString::fromUtf8("Иван;Петров"), QStringLiteral("Ivan;Petrov"))));
    TFImportOsob dialog(dialogs, file("lista.csv"), nullptr);
    ASSERT_EQ(dialog.fieldChoices.size(), 4u);
    EXPECT_TRUE(dialog.chkTytuly->isChecked());
    EXPECT_EQ(dialog.fieldChoices[0]->currentText(), QString::fromUtf8("Imię"));
    EXPECT_EQ(dialog.fieldChoices[2]->currentText(), QString::fromUtf8("— pomiń —"));
    EXPECT_EQ(dialog.gridKolumny->item(2, 1)->text(), QString::fromUtf8("„Wąs” sp. | Inna | X"));
    // A column mapped by hand shows in the preview as it will be stored: the quotes Windows-1250 has stay.
    dialog.fieldChoices[2]->setCurrentIndex(choiceOf(*dialog.fieldChoices[2], "Usługa 1"));
    EXPECT_EQ(dialog.gridPodglad->item(0, 10)->text(), QString::fromUtf8("„Wąs” sp."));
    EXPECT_EQ(dialog.gridPodglad->item(0, 1)->text(), QStringLiteral(" ")); // Tytuł: none is a single blank
    // A field taken by a second column leaves the first.
    dialog.fieldChoices[2]->setCurrentIndex(choiceOf(*dialog.fieldChoices[2], "Nazwisko"));
    EXPECT_EQ(dialog.fieldChoices[1]->currentText(), QString::fromUtf8("— pomiń —"));
    EXPECT_EQ(dialog.gridPodglad->item(0, 3)->text(), QString::fromUtf8("„Wąs” sp."));
    // Read as UTF-8 the Windows-1250 list is refused, and nothing can be imported until it reads again;
    // the list read last stays shown with its fields, and they stay when it reads again.
    dialog.cbKodowanie->setCurrentIndex(dialog.cbKodowanie->findData(int(lists::TListEncoding::Utf8)));
    EXPECT_FALSE(dialog.btnImportuj->isEnabled());
    EXPECT_TRUE(dialog.lblStan->text().contains(QStringLiteral("lista.csv"))) << dialog.lblStan->text().toStdString();
    ASSERT_EQ(dialog.fieldChoices.size(), 4u);
    EXPECT_EQ(dialog.fieldChoices[2]->currentText(), QString::fromUtf8("Nazwisko"));
    EXPECT_EQ(dialog.gridPodglad->item(0, 3)->text(), QString::fromUtf8("„Wąs” sp."));
    dialog.cbDuplikaty->setCurrentIndex(1); // another choice plans again, still from the list read last
    EXPECT_FALSE(dialog.btnImportuj->isEnabled());
    dialog.cbKodowanie->setCurrentIndex(dialog.cbKodowanie->findData(int(lists::TListEncoding::Auto)));
    EXPECT_TRUE(dialog.btnImportuj->isEnabled());
    EXPECT_EQ(dialog.gridPodglad->rowCount(), 3);
    EXPECT_EQ(dialog.fieldChoices[1]->currentText(), QString::fromUtf8("— pomiń —"));
    EXPECT_EQ(dialog.fieldChoices[2]->currentText(), QString::fromUtf8("Nazwisko"));
    // Read again with the same columns, a field chosen by hand stays.
    dialog.fieldChoices[2]->setCurrentIndex(choiceOf(*dialog.fieldChoices[2], "Usługa 1"));
    dialog.cbSeparator->setCurrentIndex(dialog.cbSeparator->findData(QStringLiteral(";")));
    EXPECT_EQ(dialog.fieldChoices[2]->currentText(), QString::fromUtf8("Usługa 1"));
    // Without the title row the first row is a person, and the columns say so.
    dialog.chkTytuly->setChecked(false);
    EXPECT_EQ(dialog.gridKolumny->item(0, 0)->text(), QStringLiteral("Kolumna 1"));
    EXPECT_EQ(dialog.gridPodglad->rowCount(), 4);
    EXPECT_EQ(dialog.fieldChoices[2]->currentText(), QString::fromUtf8("Usługa 1"));
}

TEST_F(PersonLists, LettersWindows1250LacksAreListedBeforeAnythingIsWritten) {
    writeFile(file("utf8.csv"), QString::fromUtf8("Imię,Nazwisko\nMuñoz,José\nИван,Петров\n").toUtf8());
    TFImportOsob dialog(dialogs, file("utf8.csv"), nullptr);
    const QString listed = dialog.lblZnaki->text();
    EXPECT_TRUE(listed.contains(QString::fromUtf8("\nwiersz 2 — Imię: „ñ” → „n”\n"))) << listed.toStdString();
    EXPECT_TRUE(listed.contains(QString::fromUtf8("\nwiersz 3 — Imię: „И” (nie ma zastępstwa), „в” (nie ma zastępstwa), "
                                                  "„а” (nie ma zastępstwa), „н” (nie ma zastępstwa); Nazwisko: „П” "
                                                  "(nie ma zastępstwa)")));
    EXPECT_TRUE(listed.endsWith(QString::fromUtf8("; wiersz zostanie pominięty"))) << listed.toStdString();
    EXPECT_TRUE(dialog.gridPodglad->item(1, 0)->text().contains(QString::fromUtf8("pominięty")));
    EXPECT_EQ(dialog.gridPodglad->item(0, 2)->text(), QStringLiteral("Munoz"));

    // Every such row is listed, a line each, up to the bound; the rest are counted.
    QString many = QString::fromUtf8("Imię;Nazwisko\n");
    for (int i = 0; i < 250; ++i)
        many += QString::fromUtf8("Muñoz;Nowak\n");
    writeFile(file("wiele.csv"), many.toUtf8());
    TFImportOsob wide(dialogs, file("wiele.csv"), nullptr);
    const QStringList lines = wide.lblZnaki->text().split(u'\n');
    ASSERT_EQ(lines.size(), 202);
    EXPECT_EQ(lines[200], QString::fromUtf8("wiersz 201 — Imię: „ñ” → „n”"));
    EXPECT_EQ(lines[201], QString::fromUtf8("… i jeszcze 50 wierszy."));
}

TEST_F(PersonLists, AListWithPhotosGoesIntoTheDatabaseShownAndComesOutAgain) {
    const QString database = file("osoby.db");
    person_table::CreateDatabase(database);
    dialogs.openAnswers.push_back(FileDialogResult{database, 1});
    main.OtworzBaze1->trigger();
    ASSERT_EQ(grid.RowCount(), 2);

    QDir(dir.path()).mkdir(QStringLiteral("foto"));
    const QByteArray photo = jpegOf(Qt::darkRed, 48, 60);
    writeFile(file("foto/Z9.jpg"), photo);
    writeFile(file("lista.csv"), "Imie;Nazwisko;Nr\r\nAda;Zawada;Z9\r\nBeata;Adamska;Z1\r\n");
    dialogs.openAnswers.push_back(FileDialogResult{file("lista.csv"), 1});
    dialogs.folderAnswers.push_back(file("foto"));
    whenTheDialogShows([](TFImportOsob& dialog) {
        // "Nr" is no field name the program knows: mapped by hand to Indeks.
        dialog.fieldChoices[2]->setCurrentIndex(choiceOf(*dialog.fieldChoices[2], "Indeks"));
        dialog.btnZdjecia->click();
        dialog.btnImportuj->click();
    });
    main.ImportujOsoby1->trigger();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QString::fromUtf8("Dodano 2 osoby, 1 ze zdjęciem")))
        << dialogs.messages.back().text.toStdString();
    EXPECT_EQ(column(4), QStringList({QStringLiteral("Adamska"), QStringLiteral("Probnik"), QStringLiteral("Zawada")}));
    grid.setSelection({1, 3, 1, 3});
    main.G1Click();
    EXPECT_EQ(app.windows().Form1->Image11->Picture().Width(), 48); // her photo on the pass

    // Out again: the marked persons only, with their photos.
    for (const int row : {1, 3}) {
        grid.setSelection({1, row, 1, row});
        QTest::keyClick(&grid, Qt::Key_Space, Qt::ControlModifier);
    }
    ASSERT_EQ(grid.SelectedRows().size(), 2u);
    dialogs.saveAnswers.push_back(FileDialogResult{file("wynik.csv"), 2}); // Windows-1250
    dialogs.messageAnswers.push_back(mrYes); // photos too,
    dialogs.messageAnswers.push_back(mrNo);  // named by surname and first name
    main.EksportujOsoby1->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Zapisano 2 osoby, 1 zdjęcie."));
    QFile list(file("wynik.csv"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QString text = cp1250::decode(list.readAll());
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("Tytuł;Imię;Nazwisko;")));
    EXPECT_TRUE(text.contains(QStringLiteral(";Z9;")));
    EXPECT_FALSE(text.contains(QStringLiteral("Probnik")));
    QFile exported(file("wynik_zdjęcia/Zawada_Ada.jpg"));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_EQ(exported.readAll(), photo);
}

TEST_F(PersonLists, ACancelledImportWritesNothing) {
    const QString database = file("osoby.db");
    person_table::CreateDatabase(database);
    dialogs.openAnswers.push_back(FileDialogResult{database, 1});
    main.OtworzBaze1->trigger();
    QFile before(database);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();
    writeFile(file("lista.csv"), "Nazwisko\nNowak\n");
    dialogs.openAnswers.push_back(FileDialogResult{file("lista.csv"), 1});
    whenTheDialogShows([](TFImportOsob& dialog) { dialog.btnAnuluj->click(); });
    main.ImportujOsoby1->trigger();
    EXPECT_EQ(grid.RowCount(), 2);
    QFile after(database);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST_F(PersonLists, ANewDatabaseIsMadeOnlyForPersonsThatGoIntoIt) {
    writeFile(file("cyrylica.csv"), QString::fromUtf8("Imię;Nazwisko\nИван;Петров\n").toUtf8());
    for (const bool import : {false, true}) {
        dialogs.saveAnswers.push_back(FileDialogResult{file("nowa.db"), 1});
        dialogs.openAnswers.push_back(FileDialogResult{file("cyrylica.csv"), 1});
        whenTheDialogShows([import](TFImportOsob& dialog) { (import ? dialog.btnImportuj : dialog.btnAnuluj)->click(); });
        main.ImportujOsoby1->trigger();
        EXPECT_FALSE(QFile::exists(file("nowa.db"))) << import;
        EXPECT_EQ(commands.Db(), nullptr) << import;
    }
    writeFile(file("lista.csv"), "Nazwisko\nNowak\n");
    dialogs.saveAnswers.push_back(FileDialogResult{file("nowa.db"), 1});
    dialogs.openAnswers.push_back(FileDialogResult{file("lista.csv"), 1});
    whenTheDialogShows([](TFImportOsob& dialog) { dialog.btnImportuj->click(); });
    main.ImportujOsoby1->trigger();
    EXPECT_EQ(column(4), QStringList({QStringLiteral("Nowak"), QStringLiteral("Probnik")}));
}
