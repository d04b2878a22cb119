#include "main_window.h"

#include "persons/phrase_search.h"

#include "designer/pass_elements.h"
#include "grid/sortable_grid.h"
#include "persons/person_commands.h"
#include "persons/person_grid.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "widgets/color_panel.h"
#include "widgets/form_setup.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

// Building the main window: its pages, menus and the wiring of their controls.
// What the commands do lives beside, in main_window.cpp.
namespace wendolarka {
namespace {


const QStringList& elementListItems() {
    static const QStringList items = {
        QStringLiteral("Tytuł"),    QStringLiteral("Imię"),     QStringLiteral("Nazwisko"),
        QStringLiteral("Priorytet"), QStringLiteral("Index"),   QStringLiteral("Adres1"),
        QStringLiteral("Adres2"),   QStringLiteral("Telefon1"), QStringLiteral("Telefon2"),
        QStringLiteral("Usługa1"),  QStringLiteral("Usługa2"),  QStringLiteral("Ramka1"),
        QStringLiteral("Ramka2"),   QStringLiteral("Ramka3"),   QStringLiteral("Ramka4"),
        QStringLiteral("Ramka5"),   QStringLiteral("Obramowanie"), QStringLiteral("Formatka"),
        QStringLiteral("# Pusty #"),
    };
    return items;
}

struct VisibilityBinding {
    const char* element;
    const char* checkBox;
};

// Which check box of the "Elementy widoczne" page shows which element.
constexpr std::array<VisibilityBinding, 18> kVisibilityBindings = {{
    {"lblTytul", "CheckBoxTytul"},       {"lblImie", "CheckBoxImie"},
    {"lblNazwisko", "CheckBoxNazwisko"}, {"lblPriorytet", "CheckBoxPriorytet"},
    {"lblIndex", "CheckBoxIndex"},       {"Image11", "CheckBoxFoto"},
    {"lblAdres1", "CheckBoxAdres1"},     {"lblAdres2", "CheckBoxAdres2"},
    {"lblTelefon1", "CheckBoxTelefon1"}, {"lblTelefon2", "CheckBoxTelefon2"},
    {"lblusluga1", "CheckBoxUsluga1"},   {"lblUsluga2", "CheckBoxUsluga2"},
    {"Ramka1", "CheckBoxRamka1"},        {"Ramka2", "CheckBoxRamka2"},
    {"Ramka3", "CheckBoxRamka3"},        {"Ramka4", "CheckBoxRamka4"},
    {"Ramka5", "CheckBoxRamka5"},        {"Rama0", "CheckBoxObramowanie"},
}};

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const char* caption, QRect geometry,
                        bool checked) {
    auto* box = new QCheckBox(utf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setChecked(checked);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

QCheckBox* TForm2::visibilityBox(const QString& elementName) const {
    for (const auto& binding : kVisibilityBindings)
        if (elementName == QLatin1String(binding.element))
            return findChild<QCheckBox*>(QLatin1String(binding.checkBox));
    return nullptr;
}

QPoint mainWindowPlacement(const QRect& virtualDesktop, QSize outerSize) {
    return {virtualDesktop.width() - outerSize.width() - 40,
            virtualDesktop.height() - outerSize.height() - 50};
}

TForm2::TForm2(Services services, QWidget* parent)
    : QMainWindow(parent), m_services(services) {
    initForm(*this, {QStringLiteral("Form2"), QStringLiteral("Wendolarka wer. 1.4 "), kOuterSize,
                     clSilver, TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), false});

    Notes1 = named(new QTabWidget(this), "Notes1");
    setTextColor(*Notes1->tabBar(), clBlack);
    setCentralWidget(Notes1);
    createVisibilityPage();
    createFontsPage();
    createFramesPage();
    createGridPage();
    createMenus();
    createComposedMenu();
    createRecentItems();
    connectDesignerControls();
    connect(Notes1, &QTabWidget::currentChanged, this, [this] {
        m_services.errors.guard([this] { Notes1Change(); });
    });
    FormCreate();
}

QAction* TForm2::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

template <typename Handler>
void TForm2::bind(QAction* action, Handler handler) {
    connect(action, &QAction::triggered, this,
            [this, handler] { m_services.errors.guard([this, handler] { (this->*handler)(); }); });
}

void TForm2::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setFont(TFont(QStringLiteral("MS Sans Serif"), 8).toQFont());

    Forma1 = named(bar->addMenu(utf8("&Formatka I ")), "Forma1");
    Nowy1 = addItem(Forma1, "Nowy1", utf8("&Pokaż standardową formatkę I"));
    Otworz1 = addItem(Forma1, "Otworz1", utf8("&Otwórz istniejący wzorzec"));
    ZapiszJakoWzorzec1 = addItem(Forma1, "ZapiszJakoWzorzec1", utf8("&Zapisz formatkę jako wzorzec"));
    Forma1->addSeparator()->setObjectName(QStringLiteral("N11"));
    Cofnij1 = addItem(Forma1, "Cofnij1", utf8("&Cofnij"));
    Ponow1 = addItem(Forma1, "Ponow1", utf8("Po&nów"));
    Forma1->addSeparator()->setObjectName(QStringLiteral("N1"));
    ZapisBMP1 = addItem(Forma1, "ZapisBMP1", utf8("Zapis formatki do pliku JPG lub &BMP"));
    Druk1 = addItem(Forma1, "Druk1", utf8("Pionowy podgląd i &druk Formatki I"));
    PoziomyDruk1 = addItem(Forma1, "PoziomyDruk1", utf8("Poziomy podgląd i druk &formatki I"));
    WieleOsob = addItem(Forma1, "WieleOsob", utf8("Przepustki dla &wielu osób…"));
    KalibracjaDrukarki1 = addItem(Forma1, "KalibracjaDrukarki1", utf8("&Kalibracja drukarki…"));
    Forma1->addSeparator()->setObjectName(QStringLiteral("N3"));
    ZamknijForm1 = addItem(Forma1, "ZamknijForm1", utf8("Za&mknij Formatkę I"));
    bind(ZamknijForm1, &TForm2::ZamknijForm1Click);
    bind(Nowy1, &TForm2::Nowy1Click);
    bind(Otworz1, &TForm2::LadujeDFMClick);
    bind(Druk1, &TForm2::Druk1Click);
    bind(PoziomyDruk1, &TForm2::PoziomyDruk1Click);
    bind(ZapiszJakoWzorzec1, &TForm2::ZapiszJakoWzorzec1Click);
    bind(Cofnij1, &TForm2::Cofnij1Click);
    bind(Ponow1, &TForm2::Ponow1Click);
    bind(ZapisBMP1, &TForm2::btnZapisBMPClick);
    bind(WieleOsob, &TForm2::WieleOsobClick);
    bind(KalibracjaDrukarki1, &TForm2::KalibracjaDrukarki1Click);

    Forma2 = named(bar->addMenu(utf8("For&matka II ")), "Forma2");
    PokazForme2 = addItem(Forma2, "PokazForme2", utf8("&Pokaż formatkę II"));
    Forma2->addSeparator()->setObjectName(QStringLiteral("N7"));
    LadujObraz2 = named(Forma2->addMenu(utf8("&Załaduj do formatki II obraz")), "LadujObraz2");
    for (int i = 0; i < 10; ++i) {
        const QByteArray name = "Dla" + QByteArray::number(i + 1) + "1";
        Dla[static_cast<std::size_t>(i)] =
            addItem(LadujObraz2, name.constData(), QStringLiteral("Obraz %1").arg(i + 1));
    }
    Forma2->addSeparator()->setObjectName(QStringLiteral("N2"));
    ZapiszForme2jakoJPG = addItem(Forma2, "ZapiszForme2jakoJPG", utf8("Zapisz Formatkę II jako &JPG lub BMP"));
    Forma2->addSeparator()->setObjectName(QStringLiteral("N8"));
    DrukFormatki2 = addItem(Forma2, "DrukFormatki2", utf8("Pionowy podgląd i &druk formatki II"));
    PoziomyDruk2 = addItem(Forma2, "PoziomyDruk2", utf8("Poziomy podgląd i druk &formatki II"));
    Forma2->addSeparator()->setObjectName(QStringLiteral("N9"));
    Zamknij1 = addItem(Forma2, "Zamknij1", utf8("Za&mknij Formatkę II"));
    bind(Zamknij1, &TForm2::Zamknij1Click);
    bind(PokazForme2, &TForm2::PokazForme2Click);
    bind(ZapiszForme2jakoJPG, &TForm2::ZapiszForme2jakoJPGClick);
    for (int k = 1; k <= 10; ++k)
        connect(Dla[static_cast<std::size_t>(k - 1)], &QAction::triggered, this,
                [this, k] { m_services.errors.guard([this, k] { DlaClick(k); }); });
    bind(DrukFormatki2, &TForm2::DrukFormatki2Click);
    bind(PoziomyDruk2, &TForm2::PoziomyDruk2Click);

    Baza1 = named(bar->addMenu(utf8("&Baza")), "Baza1");
    NowaBaza1 = addItem(Baza1, "NowaBaza1", utf8("&Utwórz nową bazę"));
    OtworzBaze1 = addItem(Baza1, "OtworzBaze1", utf8("&Otwórz bazę"));
    OtworzBaze1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuRegeneruj = addItem(Baza1, "mnuRegeneruj", utf8("&Regeneruj (odśwież) bazę"));
    ImportujOsoby1 = addItem(Baza1, "ImportujOsoby1", utf8("&Importuj osoby z listy…"));
    EksportujOsoby1 = addItem(Baza1, "EksportujOsoby1", utf8("Eksportuj osoby do &pliku…"));
    DopasujZdjecia1 = addItem(Baza1, "DopasujZdjecia1", utf8("&Dopasuj zdjęcia wszystkich osób…"));
    Baza1->addSeparator()->setObjectName(QStringLiteral("N6"));
    Edytuj1 = addItem(Baza1, "Edytuj1", utf8("&Edycja aktualnego rekordu"));
    Edytuj1->setShortcut(QKeySequence(Qt::Key_F4));
    Baza1->addSeparator()->setObjectName(QStringLiteral("N4"));
    Znajdz1 = addItem(Baza1, "Znajdz1", utf8("Z&najdź frazę"));
    ZnajdzNastepny = addItem(Baza1, "ZnajdzNastepny", utf8("Znajdź następną"));
    ZnajdzNastepny->setShortcut(QKeySequence(Qt::Key_F3));
    Baza1->addSeparator()->setObjectName(QStringLiteral("N10"));
    OstatniWydruk1 = addItem(Baza1, "OstatniWydruk1", utf8("Kolumna „Ostatni &wydruk”"));
    OstatniWydruk1->setCheckable(true);

    // A menu-bar entry without items is itself the command.
    mnuUkos = named(bar->addAction(utf8("Elementy")), "mnuUkos");
    bind(mnuUkos, &TForm2::mnuUkosClick);

    Pomoc1 = named(bar->addMenu(utf8("&Pomoc")), "Pomoc1");
    Pomoc1->menuAction()->setShortcut(QKeySequence(Qt::Key_F1));
    mnuFAQ = addItem(Pomoc1, "mnuFAQ", utf8("Wskazówki merytoryczne"));
    mnuFAQ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    bind(mnuFAQ, &TForm2::mnuFAQClick);

    Konczy1 = named(bar->addAction(utf8("&Koniec")), "Konczy1");
    bind(Konczy1, &TForm2::Koniec1Click);

    // The record commands exist as named operations; their menu is never shown.
    mnuRekordy = named(new QMenu(utf8("Rekordy"), this), "mnuRekordy");
    mnuRekordy->menuAction()->setVisible(false);
    mnuDodajRekord = addItem(mnuRekordy, "mnuDodajRekord", utf8("Dodaj Rekord"));
    mnuWstawRekord = addItem(mnuRekordy, "mnuWstawRekord", utf8("WstawRekord"));
    mnuDeleteRekord = addItem(mnuRekordy, "mnuDeleteRekord", utf8("Zniszcz Rekord"));
    for (QAction* hidden : {mnuDodajRekord, mnuWstawRekord, mnuDeleteRekord})
        hidden->setVisible(false);
    mnuRekordy->addSeparator()->setObjectName(QStringLiteral("N5"));
    mnuPierwszy = addItem(mnuRekordy, "mnuPierwszy", utf8("Pierwszy rekord"));
    mnuPoprzedni = addItem(mnuRekordy, "mnuPoprzedni", utf8("Poprzedni rekord"));
    mnuNastepny = addItem(mnuRekordy, "mnuNastepny", utf8("Następny rekord"));
    mnuOstatni = addItem(mnuRekordy, "mnuOstatni", utf8("Ostatni rekord"));

    bind(NowaBaza1, &TForm2::NowaBaza1Click);
    bind(OtworzBaze1, &TForm2::OtworzBaze1Click);
    bind(mnuRegeneruj, &TForm2::mnuRegenerujClick);
    bind(ImportujOsoby1, &TForm2::ImportujOsoby1Click);
    bind(EksportujOsoby1, &TForm2::EksportujOsoby1Click);
    bind(DopasujZdjecia1, &TForm2::DopasujZdjecia1Click);
    bind(Edytuj1, &TForm2::Edytuj1Click);
    bind(Znajdz1, &TForm2::Znajdz1Click);
    bind(ZnajdzNastepny, &TForm2::ZnajdzNastepnyClick);
    bind(OstatniWydruk1, &TForm2::OstatniWydruk1Click);
    bind(mnuDodajRekord, &TForm2::mnuDodajRekordClick);
    bind(mnuWstawRekord, &TForm2::mnuWstawRekordClick);
    bind(mnuDeleteRekord, &TForm2::mnuDeleteRekordClick);
    bind(mnuPierwszy, &TForm2::mnuPierwszyClick);
    bind(mnuPoprzedni, &TForm2::mnuPoprzedniClick);
    bind(mnuNastepny, &TForm2::mnuNastepnyClick);
    bind(mnuOstatni, &TForm2::mnuOstatniClick);
}

void TForm2::createVisibilityPage() {
    auto* page = named(new QWidget, "TabElementy");
    page->setProperty("HelpContext", 0);
    Notes1->addTab(page, utf8("Elementy widoczne"));

    GroupFormatka1 = named(new QGroupBox(utf8("  Formatki I  "), page), "GroupFormatka1");
    GroupFormatka2 = named(new QGroupBox(utf8("  Obrazy Formatki II  "), page), "GroupFormatka2");
    setTextColor(*GroupFormatka2, clGreen);

    QWidget* g = GroupFormatka1;
    const auto box = [g](const char* name, const char* caption, int left, int width, int row,
                         bool checked) {
        return makeCheckBox(g, name, caption, QRect(left, 20 + 20 * row, width, 17), checked);
    };
    CheckBoxTytul = box("CheckBoxTytul", "Tytuł", 16, 105, 0, false);
    CheckBoxImie = box("CheckBoxImie", "Imię", 16, 105, 1, true);
    CheckBoxNazwisko = box("CheckBoxNazwisko", "Nazwisko", 16, 105, 2, true);
    CheckBoxPriorytet = box("CheckBoxPriorytet", "Priorytet", 16, 105, 3, true);
    CheckBoxIndex = box("CheckBoxIndex", "Index", 16, 105, 4, false);
    CheckBoxFoto = box("CheckBoxFoto", "Foto", 16, 105, 5, true);
    CheckBoxAdres1 = box("CheckBoxAdres1", "Adres1", 131, 88, 0, false);
    CheckBoxAdres2 = box("CheckBoxAdres2", "Adres2", 131, 88, 1, false);
    CheckBoxTelefon1 = box("CheckBoxTelefon1", "Telefon1", 131, 88, 2, true);
    CheckBoxTelefon2 = box("CheckBoxTelefon2", "Telefon2", 131, 88, 3, false);
    CheckBoxUsluga1 = box("CheckBoxUsluga1", "Usługa1", 131, 88, 4, false);
    CheckBoxUsluga2 = box("CheckBoxUsluga2", "Usługa2", 131, 88, 5, false);
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "CheckBoxRamka" + QByteArray::number(i + 1);
        const QByteArray caption = "Ramka" + QByteArray::number(i + 1);
        CheckBoxRamka[static_cast<std::size_t>(i)] =
            box(name.constData(), caption.constData(), 268, 97, i, i == 0);
    }
    CheckBoxObramowanie = box("CheckBoxObramowanie", "Obramowanie", 268, 97, 5, false);

    for (int i = 0; i < 10; ++i) {
        const QByteArray name = "cb" + QByteArray::number(i + 1);
        const QByteArray caption = QByteArray::number(i + 1);
        cb[static_cast<std::size_t>(i)] =
            makeCheckBox(GroupFormatka2, name.constData(), caption.constData(),
                         QRect(i < 5 ? 24 : 88, 20 + 25 * (i % 5), 41, 17), i < 4);
        connect(cb[static_cast<std::size_t>(i)], &QCheckBox::toggled, this,
                [this] { m_services.errors.guard([this] { cb1Click(); }); });
    }

    // The images group keeps to the right edge; the pass group takes the rest.
    struct PageLayout : QObject {
        QGroupBox* left;
        QGroupBox* right;
        PageLayout(QObject* parent, QGroupBox* l, QGroupBox* r) : QObject(parent), left(l), right(r) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Resize) {
                const QSize size = static_cast<QWidget*>(watched)->size();
                right->setGeometry(size.width() - 139, 0, 139, size.height());
                left->setGeometry(0, 0, size.width() - 139, size.height());
            }
            return false;
        }
    };
    page->installEventFilter(new PageLayout(page, GroupFormatka1, GroupFormatka2));
}

void TForm2::createFontsPage() {
    auto* page = named(new QWidget, "TabFonty");
    page->setProperty("HelpContext", 1);
    Notes1->addTab(page, utf8("Fonty i kolory"));

    RadioGroup1 = named(new TRadioGroup(page), "RadioGroup1");
    RadioGroup1->setGeometry(0, 0, 378, 144);
    RadioGroup1->setColumns(3);
    RadioGroup1->setItems(elementListItems());
    RadioGroup1->setItemIndex(kEmptyEntry);

    Bevel1 = named(new QFrame(page), "Bevel1");
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(384, 4, 196, 140);

    LabelStylFontow = makeLabel(page, "LabelStylFontow", utf8("Styl, kolor i rozmiar fontów:"), {392, 12});
    PanelFonty = named(new QFrame(page), "PanelFonty");
    PanelFonty->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackground(*PanelFonty, clGreen);
    lblFonty = named(new QLabel(QStringLiteral("F"), PanelFonty), "lblFonty");
    m_sampleFont = TFont(QStringLiteral("Arial Black"), 8, fsBold, clRed, EASTEUROPE_CHARSET);
    m_fontDialogFont = TFont(QStringLiteral("Arial Black"), 10, fsBold, clWindowText, EASTEUROPE_CHARSET);
    lblFonty->setFont(m_sampleFont.toQFont());
    setTextColor(*lblFonty, m_sampleFont.Color());
    lblFonty->adjustSize();
    lblFonty->move(2, 2);
    PanelFonty->setGeometry(396, 36, lblFonty->width() + 4, lblFonty->height() + 4);
    lblRozmiar = makeLabel(page, "lblRozmiar", QStringLiteral("8"), {PanelFonty->geometry().right() + 10, 40});
    setTextColor(*lblRozmiar, clGreen);
    Bit1 = named(new QPushButton(page), "Bit1");
    Bit1->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    Bit1->setToolTip(utf8("Otwiera okno dialogowe doboru fontów"));
    Bit1->setGeometry(520, 32, 40, 26);

    LabelKolorTla = makeLabel(page, "LabelKolorTla", utf8("Kolor tła elementu:"), {392, 78});
    pnlKolor = named(new TColorPanel(clWhite, page), "pnlKolor");
    pnlKolor->setGeometry(396, 100, 60, 26);
    Bit2 = named(new QPushButton(page), "Bit2");
    Bit2->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    Bit2->setToolTip(utf8("Otwiera okno dialogowe wyboru koloru"));
    Bit2->setGeometry(520, 100, 40, 26);

    CheckBoxDopasuj = makeCheckBox(page, "CheckBoxDopasuj", "Dopasuj tekst", QRect(392, 128, 180, 15), false);
    CheckBoxDopasuj->setToolTip(utf8("Zmniejsza font wybranego tekstu, aż tekst zmieści się w swoim polu"));
    CheckBoxDopasuj->setEnabled(false);

    LabelCount = makeLabel(page, "LabelCount", QStringLiteral("0"), {392, 150});
    LabelCount->hide();
}

void TForm2::createFramesPage() {
    auto* page = named(new QWidget, "TabRamki");
    page->setProperty("HelpContext", 2);
    Notes1->addTab(page, utf8("Ramki i obramowanie"));

    struct FrameGroup {
        const char* caption;
        const char* spin;
        const char* panel;
        TColor color;
    };
    const std::array<FrameGroup, 6> groups = {{
        {"  Ramka 1  ", "SpinRamka1", "Panel01", clBlue},
        {"  Ramka 2  ", "SpinRamka2", "Panel2", clLime},
        {"  Ramka 3  ", "SpinRamka3", "Panel3", clBlack},
        {"  Ramka 4  ", "SpinRamka4", "Panel4", clYellow},
        {"  Ramka 5  ", "SpinRamka5", "Panel5", clRed},
        {" Obramowanie ", "SpinObramowanie", "Panel0", clFuchsia},
    }};
    std::array<TColorPanel*, 6> panels{};
    std::array<TSpinEdit*, 6> spins{};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const FrameGroup& g = groups[i];
        auto* box = new QGroupBox(utf8(g.caption), page);
        box->setObjectName(QStringLiteral("GroupRamka%1").arg(i + 1));
        box->setGeometry(4 + static_cast<int>(i) * 96, 4, 92, 140);
        const bool border = i == 5;
        if (border)
            setTextColor(*box, clGreen);
        makeLabel(box, "", utf8(border ? "Szerokość " : "Szerokość"), {10, 22});
        spins[i] = named(new TSpinEdit(box), g.spin);
        spins[i]->setGeometry(10, 40, 60, 22);
        spins[i]->setValue(2);
        makeLabel(box, "", utf8("Kolor:"), {10, 72});
        panels[i] = named(new TColorPanel(g.color, box), g.panel);
        panels[i]->setGeometry(10, 90, 60, 24);
    }
    std::copy_n(spins.begin(), 5, SpinRamka.begin());
    SpinObramowanie = spins[5];
    Panel01 = panels[0];
    Panel2 = panels[1];
    Panel3 = panels[2];
    Panel4 = panels[3];
    Panel5 = panels[4];
    Panel0 = panels[5];
    PanelForm1 = named(new TColorPanel(clWhite, Panel0->parentWidget()), "PanelForm1");
    PanelForm1->setGeometry(10, 118, 60, 16);
}

void TForm2::createGridPage() {
    auto* page = named(new QWidget, "TabBaza");
    page->setProperty("HelpContext", 3);
    Notes1->addTab(page, utf8("Baza danych"));
    G1 = named(new TFajny(page), "G1");
    // The grid's stored settings.
    // Without goEditing: nothing typed into the grid ever reached the database,
    // and a changed ID cell would redirect the next delete. Several persons can
    // be marked (drag, Shift or Ctrl) for passes made at once; the marks are
    // drawn apart from the current row, which alone is the chosen person.
    G1->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected |
                   goRowSizing | goColSizing | goRowMoving | goColMoving | goRowSelect);
    G1->setMarkRows(true);
    G1->setScrollBars(ssVertical);
    G1->setKeyType(soString);
    G1->setKeyPos(1);
    G1->setKeyLen(2147483647);
    G1->setUseFixed(hfNot);
    G1->setSearchSubstring(true);
    G1->setSavedFixedRows(1);
    G1->setSavedFixedCols(1);
    G1->setCaseSensitive(false);
    G1->setAlignmentHorz(taLeftJustify);
    G1->setAlignmentVert(taTopJustify);
    G1->setProportionalScrollBars(true);
    G1->setExtendedKeys(false);
    G1->setSortColumn(3);
    G1->setSortOnClick(true);
    TFont footerFont(QStringLiteral("MS Sans Serif"), 10, fsBold);
    footerFont.setHeight(-13);
    G1->setFooterFont(footerFont);
    TPrintOptions& print = G1->PrintOptions();
    print.Orientation = poPortrait;
    print.PageFooter = QStringLiteral("date|time|page");
    print.HeaderSize = 10;
    print.FooterSize = 7;
    print.DateFormat = QStringLiteral("d-mmm-yyyy");
    print.TimeFormat = QStringLiteral("h:nn");
    print.MarginBottom = print.MarginLeft = print.MarginTop = print.MarginRight = 0;
    G1->setWordWrap(false);
    struct Fill : QObject {
        QWidget* child;
        Fill(QObject* parent, QWidget* c) : QObject(parent), child(c) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Resize)
                child->setGeometry(static_cast<QWidget*>(watched)->rect());
            return false;
        }
    };
    page->installEventFilter(new Fill(page, G1));
    connect(G1, &TFajny::Click, this, [this] { m_services.errors.guard([this] { G1Click(); }); });
    connect(G1, &TFajny::DblClick, this, [this] { m_services.errors.guard([this] { G1DblClick(); }); });
}

void TForm2::FormCreate() {
    DisableFormatka1Commands();
    DisableFormatka2Commands();
    ZnajdzNastepny->setEnabled(false);
    G1->setUseFixed(hfNot);
    m_search = std::make_unique<TPhraseSearch>(*G1, m_services.dialogs, *ZnajdzNastepny,
                                                [this] { return Tfinddlg::ask(this, m_services.desktop.Screen()); });
    G1->setSortOnClick(false);
    move(mainWindowPlacement(m_services.desktop.VirtualDesktop(), kOuterSize));
    // A window manager adds its frame outside: the outer size and place stay as laid out.
    new TOuterFrameKeeper(*this, kOuterSize,
                          [this] { return mainWindowPlacement(m_services.desktop.VirtualDesktop(), kOuterSize); });
    PanelForm1->hide();
    G1->setFixedRows(1);
    G1->setFixedColor(clBtnFace);
    setPersonColumns(*G1);
    G1->HideColumnRange(kFirstHiddenPersonColumn, G1->ColCount() - 1);
    G1->Repaint();
}

void TForm2::SetColumn(int index, const QString& title, int width) {
    G1->setCells(index, 0, title);
    G1->setColWidths(index, width);
}

void TForm2::connectDesignerControls() {
    for (const auto& binding : kVisibilityBindings) {
        auto* box = findChild<QCheckBox*>(QLatin1String(binding.checkBox));
        const QString element = QLatin1String(binding.element);
        connect(box, &QCheckBox::toggled, this, [this, element](bool checked) {
            m_services.errors.guard([&] { visibilityBoxClick(element, checked); });
        });
    }
    connect(Bit1, &QPushButton::clicked, this, [this] { m_services.errors.guard([this] { Bit1Click(); }); });
    connect(Bit2, &QPushButton::clicked, this, [this] { m_services.errors.guard([this] { Bit2Click(); }); });
    connect(RadioGroup1, &TRadioGroup::Click, this,
            [this] { m_services.errors.guard([this] { RadioGroup1Click(); }); });
    connect(CheckBoxDopasuj, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.errors.guard([&] { CheckBoxDopasujClick(checked); }); });
    for (int frame = 0; frame < 6; ++frame)
        connect(frameSpin(frame), &TSpinEdit::Change, this,
                [this, frame] { m_services.errors.guard([this, frame] { frameWidthChange(frame); }); });
}

} // namespace wendolarka
