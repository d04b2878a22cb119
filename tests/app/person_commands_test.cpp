#include "app/main_window.h"
#include "app/wendolarka_app.h"
#include "batch/batch_dialog.h"
#include "controls/image.h"
#include "controls/label.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "designer/pass_window.h"
#include "grid/sortable_grid.h"
#include "persons/person_commands.h"
#include "persons/person_grid.h"
#include "persons/phrase_search.h"
#include "persons/record_edit_window.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "support/damaged_file.h"
#include "support/photo_editor_answer.h"
#include "support/scripted_camera.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QTest>
#include <QApplication>
#include <QTabWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

TPersonTexts person(const QString& surname, const QString& priority = QStringLiteral("VIP")) {
    return {QStringLiteral("Pani"), QStringLiteral("Anna"), surname, priority, QStringLiteral("7"),
            QStringLiteral("ul. Długa 1"), QString(), QStringLiteral("22 555"), QString(),
            QString::fromUtf8("Wejście"), QString()};
}

QByteArray jpegOf(QColor color) {
    QImage image(6, 8, QImage::Format_RGB32);
    image.fill(color);
    return encodeJpeg(image);
}

// The program with its windows, the scripted dialogs and a folder for databases.
struct Persons : ::testing::Test {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    FixedDesktop desktop{QRect(0, 0, 1920, 1080)};
    ErrorHandler errors{dialogs};
    WendolarkaApp app{dialogs, desktop, errors};
    TForm2& main = *app.mainWindow();
    TFajny& grid = *main.G1;
    TFEdycja& editor = *app.windows().FEdycja;
    TForm1& pass = *app.windows().Form1;
    TPersonCommands& commands = *main.persons();

    QString file(const QString& name) const { return dir.filePath(name); }

    // A database holding these persons (with the given photos), no sample person.
    QString database(const QString& name, const std::vector<std::pair<TPersonTexts, QByteArray>>& people) {
        const QString path = file(name);
        person_table::CreateDatabase(path);
        auto db = person_table::OpenExisting(path);
        person_table::Delete(*db, 1);
        for (const auto& [texts, photo] : people)
            person_table::Insert(*db, texts, photo);
        return path;
    }

    void open(const QString& path) {
        dialogs.openAnswers.push_back(FileDialogResult{path, 1});
        main.OtworzBaze1->trigger();
    }
    void choose(int row) {
        grid.setSelection({1, row, 1, row});
        main.G1Click();
    }
    QStringList surnames() const {
        QStringList result;
        for (int r = 1; r < grid.RowCount(); ++r)
            result << grid.Cells(4, r);
        return result;
    }
    int count(const QString& path) {
        return static_cast<int>(TSQLiteDatabase::Create(path)->QueryInteger(QStringLiteral("SELECT count(*) FROM osoby")));
    }
    TPersonRow stored(const QString& path, std::int64_t id) {
        auto db = TSQLiteDatabase::Create(path);
        return person_table::ReadRow(*person_table::SelectById(*db, id));
    }
};

} // namespace

TEST_F(Persons, ANewDatabaseIsMadeApartAndOpensWithItsSamplePerson) {
    const QString path = file(QStringLiteral("zerowa.db"));
    dialogs.saveAnswers.push_back(FileDialogResult{path, 1});
    main.NowaBaza1->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, QStringLiteral("zerowa.db"));
    EXPECT_EQ(dialogs.saveRequests[0].defaultExt, QStringLiteral("db"));
    EXPECT_EQ(dialogs.saveRequests[0].filter, QString::fromUtf8("Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*"));
    EXPECT_EQ(commands.Db(), nullptr); // creating opens nothing
    EXPECT_EQ(count(path), 1);

    // An existing name is refused and changes nothing.
    dialogs.saveAnswers.push_back(FileDialogResult{path, 1});
    main.NowaBaza1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Plik taki już istnieje - proszę podaj inną nazwę lub zmień katalog!"));
    EXPECT_EQ(dialogs.messages[0].type, TMsgDlgType::mtInformation);

    open(path);
    EXPECT_EQ(editor.lblBaza->text(), QStringLiteral("zerowa.db"));
    EXPECT_EQ(main.LabelCount->text(), QStringLiteral("1"));
    ASSERT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Rows(1).mid(0, 6), QStringList({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Pan"),
                                                    QStringLiteral("Tomir"), QStringLiteral("Probnik"),
                                                    QString::fromUtf8("Ważna")}));
    EXPECT_EQ(grid.ColWidths(6), 0);

    // A second new database while one is open: the open one stays the one worked on.
    dialogs.saveAnswers.push_back(FileDialogResult{file(QStringLiteral("druga.db")), 1});
    main.NowaBaza1->trigger();
    EXPECT_EQ(commands.DbFileName(), path);
    choose(1);
    editor.show();
    main.mnuDodajRekord->trigger();
    EXPECT_EQ(count(path), 2);
    EXPECT_EQ(count(file(QStringLiteral("druga.db"))), 1);
}

TEST_F(Persons, OpeningSortsBySurnameAndRefusesWhatIsNoPersonDatabase) {
    const QString path = database(QStringLiteral("osoby.db"),
                                  {{person(QStringLiteral("Zych")), jpegOf(Qt::red)},
                                   {person(QStringLiteral("bartnik")), jpegOf(Qt::green)},
                                   {person(QString::fromUtf8("Łoś")), jpegOf(Qt::blue)},
                                   {person(QStringLiteral("Nowak")), jpegOf(Qt::yellow)}});
    open(path);
    EXPECT_EQ(surnames(), QStringList({QStringLiteral("Nowak"), QStringLiteral("Zych"), QStringLiteral("bartnik"),
                                       QString::fromUtf8("Łoś")}));
    const QStringList before = surnames();

    QFile junk(file(QStringLiteral("lista.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("Nowak;Zych\n");
    junk.close();
    open(junk.fileName());
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().text.contains(QString::fromUtf8("nie jest bazą danych SQLite")));
    EXPECT_EQ(dialogs.messages.back().type, TMsgDlgType::mtWarning);
    EXPECT_EQ(commands.DbFileName(), path);
    EXPECT_EQ(surnames(), before);
    EXPECT_EQ(editor.lblBaza->text(), QStringLiteral("osoby.db"));

    open(file(QStringLiteral("nie-ma.db")));
    EXPECT_TRUE(dialogs.messages.back().text.endsWith(QString::fromUtf8("nie istnieje.")));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("nie-ma.db"))));

    // An empty table keeps its titles (one blank row below them), and so does the next file.
    const QString empty = database(QStringLiteral("pusta.db"), {});
    open(empty);
    EXPECT_EQ(main.LabelCount->text(), QStringLiteral("0"));
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.Cells(4, 0), QStringLiteral("Nazwisko"));
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(1, 1), QString());
    const std::size_t said = dialogs.messages.size();
    main.mnuNastepny->trigger();
    main.mnuOstatni->trigger();
    EXPECT_EQ(dialogs.messages.size(), said);
    open(path);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(surnames(), before);
}

TEST_F(Persons, ChoosingAPersonShowsThemInTheEditorAndOnThePass) {
    const QByteArray broken("\xFF\xD8 no jpeg at all", 17);
    const QString path = database(QStringLiteral("osoby.db"),
                                  {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                   {person(QStringLiteral("Bielik")), QByteArray()},
                                   {person(QStringLiteral("Cichy")), broken}});
    {
        auto db = TSQLiteDatabase::Create(path); // Bielik has no photo at all
        db->Execute(QStringLiteral("UPDATE osoby SET Picture=NULL WHERE Nazwisko='Bielik'"));
    }
    open(path);
    choose(1);
    EXPECT_EQ(editor.lblRekordy->text(), QStringLiteral("1 z 3"));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Adamska"));
    EXPECT_EQ(pass.lblNazwisko->Caption(), QStringLiteral("Adamska"));
    EXPECT_EQ(pass.lblusluga1->Caption(), QString::fromUtf8("Wejście"));
    EXPECT_EQ(editor.photo().Width(), 6);
    EXPECT_EQ(pass.Image11->Picture().Width(), 6);

    // Nobody else's face: a person without a photo, or with one that cannot be read.
    choose(2);
    EXPECT_EQ(editor.lblRekordy->text(), QStringLiteral("2 z 3"));
    EXPECT_TRUE(editor.photo().isEmpty());
    EXPECT_TRUE(pass.Image11->Picture().isEmpty());
    const std::size_t messagesBefore = dialogs.messages.size();
    choose(3);
    EXPECT_EQ(pass.lblNazwisko->Caption(), QStringLiteral("Cichy"));
    EXPECT_TRUE(editor.photo().isEmpty());
    EXPECT_TRUE(pass.Image11->Picture().isEmpty());
    ASSERT_EQ(dialogs.messages.size(), messagesBefore + 1);
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QString::fromUtf8("Zdjęcia tej osoby nie da się wyświetlić.")));
    // A step onto that person reads them twice and warns once.
    main.mnuPierwszy->trigger();
    main.mnuOstatni->trigger();
    EXPECT_EQ(dialogs.messages.size(), messagesBefore + 2);

    // Overwriting without touching the photo keeps the stored bytes, unreadable or not.
    editor.edImie->setText(QStringLiteral("Ewa"));
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    const TPersonRow cichy = stored(path, *commands.CurrentId());
    EXPECT_EQ(cichy.texts[1], QStringLiteral("Ewa"));
    EXPECT_EQ(cichy.picture, broken);
}

TEST_F(Persons, AddStoresThePersonWithTheirPhotoOrThePlaceholder) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Nowak")), jpegOf(Qt::red)}});
    open(path);
    main.mnuDodajRekord->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QString::fromUtf8("Dodaję rekordy tylko przy otwartym oknie Podglądu i edycji rekordu\n\r\n\r"
                                "       Proszę otwórz to okno i powtórz operację dodawania"));
    EXPECT_EQ(count(path), 1);

    editor.show();
    editor.btnZerujClick();
    main.mnuDodajRekord->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Rekord dodany do bazy. "));
    EXPECT_EQ(count(path), 2);
    const TPersonRow blank = stored(path, *commands.CurrentId());
    for (const QString& text : blank.texts)
        EXPECT_EQ(text, QStringLiteral(" "));
    EXPECT_EQ(blank.picture, editor.placeholder().Graphic()->fileData());
    // The new person is the chosen one: the grid row, the editor and the count.
    EXPECT_EQ(grid.Cells(1, grid.Row()), QString::number(*commands.CurrentId()));
    EXPECT_EQ(editor.lblRekordy->text(), QStringLiteral("1 z 2"));

    // A BMP photo goes in as BMP (the editor left with Anuluj keeps it whole) and comes back out by its content.
    const QString bmpPath = file(QStringLiteral("foto.bmp"));
    QFile bmp(bmpPath);
    ASSERT_TRUE(bmp.open(QIODevice::WriteOnly));
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    bmp.write(encodeBmp24(image));
    bmp.close();
    dialogs.openAnswers.push_back(FileDialogResult{bmpPath, 1});
    whenThePhotoEditorShows(EditorAnswer::cancel);
    editor.btnFotoClick();
    editor.edNazwisko->setText(QStringLiteral("Bmp"));
    main.mnuDodajRekord->trigger();
    const TPersonRow withBmp = stored(path, *commands.CurrentId());
    EXPECT_TRUE(withBmp.picture->startsWith("BM"));
    EXPECT_EQ(editor.photo().Width(), 5);
    EXPECT_EQ(pass.Image11->Picture().Width(), 5);
}

TEST_F(Persons, APhotoFromTheCameraIsCutToTheDesignsPhotoElementAndStored) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Nowak")), jpegOf(Qt::red)}});
    open(path);
    choose(1);
    const QByteArray before = stored(path, *commands.CurrentId()).picture.value_or(QByteArray());
    editor.show();
    ScriptedCamera camera;
    camera.names = {QStringLiteral("Kamera USB"), QStringLiteral("Kamera w monitorze")};
    QImage taken(1280, 720, QImage::Format_RGB32);
    taken.fill(Qt::darkYellow);
    camera.pictures = {taken, taken};
    editor.setCameraService(&camera);

    // Anuluj in the editor: the person keeps the photo they had.
    whenThePhotoEditorShows(EditorAnswer::cancel);
    editor.btnKamera->click();
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(stored(path, *commands.CurrentId()).picture, before);

    // A landscape photo element in the design: the stored photo takes its shape.
    pass.Image11->SetBounds(pass.Image11->Left(), pass.Image11->Top(), 90, 60);
    const auto answered = whenThePhotoEditorShows(EditorAnswer::ok);
    editor.btnKamera->click();
    EXPECT_EQ(*answered, 1);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    const TPicture photo = TPicture::FromStoredBytes(*stored(path, *commands.CurrentId()).picture);
    EXPECT_EQ(photo.Graphic()->ClassName(), QStringLiteral("TJPEGImage"));
    EXPECT_NEAR(photo.Width(), 1.5 * photo.Height(), 1.0);
    EXPECT_LE(std::max(photo.Width(), photo.Height()), 1024);
    EXPECT_EQ(camera.requests, std::vector<int>({0, 0}));
}

TEST_F(Persons, OverwriteAndDeleteAlwaysActOnThePersonShown) {
    const QString path = database(QStringLiteral("osoby.db"),
                                  {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                   {person(QStringLiteral("Bielik")), jpegOf(Qt::green)},
                                   {person(QStringLiteral("Cichy")), jpegOf(Qt::blue)}});
    open(path);
    choose(1);
    const std::int64_t adamska = *commands.CurrentId();
    // Only "Tak" overwrites.
    editor.edNazwisko->setText(QStringLiteral("Zawada"));
    dialogs.messageAnswers.push_back(mrNo);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(stored(path, adamska).texts[2], QStringLiteral("Adamska"));
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Wstawić do tego rekordu nowe dane?"));
    EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("Confirm"));

    // A surname that sorts later moves the person down; they stay the one chosen.
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(surnames(), QStringList({QStringLiteral("Bielik"), QStringLiteral("Cichy"), QStringLiteral("Zawada")}));
    EXPECT_EQ(*commands.CurrentId(), adamska);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Zawada"));

    // The delete question names the row of the person deleted.
    dialogs.messageAnswers.push_back(mrCancel);
    main.mnuDeleteRekord->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Zniszczyć rekord 3  jesteś tego pewny ?"));
    EXPECT_EQ(count(path), 3);
    EXPECT_EQ(*commands.CurrentId(), adamska);

    // Regenerating keeps the chosen person; the next delete deletes them.
    choose(2);
    const std::int64_t cichy = *commands.CurrentId();
    main.mnuRegeneruj->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Plik bazowy  osoby.db  został zregenerowany."));
    EXPECT_EQ(*commands.CurrentId(), cichy);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuDeleteRekord->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Zniszczyć rekord 2  jesteś tego pewny ?"));
    EXPECT_EQ(surnames(), QStringList({QStringLiteral("Bielik"), QStringLiteral("Zawada")}));

    // The last two: one goes, the very last one never does.
    choose(1);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuDeleteRekord->trigger();
    EXPECT_EQ(count(path), 1);
    const std::size_t before = dialogs.messages.size();
    main.mnuDeleteRekord->trigger();
    EXPECT_EQ(dialogs.messages.size(), before);
    EXPECT_EQ(count(path), 1);
}

TEST_F(Persons, NavigationStepsThroughTheRowsThatExist) {
    const QString path = database(QStringLiteral("osoby.db"),
                                  {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                   {person(QStringLiteral("Bielik"), QString()), jpegOf(Qt::green)},
                                   {person(QStringLiteral("Cichy")), jpegOf(Qt::blue)},
                                   {person(QStringLiteral("Dudek")), jpegOf(Qt::gray)}});
    main.mnuNastepny->trigger(); // nothing open: nothing happens
    EXPECT_TRUE(dialogs.messages.empty());
    open(path);
    main.mnuPierwszy->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Adamska"));
    EXPECT_TRUE(editor.isVisible());
    // A person without a priority is shown like any other.
    main.mnuNastepny->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Bielik"));
    EXPECT_EQ(pass.lblNazwisko->Caption(), QStringLiteral("Bielik"));
    EXPECT_EQ(commands.CurrentRowNo(), 2);
    main.mnuOstatni->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Dudek"));
    main.mnuNastepny->trigger();
    EXPECT_EQ(commands.CurrentRowNo(), 4);
    main.mnuPoprzedni->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Cichy"));

    // A smaller file: the steps stay among its rows.
    open(database(QStringLiteral("mala.db"), {{person(QStringLiteral("Ek")), jpegOf(Qt::red)},
                                              {person(QStringLiteral("Fik")), jpegOf(Qt::red)}}));
    main.mnuNastepny->trigger();
    EXPECT_LE(commands.CurrentRowNo(), 2);
    main.mnuPoprzedni->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Ek"));
    EXPECT_TRUE(std::none_of(dialogs.messages.begin(), dialogs.messages.end(),
                             [](const auto& m) { return m.type == TMsgDlgType::mtWarning; }));
}

TEST_F(Persons, CommandsWithoutADatabaseSayWhatIsMissing) {
    editor.show();
    main.mnuDodajRekord->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QString::fromUtf8("Nie ma otwartej bazy danych.")));
    main.mnuRegeneruj->trigger();
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QString::fromUtf8("Nie ma otwartej bazy danych.")));
    // Nothing to overwrite: said before any question is asked.
    const std::size_t asked = dialogs.messages.size();
    main.mnuWstawRekord->trigger();
    ASSERT_EQ(dialogs.messages.size(), asked + 1);
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QString::fromUtf8("Nie ma otwartej bazy danych.")));
    const std::size_t before = dialogs.messages.size();
    main.Edytuj1->trigger(); // an empty grid: just the window
    EXPECT_EQ(dialogs.messages.size(), before);
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(Persons, TheGridIsReadOnlyAndPaintsSurnamesLime) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)}});
    open(path);
    EXPECT_FALSE(grid.Options() & goEditing);
    grid.resize(600, 200);
    grid.show();
    const QImage shot = grid.viewport()->grab().toImage();
    const TRect cell = grid.CellRect(4, 1);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_EQ(shot.pixelColor(cell.Right - 2, cell.Bottom - 2), QColor(0, 255, 0));
}

TEST_F(Persons, TheGridScrollsToTheChosenPersonAndLeavingItKeepsTyping) {
    std::vector<std::pair<TPersonTexts, QByteArray>> people;
    for (int i = 0; i < 12; ++i)
        people.push_back({person(QStringLiteral("Osoba%1").arg(i, 2, 10, QChar(u'0'))), jpegOf(Qt::red)});
    open(database(QStringLiteral("osoby.db"), people));
    main.show();
    QApplication::setActiveWindow(&main);
    main.Notes1->setCurrentIndex(3);
    int height = 60;
    for (grid.resize(400, height); grid.VisibleRowCount() < 6 && height < 400; grid.resize(400, height += 2)) {
    }
    ASSERT_EQ(grid.VisibleRowCount(), 6);
    choose(10);
    EXPECT_EQ(grid.TopRow(), 5);
    choose(4);
    EXPECT_EQ(grid.TopRow(), 1);
    // A click that scrolls the grid highlights the person clicked, not the row coming under the pointer.
    choose(10);
    const TRect seventh = grid.CellRect(2, 7);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(seventh.Left + 5, seventh.Top + 5));
    EXPECT_EQ(grid.TopRow(), 2);
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Osoba06"));
    const QImage shot = grid.viewport()->grab().toImage();
    const auto look = [&](int row) {
        return shot.pixelColor(grid.CellRect(2, row).Right - 2, grid.CellRect(2, row).Bottom - 2);
    };
    EXPECT_EQ(look(7), toQColor(clHighlight));
    EXPECT_EQ(look(4), toQColor(clWindow)); // under the pointer now

    // The focus leaving the grid on the row already chosen re-reads nobody.
    grid.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid.hasFocus());
    editor.edImie->setText(QStringLiteral("wpisane"));
    main.Notes1->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(grid.hasFocus());
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("wpisane"));
    // Leaving it on another row chooses that row.
    grid.setFocus();
    QApplication::processEvents();
    grid.setSelection({1, 7, 1, 7});
    main.Notes1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Osoba06"));
}

TEST_F(Persons, ADatabaseMadeElsewhereShowsItsPolishLettersAndPhotos) {
    const QString path = file(QStringLiteral("obca.db"));
    {
        auto db = TSQLiteDatabase::Create(path);
        db->Execute(person_table::createStatement());
        // Code-page bytes written by another program: "Łoś", "Źdźbło", "Gęś".
        db->Execute(QStringLiteral("INSERT INTO osoby (Tytul, Imie, Nazwisko, Priorytet, Picture) VALUES "
                                   "('Pan', CAST(X'8F649F62B36F' AS TEXT), CAST(X'A36F9C' AS TEXT), "
                                   "CAST(X'47EA9C' AS TEXT), ?)"),
                    {jpegOf(Qt::magenta)});
    }
    open(path);
    EXPECT_EQ(grid.Cells(4, 1), QString::fromUtf8("Łoś"));
    choose(1);
    EXPECT_EQ(editor.edImie->text(), QString::fromUtf8("Źdźbło"));
    EXPECT_EQ(pass.lblPriorytet->Caption(), QString::fromUtf8("Gęś"));
    EXPECT_EQ(pass.Image11->Picture().Width(), 6);
}

TEST_F(Persons, AFailedAddLeavesNoPersonAndNoPhotoAndTheNextAddWorks) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Nowak")), jpegOf(Qt::red)}});
    open(path);
    choose(1);
    editor.show();
    {
        auto db = TSQLiteDatabase::Create(path); // another program refuses new photos
        db->Execute(QStringLiteral("CREATE TRIGGER no_photo BEFORE INSERT ON osoby WHEN NEW.Picture IS NOT NULL "
                                   "BEGIN SELECT RAISE(ABORT, 'no photos'); END"));
    }
    editor.edNazwisko->setText(QStringLiteral("Kowal"));
    main.mnuDodajRekord->trigger();
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QString::fromUtf8("Zmiana nie została zapisana")));
    EXPECT_EQ(count(path), 1);
    {
        auto db = TSQLiteDatabase::Create(path);
        db->Execute(QStringLiteral("DROP TRIGGER no_photo"));
    }
    editor.bitDodaj->click(); // the editing window's own button, no transaction left open
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Rekord dodany do bazy. "));
    EXPECT_EQ(count(path), 2);
    // The title row never stands for a person, even once it is an ordinary row.
    grid.setSelection({1, 0, 1, 0});
    const auto before = commands.CurrentId();
    main.G1Click();
    EXPECT_EQ(commands.CurrentId(), before);
}

TEST_F(Persons, TwoProgramsOnOneDatabaseLoseNeitherChange) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                                               {person(QStringLiteral("Bielik")), jpegOf(Qt::green)}});
    auto elsewhere = person_table::OpenExisting(path); // the other program
    open(path);
    choose(1);
    const std::int64_t id = *commands.CurrentId();
    editor.edImie->setText(QStringLiteral("Ewa")); // typed here
    TPersonTexts theirs = stored(path, id).texts;
    theirs[2] = QStringLiteral("Adamska-Nowak");
    person_table::Update(*elsewhere, id, theirs, std::nullopt);

    // The question says what the other program changed; Cancel writes nothing and keeps the typing.
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.messageAnswers.push_back(mrCancel);
    main.mnuWstawRekord->trigger();
    const QString question = dialogs.messages.back().text;
    EXPECT_TRUE(question.contains(QString::fromUtf8("Nazwisko: „Adamska” → „Adamska-Nowak”"))) << question.toStdString();
    EXPECT_FALSE(question.contains(QString::fromUtf8("Imię")));
    EXPECT_EQ(stored(path, id).texts, theirs);
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Ewa"));

    // "Nie" takes their change into the fields left alone; saving then keeps both.
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.messageAnswers.push_back(mrNo);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Ewa"));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Adamska-Nowak"));
    EXPECT_EQ(stored(path, id).texts, theirs);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(stored(path, id).texts[1], QStringLiteral("Ewa"));
    EXPECT_EQ(stored(path, id).texts[2], QStringLiteral("Adamska-Nowak"));

    // "Tak" overwrites knowingly.
    theirs = stored(path, id).texts;
    theirs[3] = QStringLiteral("Zwykły");
    person_table::Update(*elsewhere, id, theirs, std::nullopt);
    editor.edPriorytet->setText(QStringLiteral("Pilny"));
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(stored(path, id).texts[3], QStringLiteral("Pilny"));

    // Deleted elsewhere: the typing stays, and becomes a new person when the user says so.
    person_table::Delete(*elsewhere, id);
    editor.edImie->setText(QStringLiteral("Ewelina"));
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.messageAnswers.push_back(mrNo);
    main.mnuWstawRekord->trigger();
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QString::fromUtf8("Tej osoby nie ma już w bazie")));
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Ewelina"));
    EXPECT_EQ(count(path), 1);
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(count(path), 2);
    EXPECT_EQ(stored(path, *commands.CurrentId()).texts[1], QStringLiteral("Ewelina"));
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Ewelina"));

    // A delete of a person changed elsewhere asks again, naming the change.
    theirs = stored(path, *commands.CurrentId()).texts;
    theirs[4] = QStringLiteral("99");
    person_table::Update(*elsewhere, *commands.CurrentId(), theirs, std::nullopt);
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.messageAnswers.push_back(mrNo);
    main.mnuDeleteRekord->trigger();
    EXPECT_TRUE(dialogs.messages.back().text.contains(QString::fromUtf8("Indeks: „7” → „99”")));
    EXPECT_EQ(count(path), 2);
}

TEST_F(Persons, ALockedDatabaseIsSaidAndTheShownPersonStaysConsistent) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                                               {person(QStringLiteral("Bielik")), jpegOf(Qt::green)}});
    commands.setBusyTimeout(200);
    open(path);
    main.mnuPierwszy->trigger();
    ASSERT_EQ(editor.edNazwisko->text(), QStringLiteral("Adamska"));
    auto other = TSQLiteDatabase::Create(path);
    other->Execute(QStringLiteral("BEGIN EXCLUSIVE"));

    const std::size_t before = dialogs.messages.size();
    main.mnuNastepny->trigger();
    ASSERT_EQ(dialogs.messages.size(), before + 1);
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(
        QString::fromUtf8("Baza jest zajęta przez inny program; spróbuj ponownie.")));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Adamska"));
    EXPECT_EQ(editor.Label1->text(), QStringLiteral("1"));
    EXPECT_EQ(editor.lblRekordy->text(), QStringLiteral("1 z 2"));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(commands.CurrentRowNo(), 1);

    editor.edImie->setText(QStringLiteral("Ewa"));
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(
        QString::fromUtf8("Baza jest zajęta przez inny program; spróbuj ponownie.")));
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Ewa"));
    other->Execute(QStringLiteral("COMMIT"));
    EXPECT_EQ(stored(path, *commands.CurrentId()).texts[1], QStringLiteral("Anna"));

    // Free again: the step goes through.
    main.mnuNastepny->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Bielik"));
    EXPECT_EQ(editor.lblRekordy->text(), QStringLiteral("2 z 2"));
}

TEST_F(Persons, ADamagedDatabaseIsNamedAndTheWayOutSuggested) {
    std::vector<std::pair<TPersonTexts, QByteArray>> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({person(QStringLiteral("Osoba%1").arg(i)), QByteArray(900, 'f')});
    const QString path = database(QStringLiteral("osoby.db"), many);
    ASSERT_TRUE(test::damagePages(path, 3, 60));
    open(path);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(
        QString::fromUtf8("Błąd podczas odczytu bazy danych!\n\nPlik bazy danych „%1” jest uszkodzony. Spróbuj "
                          "polecenia „Regeneruj (odśwież) bazę”")
            .arg(path)))
        << dialogs.messages.back().text.toStdString();
    EXPECT_EQ(dialogs.messages.back().type, TMsgDlgType::mtWarning);
}

TEST_F(Persons, TheHighlightedRowIsAlwaysThePersonShown) {
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                                               {person(QStringLiteral("Bielik")), jpegOf(Qt::green)},
                                                               {person(QStringLiteral("Cichy")), jpegOf(Qt::blue)},
                                                               {person(QStringLiteral("Dudek")), jpegOf(Qt::gray)}});
    main.show();
    main.Notes1->setCurrentIndex(main.Notes1->indexOf(grid.parentWidget()));
    open(path);
    const auto at = [&](int row) { return QPoint(grid.CellRect(2, row).Left + 5, grid.CellRect(2, row).Top + 5); };
    const auto look = [&](int row) {
        const TRect cell = grid.CellRect(2, row);
        return grid.viewport()->grab().toImage().pixelColor(cell.Right - 2, cell.Bottom - 2);
    };
    // Nobody chosen yet: no row looks chosen.
    EXPECT_EQ(look(1), toQColor(clWindow));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at(1));
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(pass.lblNazwisko->Caption(), QStringLiteral("Cichy"));
    EXPECT_EQ(look(3), toQColor(clHighlight));
    EXPECT_EQ(look(1), toQColor(clWindow));

    // Marks for many passes never change who the record commands act on.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, at(1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, at(2));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Bielik"));
    EXPECT_EQ(look(1), toQColor(TFajny::kMarkedColor));
    EXPECT_EQ(selectedPersonIds(grid).size(), 2);
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuDeleteRekord->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Zniszczyć rekord 2  jesteś tego pewny ?"));
    EXPECT_EQ(surnames(), QStringList({QStringLiteral("Adamska"), QStringLiteral("Cichy"), QStringLiteral("Dudek")}));

    // Another file: nobody is current, nothing of the last file's person stays on view.
    open(database(QStringLiteral("inna.db"), {{person(QStringLiteral("Ek")), jpegOf(Qt::red)}}));
    EXPECT_EQ(look(1), toQColor(clWindow));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral(" "));
    EXPECT_EQ(pass.lblNazwisko->Caption(), QStringLiteral(" "));
    EXPECT_TRUE(pass.Image11->Picture().isEmpty());
    EXPECT_FALSE(commands.CurrentId().has_value());
}

TEST_F(Persons, TheHighlightFollowsTheCurrentRowWhateverMovedIt) {
    // Dudek has the smallest ID and sorts last.
    const QString path = database(QStringLiteral("osoby.db"), {{person(QStringLiteral("Dudek")), jpegOf(Qt::gray)},
                                                               {person(QStringLiteral("Adamska")), jpegOf(Qt::red)},
                                                               {person(QStringLiteral("Bielik")), jpegOf(Qt::green)},
                                                               {person(QStringLiteral("Cichy")), jpegOf(Qt::blue)}});
    main.show();
    main.Notes1->setCurrentIndex(main.Notes1->indexOf(grid.parentWidget()));
    const auto look = [&](int row) {
        const TRect cell = grid.CellRect(2, row);
        return grid.viewport()->grab().toImage().pixelColor(cell.Right - 2, cell.Bottom - 2);
    };
    const auto highlighted = [&] {
        QList<int> rows;
        for (int r = 1; r < grid.RowCount(); ++r)
            if (look(r) == toQColor(clHighlight))
                rows << r;
        return rows;
    };

    // Regenerating with nobody chosen shows the first person by ID and highlights their row.
    open(path);
    main.mnuRegeneruj->trigger();
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Dudek"));
    EXPECT_EQ(highlighted(), QList<int>{4});
    EXPECT_EQ(editor.lblRekordy->text(), QStringLiteral("4 z 4"));

    // Search hits right after opening a file, the first on the row that was already current.
    open(path);
    EXPECT_TRUE(highlighted().isEmpty());
    main.phraseSearch().find({QStringLiteral("Anna")});
    EXPECT_EQ(highlighted(), QList<int>{1});
    main.ZnajdzNastepny->trigger();
    EXPECT_EQ(highlighted(), QList<int>{2});

    // An added person and an overwritten one who sorts elsewhere now.
    choose(2);
    editor.show();
    editor.edNazwisko->setText(QStringLiteral("Baran"));
    main.mnuDodajRekord->trigger();
    EXPECT_EQ(highlighted(), QList<int>{2});
    EXPECT_EQ(grid.Cells(4, 2), QStringLiteral("Baran"));
    editor.edNazwisko->setText(QStringLiteral("Zawada"));
    dialogs.messageAnswers.push_back(mrYes);
    main.mnuWstawRekord->trigger();
    EXPECT_EQ(grid.Cells(4, 5), QStringLiteral("Zawada"));
    EXPECT_EQ(highlighted(), QList<int>{5});
    main.mnuPoprzedni->trigger();
    EXPECT_EQ(highlighted(), QList<int>{4});
}

TEST_F(Persons, TheLastPrintColumnShowsEachPersonsLatestPassWithTheTemplatesName) {
    const QString path = database(QStringLiteral("wydruki.db"), {{person(QStringLiteral("Kowalska")), {}},
                                                                 {person(QStringLiteral("Nowak")), {}}});
    open(path);
    const auto column = [&] { return QStringList({grid.Cells(kLastPrintColumn, 1), grid.Cells(kLastPrintColumn, 2)}); };
    // Without a register the column is there and empty, and reading it made no table.
    main.OstatniWydruk1->trigger();
    ASSERT_TRUE(main.OstatniWydruk1->isChecked());
    ASSERT_EQ(grid.ColCount(), kLastPrintColumn + 1);
    EXPECT_EQ(grid.ScrollBars(), ssBoth); // past the window's edge, so it can be scrolled to
    EXPECT_EQ(grid.Cells(kLastPrintColumn, 0), QStringLiteral("Ostatni wydruk"));
    EXPECT_EQ(column(), QStringList({QString(), QString()}));
    EXPECT_FALSE(commands.Db()->HasTable(QStringLiteral("wydruki")));

    // Kowalska's pass written to a PDF from the many-passes window, the design saved under a name first.
    dialogs.saveAnswers.push_back(FileDialogResult{file(QStringLiteral("wzor.wzo")), 1});
    main.ZapiszJakoWzorzec1Click();
    choose(1);
    dialogs.saveAnswers.push_back(FileDialogResult{file(QStringLiteral("przepustki.pdf")), 1});
    QTimer::singleShot(0, [] {
        auto* window = dynamic_cast<TFWieleOsob*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        window->rbSelected->setChecked(true);
        EXPECT_TRUE(window->savePdf());
        window->reject();
    });
    main.WieleOsobClick();
    EXPECT_TRUE(column()[0].startsWith(QDate::currentDate().toString(Qt::ISODate))) << column()[0].toStdString();
    EXPECT_EQ(column()[1], QString());
    EXPECT_EQ(commands.Db()->QueryText(QStringLiteral("SELECT Wzorzec FROM wydruki;")), QStringLiteral("wzor.wzo"));

    // The latest of several passes, at every load; off again, the thirteen columns.
    print_register::Record(*commands.Db(), {commands.CurrentId().value()}, QString(), QStringLiteral("drukarka"),
                           QDateTime(QDate(2031, 5, 6), QTime(7, 8)));
    open(path);
    EXPECT_EQ(column(), QStringList({QStringLiteral("2031-05-06 07:08"), QString()}));
    main.OstatniWydruk1->trigger();
    EXPECT_EQ(grid.ColCount(), kPersonGridColumns);
    EXPECT_EQ(grid.ScrollBars(), ssVertical);
}
