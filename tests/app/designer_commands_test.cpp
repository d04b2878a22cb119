#include "app/main_window.h"
#include "app/wendolarka_app.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/multi_bevel.h"
#include "designer/design_history.h"
#include "designer/pass_window.h"
#include "imageset/image_set_window.h"
#include "widgets/color_panel.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "widgets/radio_group.h"
#include "support/full_disk.h"
#include "support/scripted_dialogs.h"
#include "widgets/spin_edit.h"
#include "sizer/size_control.h"

#include <QAction>
#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QFile>
#include <QTemporaryDir>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct Designer : ::testing::Test {
    ScriptedDialogs dialogs;
    FixedDesktop desktop{QRect(0, 0, 1920, 1080)};
    ErrorHandler errors{dialogs};
    WendolarkaApp app{dialogs, desktop, errors};
    TForm2& main = *app.mainWindow();
    TForm1& pass = *app.windows().Form1;

    void showStandardPass() { main.Nowy1->trigger(); }
    void chooseColor(TColor color) {
        dialogs.colorAnswers.push_back(color);
        main.Bit2->click();
    }
};

} // namespace

TEST_F(Designer, ShowingTheStandardPassSynchronisesTheMainWindow) {
    for (TSpinEdit* spin : main.SpinRamka)
        spin->setValue(9);
    main.CheckBoxObramowanie->setChecked(true); // shows the border of the hidden window
    main.Panel3->setColor(clRed);
    app.windows().Form3->show();
    showStandardPass();
    EXPECT_TRUE(pass.isVisible());
    EXPECT_FALSE(app.windows().Form3->isVisible());
    EXPECT_TRUE(main.ZapisBMP1->isEnabled());
    EXPECT_TRUE(main.ZamknijForm1->isEnabled());
    const int widths[] = {3, 3, 2, 2, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(main.SpinRamka[static_cast<std::size_t>(i)]->Value(), widths[i]);
    EXPECT_EQ(main.SpinObramowanie->Value(), 2);
    EXPECT_EQ(main.Panel01->Color(), clBlue);
    EXPECT_EQ(main.Panel2->Color(), clTeal);
    EXPECT_EQ(main.Panel3->Color(), clGreen);
    EXPECT_EQ(main.Panel0->Color(), clBlack);
    EXPECT_EQ(main.PanelForm1->Color(), clWindow);
    EXPECT_FALSE(main.CheckBoxObramowanie->isChecked());
    EXPECT_TRUE(main.CheckBoxFoto->isChecked());
    EXPECT_EQ(main.CheckBoxTytul->isChecked(), pass.lblTytul->Visible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Designer, CheckBoxesShowAndHideElements) {
    showStandardPass();
    main.CheckBoxFoto->setChecked(false);
    EXPECT_FALSE(pass.Image11->Visible());
    const QImage card = pass.Snapshot();
    EXPECT_EQ(card.pixelColor(56, 100), QColor(255, 255, 255));
    main.CheckBoxAdres1->setChecked(true);
    EXPECT_TRUE(pass.lblAdres1->Visible());
}

TEST_F(Designer, TheElementListAppliesTheSample) {
    showStandardPass();
    chooseColor(clYellow);
    EXPECT_EQ(main.pnlKolor->Color(), clYellow);
    const TFont chosen(QStringLiteral("Arial"), 14, fsItalic, clMaroon, EASTEUROPE_CHARSET);
    dialogs.fontAnswers.push_back(chosen);
    main.Bit1->click();
    EXPECT_EQ(main.lblRozmiar->text(), QStringLiteral("14"));
    EXPECT_EQ(dialogs.fontRequests.front().Name(), QStringLiteral("Arial Black"));
    EXPECT_EQ(dialogs.fontRequests.front().Height(), -13);

    const TColor frameColorBefore = pass.Ramka2->Color();
    main.RadioGroup1->setItemIndex(2); // "Nazwisko"
    EXPECT_EQ(pass.lblNazwisko->Color(), clYellow);
    EXPECT_EQ(pass.lblNazwisko->Font(), chosen);
    EXPECT_EQ(pass.Ramka2->Color(), frameColorBefore);

    main.RadioGroup1->setItemIndex(12); // "Ramka2"
    EXPECT_EQ(pass.Ramka2->Color(), clYellow);
    EXPECT_EQ(main.Panel2->Color(), clYellow);
    EXPECT_EQ(pass.lblImie->Color(), clWindow);

    main.RadioGroup1->setItemIndex(17); // "Formatka"
    EXPECT_EQ(pass.Color(), clYellow);
    EXPECT_EQ(main.PanelForm1->Color(), clYellow);

    chooseColor(clRed);
    main.RadioGroup1->setItemIndex(17); // the same entry again: nothing
    EXPECT_EQ(pass.Color(), clYellow);
    main.RadioGroup1->setItemIndex(18);
    EXPECT_EQ(pass.Color(), clYellow);

    // Cancelled dialogs leave the sample alone; the colour dialog opens with its last colour.
    main.Bit2->click();
    main.Bit1->click();
    EXPECT_EQ(main.pnlKolor->Color(), clRed);
    EXPECT_EQ(dialogs.colorRequests.back(), clRed);
    EXPECT_EQ(main.lblRozmiar->text(), QStringLiteral("14"));
}

// "Dopasuj tekst" belongs to the picked text label and shows its state.
TEST_F(Designer, DopasujTekstSwitchesFittingOfThePickedLabel) {
    showStandardPass();
    EXPECT_FALSE(main.CheckBoxDopasuj->isEnabled());
    main.RadioGroup1->setItemIndex(1); // "Imię"
    ASSERT_TRUE(main.CheckBoxDopasuj->isEnabled());
    EXPECT_FALSE(main.CheckBoxDopasuj->isChecked());
    main.CheckBoxDopasuj->click();
    EXPECT_TRUE(pass.lblImie->FitText());
    EXPECT_FALSE(pass.lblNazwisko->FitText());
    main.RadioGroup1->setItemIndex(12); // "Ramka2": no text
    EXPECT_FALSE(main.CheckBoxDopasuj->isEnabled());
    EXPECT_FALSE(main.CheckBoxDopasuj->isChecked());
    main.RadioGroup1->setItemIndex(1);
    EXPECT_TRUE(main.CheckBoxDopasuj->isChecked());
    // The standard layout again: its label does not fit, and the box says so at once.
    pass.keepDesign();
    showStandardPass();
    EXPECT_FALSE(pass.lblImie->FitText());
    EXPECT_FALSE(main.CheckBoxDopasuj->isChecked());
}

TEST_F(Designer, SpinsSetFrameWidthsAsTyped) {
    showStandardPass();
    QLineEdit* edit = main.SpinRamka[0]->findChild<QLineEdit*>();
    edit->clear();
    EXPECT_EQ(pass.Ramka1->BorderWidth(), 0);
    edit->setText(QStringLiteral("-3"));
    EXPECT_EQ(pass.Ramka1->BorderWidth(), -3);
    pass.close();
    main.SpinObramowanie->setValue(7); // the hidden window's frame changes too
    EXPECT_EQ(pass.Rama0->BorderWidth(), 7);
}

TEST_F(Designer, CofnijTakesBackAChangeMadeOnThePagesAndThePagesShowIt) {
    showStandardPass();
    main.SpinRamka[0]->setValue(7);
    main.CheckBoxRamka[1]->setChecked(true);
    pass.history().checkpoint();
    ASSERT_TRUE(main.Cofnij1->isEnabled());
    EXPECT_FALSE(main.Ponow1->isEnabled());
    main.Cofnij1->trigger();
    EXPECT_EQ(pass.Ramka1->BorderWidth(), 3);
    EXPECT_EQ(main.SpinRamka[0]->Value(), 3);
    EXPECT_FALSE(pass.Ramka2->Visible());
    EXPECT_FALSE(main.CheckBoxRamka[1]->isChecked());
    main.Ponow1->trigger();
    EXPECT_EQ(main.SpinRamka[0]->Value(), 7);
    EXPECT_TRUE(main.CheckBoxRamka[1]->isChecked());
    // Showing the standard layout again starts the history anew.
    dialogs.messageAnswers.push_back(mrNo);
    showStandardPass();
    EXPECT_FALSE(main.Cofnij1->isEnabled());
}

TEST_F(Designer, ControlsThatAddressAMissingElementDoNothing) {
    pass.destroyControl(pass.lblNazwisko);
    pass.destroyControl(pass.Ramka2);
    pass.bindSlots();
    main.CheckBoxNazwisko->setChecked(false);
    main.RadioGroup1->setItemIndex(2);
    main.RadioGroup1->setItemIndex(12);
    main.SpinRamka[1]->setValue(5);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(TemplateCommands, SaveAndOpenThroughTheMenuWithTheErrorBoxOnAnyFailure) {
    ScriptedDialogs dialogs;
    FixedDesktop desktop(QRect(0, 0, 1920, 1080));
    ErrorHandler errors(dialogs);
    WendolarkaApp app(dialogs, desktop, errors);
    TForm2& main = *app.mainWindow();
    TForm1& pass = *app.windows().Form1;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("projekt.wzo"));

    main.Nowy1->trigger();
    pass.lblImie->setCaption(QStringLiteral("Zapisana"));
    dialogs.saveAnswers.push_back(FileDialogResult{path, 1});
    main.ZapiszJakoWzorzec1->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].defaultExt, QStringLiteral("wzo"));
    EXPECT_EQ(dialogs.saveRequests[0].filter, QStringLiteral("Pliki (Wzorce).WZO|*.wzo|Dowolny plik (*.*)|*.*"));
    ASSERT_TRUE(QFile::exists(path));

    main.ZamknijForm1->trigger();
    EXPECT_FALSE(main.Druk1->isEnabled());
    // A damaged file: the error box, the design as it was, the commands as they were.
    const QString bad = dir.filePath(QStringLiteral("zly.wzo"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a template");
    file.close();
    pass.lblImie->setCaption(QStringLiteral("Obecna"));
    dialogs.openAnswers.push_back(FileDialogResult{bad, 1});
    main.Otworz1->trigger();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text,
              QString::fromUtf8("Błąd! - nie mogę załadować pliku:  zly.wzo\n        To chyba nie jest typowy wzorzec? "));
    EXPECT_EQ(dialogs.messages.back().type, TMsgDlgType::mtError);
    EXPECT_EQ(pass.lblImie->Caption(), QStringLiteral("Obecna"));
    EXPECT_FALSE(pass.isVisible());
    EXPECT_FALSE(main.Druk1->isEnabled());

    dialogs.openAnswers.push_back(FileDialogResult{path, 1});
    main.Otworz1->trigger();
    EXPECT_EQ(dialogs.openRequests.back().filter, QStringLiteral("Pliki (Wzorce).WZO|*.wzo|Dowolny plik (*.*)|*.*"));
    EXPECT_EQ(pass.lblImie->Caption(), QStringLiteral("Zapisana"));
    EXPECT_TRUE(pass.isVisible());
    EXPECT_TRUE(main.Druk1->isEnabled());

    // Saving into a folder that does not exist: the common error, nothing written.
    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("brak/x.wzo")), 1});
    main.ZapiszJakoWzorzec1->trigger();
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Nie mogę zapisać pliku %1: nie ma takiego folderu.")
                                                .arg(dir.filePath(QStringLiteral("brak/x.wzo"))));
}

TEST_F(Designer, OnAFullDiskSavingAndExportingKeepTheOldFiles) {
    test::FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << test::FullDisk::skipReason();
    showStandardPass();
    const QByteArray oldTemplate(200, 't'), oldPicture(300, 'p');
    disk.put(QStringLiteral("projekt.wzo"), oldTemplate);
    disk.put(QStringLiteral("karta.png"), oldPicture);
    disk.fill();
    const auto contents = [&](const char* name) {
        QFile file(disk.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    dialogs.saveAnswers.push_back(FileDialogResult{disk.filePath(QStringLiteral("projekt.wzo")), 1});
    main.ZapiszJakoWzorzec1->trigger();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text,
              QString::fromUtf8("Nie mogę zapisać pliku %1: brak miejsca na dysku. Poprzednia zawartość pliku została "
                                "zachowana.")
                  .arg(disk.filePath(QStringLiteral("projekt.wzo"))));
    EXPECT_EQ(contents("projekt.wzo"), oldTemplate);

    dialogs.saveAnswers.push_back(FileDialogResult{disk.filePath(QStringLiteral("karta.png")), 3});
    main.ZapisBMP1->trigger();
    EXPECT_TRUE(dialogs.messages.back().text.contains(QString::fromUtf8("brak miejsca na dysku")));
    EXPECT_EQ(contents("karta.png"), oldPicture);
}

TEST_F(Designer, ElementsStayPickableWithTheBorderOn) {
    showStandardPass();
    main.CheckBoxObramowanie->setChecked(true);
    ASSERT_TRUE(pass.Rama0->Visible());
    // A press goes where a real one would: to the widget under the point (the sizer when it lies there).
    const auto click = [&](QPoint at) {
        QWidget* under = pass.childAt(at);
        QWidget* receiver = under ? under : &pass;
        const QPoint local = receiver->mapFrom(&pass, at);
        QTest::mousePress(receiver, Qt::LeftButton, {}, local);
        QCoreApplication::processEvents();
        QTest::mouseRelease(receiver, Qt::LeftButton, {}, local);
        QCoreApplication::processEvents();
    };
    const auto centre = [&](const TControl* c) { return c->BoundsRect().toQRect().center(); };
    click(centre(pass.lblNazwisko)); // lies under the border in the stacking order
    EXPECT_EQ(pass.SizeControl1->Target(), pass.lblNazwisko);
    // The border itself is picked by its band, and a press through its middle picks what lies beneath.
    click(QPoint(1, 100));
    EXPECT_EQ(pass.SizeControl1->Target(), pass.Rama0);
    click(centre(pass.Image11));
    EXPECT_EQ(pass.SizeControl1->Target(), pass.Image11);
    EXPECT_EQ(pass.Image11->Left(), 32); // picked, not dragged
    // On bare ground inside a frame the press is the frame's own: a drag moves it.
    click(QPoint(25, 60)); // the photo frame's band
    ASSERT_EQ(pass.SizeControl1->Target(), pass.Ramka1);
    const QPoint bare(30, 110); // inside the frame, beside the photo
    ASSERT_EQ(pass.controlAt(bare), &pass.client());
    TSizeControl& sizer = *pass.SizeControl1;
    QTest::mousePress(&sizer, Qt::LeftButton, {}, sizer.mapFrom(&pass, bare));
    QTest::mouseMove(&sizer, sizer.mapFrom(&pass, bare + QPoint(10, 6)));
    QTest::mouseRelease(&sizer, Qt::LeftButton, {}, sizer.mapFrom(&pass, bare + QPoint(10, 6)));
    QCoreApplication::processEvents();
    EXPECT_EQ(pass.SizeControl1->Target(), pass.Ramka1);
    EXPECT_EQ(pass.Ramka1->BoundsRect(), TRect::bounds(34, 46, 65, 76));
    // A border hidden while it is the target is let go of; picking goes on.
    click(QPoint(1, 100));
    ASSERT_EQ(pass.SizeControl1->Target(), pass.Rama0);
    main.CheckBoxObramowanie->setChecked(false);
    EXPECT_EQ(pass.SizeControl1->Target(), nullptr);
    click(centre(pass.lblImie));
    EXPECT_EQ(pass.SizeControl1->Target(), pass.lblImie);
}

TEST_F(Designer, AChangedDesignIsNotLostWithoutAWord) {
    QTemporaryDir dir;
    showStandardPass();
    // A person shown or an element picked is no change of design.
    pass.lblNazwisko->setCaption(QStringLiteral("Kowalski"));
    showStandardPass();
    EXPECT_TRUE(dialogs.messages.empty());

    main.SpinRamka[0]->setValue(7);
    ASSERT_EQ(pass.Ramka1->BorderWidth(), 7);
    dialogs.messageAnswers.push_back(mrCancel);
    showStandardPass();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Zapisać zmiany we wzorcu?"));
    EXPECT_EQ(dialogs.messages.back().buttons, mbYes | mbNo | mbCancel);
    EXPECT_EQ(pass.Ramka1->BorderWidth(), 7); // Anuluj: the work stays

    // Tak saves first; the standard layout comes after.
    const QString path = dir.filePath(QStringLiteral("praca.wzo"));
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.saveAnswers.push_back(FileDialogResult{path, 1});
    showStandardPass();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(pass.Ramka1->BorderWidth(), 3);

    // Opening another template and ending the program ask the same; Anuluj keeps the program open.
    main.SpinRamka[0]->setValue(5);
    dialogs.messageAnswers.push_back(mrCancel);
    main.Otworz1->trigger();
    EXPECT_TRUE(dialogs.openRequests.empty());
    QPointer<TForm2> alive(&main);
    dialogs.messageAnswers.push_back(mrCancel);
    main.Konczy1->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(alive.isNull());
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Zapisać zmiany we wzorcu?"));
    // Nie lets it go.
    dialogs.messageAnswers.push_back(mrNo);
    showStandardPass();
    EXPECT_EQ(pass.Ramka1->BorderWidth(), 3);
}

TEST_F(Designer, ASaveThatFailsKeepsTheDesignAndTheProgram) {
    test::FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << test::FullDisk::skipReason();
    disk.fill();
    showStandardPass();
    main.SpinRamka[0]->setValue(7);
    QPointer<TForm2> alive(&main);
    dialogs.messageAnswers.push_back(mrYes); // save the changes...
    dialogs.saveAnswers.push_back(FileDialogResult{disk.filePath(QStringLiteral("praca.wzo")), 1});
    main.Konczy1->trigger(); // ...onto a full disk
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(alive.isNull());
    EXPECT_TRUE(dialogs.messages.back().text.contains(QString::fromUtf8("brak miejsca na dysku")));
    EXPECT_EQ(pass.Ramka1->BorderWidth(), 7);
}
