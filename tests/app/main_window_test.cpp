#include "app/main_window.h"
#include "persons/phrase_search.h"
#include "app/wendolarka_app.h"
#include "persons/find_dialog.h"
#include "persons/record_edit_window.h"
#include "designer/fixed_elements_dialog.h"
#include "help/help_window.h"
#include "imageset/image_set_window.h"
#include "printing/print_window.h"
#include "designer/pass_window.h"
#include "grid/sortable_grid.h"
#include "widgets/color_panel.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "widgets/radio_group.h"
#include "support/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct MainWindowFixture : ::testing::Test {
    ScriptedDialogs dialogs;
    FixedDesktop desktop{QRect(0, 0, 1920, 1080)};
    ErrorHandler errors{dialogs};
    std::unique_ptr<TForm2> form = std::make_unique<TForm2>(TForm2::Services{dialogs, desktop, errors});
};

QStringList captions(const QMenu* menu) {
    QStringList result;
    for (const QAction* action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result;
}

} // namespace

TEST(MainWindowPlacement, BottomRightOfTheVirtualDesktopWithoutClamping) {
    const QSize outer = TForm2::kOuterSize;
    EXPECT_EQ(mainWindowPlacement(QRect(0, 0, 1920, 1080), outer), QPoint(1279, 791));
    EXPECT_EQ(mainWindowPlacement(QRect(0, 0, 3200, 1080), outer), QPoint(2559, 791));
    EXPECT_EQ(mainWindowPlacement(QRect(0, 0, 500, 200), outer), QPoint(-141, -89));
}

TEST_F(MainWindowFixture, WindowIsPlacedAndCaptioned) {
    EXPECT_EQ(form->pos(), QPoint(1279, 791));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Wendolarka wer. 1.4 "));
    EXPECT_EQ(form->size(), QSize(601, 239));
    EXPECT_TRUE(form->font().bold());
    EXPECT_EQ(form->font().pixelSize(), 11);
    // An ordinary top-level window: it has its taskbar and Alt+Tab entry.
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(form->windowType(), Qt::Window);
}

TEST_F(MainWindowFixture, MenusAreLaidOutAsTabled) {
    QStringList titles;
    for (const QAction* action : form->menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles, QStringList({QStringLiteral("&Formatka I "), QStringLiteral("For&matka II "),
                                   QStringLiteral("&Baza"), QStringLiteral("Elementy"),
                                   QStringLiteral("&Pomoc"), QStringLiteral("&Koniec")}));
    EXPECT_EQ(captions(form->Forma1),
              QStringList({QString::fromUtf8("&Pokaż standardową formatkę I"),
                           QString::fromUtf8("&Otwórz istniejący wzorzec"),
                           QString::fromUtf8("O&statnie wzorce"),
                           QString::fromUtf8("&Zapisz formatkę jako wzorzec"), QStringLiteral("-"),
                           QString::fromUtf8("&Cofnij"), QString::fromUtf8("Po&nów"), QStringLiteral("-"),
                           QString::fromUtf8("Zapis formatki do pliku JPG lub &BMP"),
                           QString::fromUtf8("Pionowy podgląd i &druk Formatki I"),
                           QString::fromUtf8("Poziomy podgląd i druk &formatki I"),
                           QString::fromUtf8("Przepustki dla &wielu osób…"),
                           QString::fromUtf8("&Kalibracja drukarki…"),
                           QString::fromUtf8("&Teksty złożone i kody"), QStringLiteral("-"),
                           QString::fromUtf8("Za&mknij Formatkę I")}));
    EXPECT_EQ(captions(form->Baza1),
              QStringList({QString::fromUtf8("&Utwórz nową bazę"), QString::fromUtf8("&Otwórz bazę"),
                           QString::fromUtf8("O&twórz ostatnią bazę"),
                           QString::fromUtf8("&Regeneruj (odśwież) bazę"), QString::fromUtf8("&Importuj osoby z listy…"),
                           QString::fromUtf8("Eksportuj osoby do &pliku…"),
                           QString::fromUtf8("&Dopasuj zdjęcia wszystkich osób…"), QStringLiteral("-"),
                           QString::fromUtf8("&Edycja aktualnego rekordu"), QStringLiteral("-"),
                           QString::fromUtf8("Z&najdź frazę"), QString::fromUtf8("Znajdź następną"), QStringLiteral("-"),
                           QString::fromUtf8("Kolumna „Ostatni &wydruk”")}));
    EXPECT_EQ(captions(form->LadujObraz2).size(), 10);
    EXPECT_EQ(form->Dla[9]->objectName(), QStringLiteral("Dla101"));
    EXPECT_EQ(form->Dla[9]->text(), QStringLiteral("Obraz 10"));
    EXPECT_EQ(form->OtworzBaze1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(form->Edytuj1->shortcut(), QKeySequence(QStringLiteral("F4")));
    EXPECT_EQ(form->ZnajdzNastepny->shortcut(), QKeySequence(QStringLiteral("F3")));
    EXPECT_EQ(form->mnuFAQ->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(form->Pomoc1->menuAction()->shortcut(), QKeySequence(QStringLiteral("F1")));
    // The record commands are operations, not menu-bar entries.
    EXPECT_FALSE(form->menuBar()->actions().contains(form->mnuRekordy->menuAction()));
    EXPECT_FALSE(form->mnuDodajRekord->isVisible());
    EXPECT_TRUE(form->mnuPierwszy->isVisible());
    EXPECT_EQ(form->mnuDeleteRekord->text(), QStringLiteral("Zniszcz Rekord"));
}

TEST_F(MainWindowFixture, CommandGroupsStartDisabledAndCloseDisablesAgain) {
    const std::vector<QAction*> formatka1 = {form->ZapiszJakoWzorzec1, form->ZapisBMP1, form->Druk1,
                                             form->ZamknijForm1, form->PoziomyDruk1};
    const std::vector<QAction*> formatka2 = {form->LadujObraz2->menuAction(), form->ZapiszForme2jakoJPG,
                                             form->Zamknij1, form->DrukFormatki2, form->PoziomyDruk2};
    for (QAction* item : formatka1)
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    for (QAction* item : formatka2)
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    EXPECT_FALSE(form->ZnajdzNastepny->isEnabled());
    for (QAction* always : {form->Nowy1, form->Otworz1, form->PokazForme2, form->NowaBaza1,
                            form->Znajdz1, form->mnuUkos, form->Konczy1})
        EXPECT_TRUE(always->isEnabled());

    for (QAction* item : formatka1)
        item->setEnabled(true);
    form->ZamknijForm1->trigger();
    for (QAction* item : formatka1)
        EXPECT_FALSE(item->isEnabled());
    for (QAction* item : formatka2)
        item->setEnabled(true);
    form->Zamknij1->trigger();
    for (QAction* item : formatka2)
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowFixture, ChangingThePageAlwaysEmptiesTheElementChoice) {
    ASSERT_EQ(form->Notes1->count(), 4);
    QStringList pages;
    for (int i = 0; i < 4; ++i) {
        pages << form->Notes1->tabText(i);
        EXPECT_EQ(form->Notes1->widget(i)->property("HelpContext").toInt(), i);
    }
    EXPECT_EQ(pages, QStringList({QStringLiteral("Elementy widoczne"), QStringLiteral("Fonty i kolory"),
                                  QStringLiteral("Ramki i obramowanie"), QStringLiteral("Baza danych")}));
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 18);
    EXPECT_EQ(form->RadioGroup1->Items().size(), 19);
    EXPECT_EQ(form->RadioGroup1->Items().last(), QStringLiteral("# Pusty #"));
    form->Notes1->setCurrentIndex(1);
    form->RadioGroup1->setItemIndex(4);
    form->Notes1->setCurrentIndex(2);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 18);
    form->RadioGroup1->setItemIndex(0);
    form->Notes1->setCurrentIndex(3); // left a page other than "Fonty i kolory"
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 18);
}

TEST_F(MainWindowFixture, PagesStartWithTheirTabledStates) {
    const std::vector<std::pair<QCheckBox*, bool>> boxes = {
        {form->CheckBoxTytul, false},    {form->CheckBoxImie, true},      {form->CheckBoxNazwisko, true},
        {form->CheckBoxPriorytet, true}, {form->CheckBoxIndex, false},    {form->CheckBoxFoto, true},
        {form->CheckBoxAdres1, false},   {form->CheckBoxAdres2, false},   {form->CheckBoxTelefon1, true},
        {form->CheckBoxTelefon2, false}, {form->CheckBoxUsluga1, false},  {form->CheckBoxUsluga2, false},
        {form->CheckBoxRamka[0], true},  {form->CheckBoxRamka[4], false}, {form->CheckBoxObramowanie, false},
    };
    for (const auto& [box, checked] : boxes)
        EXPECT_EQ(box->isChecked(), checked) << box->objectName().toStdString();
    EXPECT_EQ(form->CheckBoxUsluga2->geometry(), QRect(131, 120, 88, 17));
    EXPECT_EQ(form->CheckBoxObramowanie->pos(), QPoint(268, 120));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(form->cb[static_cast<std::size_t>(i)]->isChecked(), i < 4);
    EXPECT_EQ(form->cb[7]->pos(), QPoint(88, 70));

    for (TSpinEdit* spin : form->SpinRamka)
        EXPECT_EQ(spin->Value(), 2);
    EXPECT_EQ(form->SpinObramowanie->Value(), 2);
    EXPECT_EQ(form->Panel01->Color(), clBlue);
    EXPECT_EQ(form->Panel2->Color(), clLime);
    EXPECT_EQ(form->Panel0->Color(), clFuchsia);
    EXPECT_EQ(form->pnlKolor->Color(), clWhite);
    EXPECT_EQ(form->PanelForm1->Color(), clWhite);
    EXPECT_TRUE(form->PanelForm1->isHidden());
    EXPECT_TRUE(form->LabelCount->isHidden());
    EXPECT_EQ(form->lblRozmiar->text(), QStringLiteral("8"));
    EXPECT_EQ(form->lblFonty->text(), QStringLiteral("F"));
}

TEST_F(MainWindowFixture, GridHasThirteenColumnsWithTheLaterOnesHidden) {
    TFajny* grid = form->G1;
    EXPECT_EQ(grid->ColCount(), 13);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->FixedRows(), 1);
    EXPECT_EQ(grid->FixedColor(), clBtnFace);
    EXPECT_EQ(grid->UseFixed(), hfNot);
    EXPECT_FALSE(grid->SortOnClick());
    EXPECT_TRUE(form->phraseSearch().SearchByRows());
    EXPECT_EQ(grid->Cells(5, 0), QStringLiteral("Priorytet "));
    EXPECT_EQ(grid->Cells(11, 0), QString::fromUtf8("Usługa1 "));
    const std::vector<int> shown = {30, 0, 110, 140, 170, 80, 0, 0, 0, 0, 0, 0, 0};
    for (int c = 0; c < 13; ++c)
        EXPECT_EQ(grid->ColWidths(c), shown[static_cast<std::size_t>(c)]) << c;
    grid->ShowColumnRange(6, 12);
    const std::vector<int> restored = {84, 240, 240, 260, 260, 340, 340};
    for (int c = 6; c < 13; ++c)
        EXPECT_EQ(grid->ColWidths(c), restored[static_cast<std::size_t>(c - 6)]) << c;
}

TEST(Application, WindowsAreCreatedHiddenButTheMainOneAndTheMainOneEndsTheProgram) {
    ScriptedDialogs dialogs;
    FixedDesktop desktop(QRect(0, 0, 1920, 1080));
    ErrorHandler errors(dialogs);
    WendolarkaApp app(dialogs, desktop, errors);
    const AppWindows& w = app.windows();
    ASSERT_NE(w.Form2, nullptr);
    EXPECT_EQ(w.Form1->objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(w.FUkos->windowTitle(), QString::fromUtf8("Elementy stałe"));
    QPointer<TForm2> main = app.mainWindow();
    main->show();
    for (QWidget* other : {static_cast<QWidget*>(w.Form3), static_cast<QWidget*>(w.FDruk),
                           static_cast<QWidget*>(w.finddlg), static_cast<QWidget*>(w.FEdycja),
                           static_cast<QWidget*>(w.Form1), static_cast<QWidget*>(w.FUkos),
                           static_cast<QWidget*>(w.Fhelp)})
        EXPECT_FALSE(other->isVisible()) << other->objectName().toStdString();

    main->mnuUkos->trigger();
    EXPECT_TRUE(w.FUkos->isVisible());
    w.Form1->show();
    main->ZamknijForm1->setEnabled(true);
    main->ZamknijForm1->trigger();
    EXPECT_FALSE(w.Form1->isVisible());

    main->Konczy1->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.isNull());
}
