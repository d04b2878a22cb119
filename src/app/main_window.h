#pragma once

#include "app_windows.h"
#include "core/font.h"
#include "designer/pass_window_host.h"
#include "imageset/image_set_window.h"
#include "persons/record_edit_window.h"

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;

namespace wendolarka {

class ErrorHandler;
class IDesktop;
class IDialogs;
class TColorPanel;
class TFajny;
class TPersonCommands;
class TPhraseSearch;
class TRecentPlaces;
class TRadioGroup;
class TSpinEdit;

// Bottom right of the virtual desktop, 40 pixels from the right and 50 from the
// bottom; a desktop smaller than the window gives negative values, kept as they are.
QPoint mainWindowPlacement(const QRect& virtualDesktop, QSize outerSize);

// The main window: a small tabbed control panel with the program's menus and the
// person grid.
class TForm2 : public QMainWindow, public IPassWindowHost, public IRecordCommands, public IImageSetHost {
    Q_OBJECT
public:
    struct Services {
        IDialogs& dialogs;
        const IDesktop& desktop;
        const ErrorHandler& errors;
    };

    static constexpr QSize kOuterSize{601, 239};

    explicit TForm2(Services services, QWidget* parent = nullptr);
    ~TForm2() override;

    // The windows created after this one; the menus reach them through it.
    void setWindows(const AppWindows& windows);

    void DisableFormatka1Commands();
    void DisableFormatka2Commands();
    void SetColumn(int index, const QString& title, int width);

    void Notes1Change();
    void Koniec1Click();
    void mnuUkosClick();
    // "Wskazówki merytoryczne": a fresh help window each time.
    void mnuFAQClick();
    void ZamknijForm1Click();
    // "Za&mknij Formatkę II": the image-set commands go off; the window's close box leaves them.
    void Zamknij1Click();
    void Nowy1Click();
    void ZapiszJakoWzorzec1Click();
    // "Cofnij" / "Ponów": a change of the pass design taken back or made again.
    void Cofnij1Click();
    void Ponow1Click();
    // The four print commands: a snapshot of the window, previewed and printed.
    void Druk1Click();
    void PoziomyDruk1Click();
    void DrukFormatki2Click();
    void PoziomyDruk2Click();
    void LadujeDFMClick();
    // "Przepustki dla wielu osób…": passes for the persons of the open database.
    void WieleOsobClick();
    // "Kalibracja drukarki…": the current printer's offsets, for an A4 sheet.
    void KalibracjaDrukarki1Click();
    // The grid's "Ostatni wydruk" column, as the menu item's check says.
    void OstatniWydruk1Click();
    void EnableFormatka1Commands();
    void EnableFormatka2Commands();
    // Picture export of either window.
    void btnZapisBMPClick();
    void ZapiszForme2jakoJPGClick();
    // The image set window: shown (the pass window hidden), pictures loaded and shown.
    void PokazForme2Click();
    void DlaClick(int picture); // "Obraz 1" .. "Obraz 10"
    void cb1Click();
    std::array<bool, 10> pictureBoxesChecked() const override;
    void showLoadItem(int picture, bool visible) override;
    int passPixelsPerInch() const override;

    // Element visibility, fonts and colours.
    void visibilityBoxClick(const QString& elementName, bool checked);
    void Bit1Click();
    void Bit2Click();
    void RadioGroup1Click();
    void CheckBoxDopasujClick(bool checked);
    // Composed texts and codes on the pass: added, changed and removed (the picked one).
    void DodajTekst1Click();
    void DodajKod1Click();
    void ZmienZlozony1Click();
    void UsunZlozony1Click();
    void showTextFitting();
    // Frame widths: frame 0 is the border, 1-5 the frames.
    void frameWidthChange(int frame);

    const TFont& sampleFont() const { return m_sampleFont; }

    // The last database and the recent templates offered in the menus, as
    // `places` remembers them; none: nothing offered, nothing remembered.
    void setRecentPlaces(TRecentPlaces* places);
    // The offers as the files are now (a file gone disables or stays until chosen).
    void refreshRecentItems();
    void OtworzOstatniaBaze1Click();
    void OstatniWzorzecClick(const QString& fileName);

    // The "&Baza" menu and the grid: forwarded to the person commands.
    void NowaBaza1Click();
    void OtworzBaze1Click();
    void ImportujOsoby1Click();
    void EksportujOsoby1Click();
    void DopasujZdjecia1Click();
    void mnuRegenerujClick();
    void Edytuj1Click();
    void Znajdz1Click();
    void ZnajdzNastepnyClick();
    void G1Click();
    void G1DblClick();
    // The hidden "Rekordy" menu, also run by the editing window's buttons.
    void mnuDodajRekordClick() override;
    void mnuWstawRekordClick() override;
    void mnuDeleteRekordClick() override;
    void mnuPierwszyClick() override;
    void mnuPoprzedniClick() override;
    void mnuNastepnyClick() override;
    void mnuOstatniClick() override;
    // The database state; present once the windows are set.
    TPersonCommands* persons() const { return m_persons.get(); }

    // The pass window's view of this window's controls.
    void closeImageSetWindow() override;
    void showFrameColor(int frame, TColor color) override;
    void showWindowColor(TColor color) override;
    void showFrameWidth(int frame, int width) override;
    void showVisibility(const QString& elementName, bool visible) override;
    // The check box that shows an element; none for an element without one.
    QCheckBox* visibilityBox(const QString& elementName) const;
    TColor frameColorShown(int frame) const override;
    TColor windowColorShown() const override;
    int frameWidthShown(int frame) const override;
    TColorPanel* framePanel(int frame) const;
    TSpinEdit* frameSpin(int frame) const;

    // Phrase search on the person grid; its by-rows flag is the program's SearchByRows.
    TPhraseSearch& phraseSearch() const { return *m_search; }

    QTabWidget* Notes1 = nullptr;

    // "Elementy widoczne"
    QGroupBox* GroupFormatka1 = nullptr;
    QGroupBox* GroupFormatka2 = nullptr;
    QCheckBox* CheckBoxTytul = nullptr;
    QCheckBox* CheckBoxImie = nullptr;
    QCheckBox* CheckBoxNazwisko = nullptr;
    QCheckBox* CheckBoxPriorytet = nullptr;
    QCheckBox* CheckBoxIndex = nullptr;
    QCheckBox* CheckBoxFoto = nullptr;
    QCheckBox* CheckBoxAdres1 = nullptr;
    QCheckBox* CheckBoxAdres2 = nullptr;
    QCheckBox* CheckBoxTelefon1 = nullptr;
    QCheckBox* CheckBoxTelefon2 = nullptr;
    QCheckBox* CheckBoxUsluga1 = nullptr;
    QCheckBox* CheckBoxUsluga2 = nullptr;
    std::array<QCheckBox*, 5> CheckBoxRamka{};
    QCheckBox* CheckBoxObramowanie = nullptr;
    std::array<QCheckBox*, 10> cb{}; // cb1 .. cb10

    // "Fonty i kolory"
    TRadioGroup* RadioGroup1 = nullptr;
    QCheckBox* CheckBoxDopasuj = nullptr; // "Dopasuj tekst" of the picked text label
    QLabel* LabelStylFontow = nullptr;
    QLabel* LabelKolorTla = nullptr;
    QPushButton* Bit1 = nullptr;
    QPushButton* Bit2 = nullptr;
    TColorPanel* pnlKolor = nullptr;
    QFrame* PanelFonty = nullptr;
    QLabel* lblFonty = nullptr;
    QLabel* lblRozmiar = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* LabelCount = nullptr;

    // "Ramki i obramowanie"
    std::array<TSpinEdit*, 5> SpinRamka{};
    TSpinEdit* SpinObramowanie = nullptr;
    TColorPanel* Panel01 = nullptr;
    TColorPanel* Panel2 = nullptr;
    TColorPanel* Panel3 = nullptr;
    TColorPanel* Panel4 = nullptr;
    TColorPanel* Panel5 = nullptr;
    TColorPanel* Panel0 = nullptr;
    TColorPanel* PanelForm1 = nullptr;

    // "Baza danych"
    TFajny* G1 = nullptr;

    // Menus
    QMenu* Forma1 = nullptr;
    QAction* Nowy1 = nullptr;
    QAction* Otworz1 = nullptr;
    QMenu* OstatnieWzorce1 = nullptr; // "Ostatnie wzorce", the most recent first
    QAction* ZapiszJakoWzorzec1 = nullptr;
    QAction* Cofnij1 = nullptr;
    QAction* Ponow1 = nullptr;
    QAction* ZapisBMP1 = nullptr;
    QAction* Druk1 = nullptr;
    QAction* PoziomyDruk1 = nullptr;
    QAction* WieleOsob = nullptr;
    QAction* KalibracjaDrukarki1 = nullptr;
    QMenu* Zlozone1 = nullptr; // "Teksty złożone i kody"
    QAction* DodajTekst1 = nullptr;
    QAction* DodajKod1 = nullptr;
    QAction* ZmienZlozony1 = nullptr;
    QAction* UsunZlozony1 = nullptr;
    QAction* ZamknijForm1 = nullptr;
    QMenu* Forma2 = nullptr;
    QAction* PokazForme2 = nullptr;
    QMenu* LadujObraz2 = nullptr;
    std::array<QAction*, 10> Dla{}; // Dla11 .. Dla101
    QAction* ZapiszForme2jakoJPG = nullptr;
    QAction* DrukFormatki2 = nullptr;
    QAction* PoziomyDruk2 = nullptr;
    QAction* Zamknij1 = nullptr;
    QMenu* Baza1 = nullptr;
    QAction* NowaBaza1 = nullptr;
    QAction* OtworzBaze1 = nullptr;
    QAction* OtworzOstatniaBaze1 = nullptr;
    QAction* ImportujOsoby1 = nullptr;
    QAction* EksportujOsoby1 = nullptr;
    QAction* DopasujZdjecia1 = nullptr;
    QAction* mnuRegeneruj = nullptr;
    QAction* Edytuj1 = nullptr;
    QAction* Znajdz1 = nullptr;
    QAction* ZnajdzNastepny = nullptr;
    QAction* OstatniWydruk1 = nullptr; // checkable, off at start
    QAction* mnuUkos = nullptr;
    QMenu* Pomoc1 = nullptr;
    QAction* mnuFAQ = nullptr;
    QAction* Konczy1 = nullptr;
    QMenu* mnuRekordy = nullptr; // never in the menu bar
    QAction* mnuDodajRekord = nullptr;
    QAction* mnuWstawRekord = nullptr;
    QAction* mnuDeleteRekord = nullptr;
    QAction* mnuPierwszy = nullptr;
    QAction* mnuPoprzedni = nullptr;
    QAction* mnuNastepny = nullptr;
    QAction* mnuOstatni = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void createMenus();
    void createComposedMenu();
    // The composed texts' and codes' commands in the pass window's own menu too.
    void joinPassContextMenu(TForm1& form);
    void createRecentItems();
    void createVisibilityPage();
    void createFontsPage();
    void createFramesPage();
    void createGridPage();
    // A snapshot of the window, shown in the print window (the image set window is closed first).
    void printPass(bool landscape);
    void printImageSet(bool landscape);
    TPersonCommands& personCommands() const;
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    // Runs a command through the common error handler.
    template <typename Handler>
    void bind(QAction* action, Handler handler);

    void connectDesignerControls();

    Services m_services;
    AppWindows m_windows;
    std::unique_ptr<TPersonCommands> m_persons;
    std::unique_ptr<TPhraseSearch> m_search;
    TRecentPlaces* m_recent = nullptr;
    TFont m_sampleFont;
    TFont m_fontDialogFont;
    TColor m_colorDialogColor = clBlack;
};

} // namespace wendolarka
