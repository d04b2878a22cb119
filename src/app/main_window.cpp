#include "main_window.h"

#include <QCheckBox>
#include <QSignalBlocker>

#include "core/exception.h"
#include "database/print_register.h"
#include "designer/design_history.h"
#include "designer/fixed_elements_dialog.h"
#include "designer/pass_person.h"
#include "designer/pass_elements.h"
#include "designer/pass_styling.h"
#include "designer/pass_window.h"
#include "designer/picture_export.h"
#include "designer/pass_template.h"
#include "batch/batch_dialog.h"
#include "batch/calibration_dialog.h"
#include "batch/pass_document.h"
#include "persons/person_grid.h"
#include "designer/template_commands.h"
#include "grid/sortable_grid.h"
#include "help/help_window.h"
#include "imageset/image_set_window.h"
#include "persons/person_commands.h"
#include "persons/phrase_search.h"
#include "printing/print_window.h"
#include "widgets/color_panel.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "widgets/form_setup.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QSettings>

namespace wendolarka {

void TForm2::DisableFormatka1Commands() {
    for (QAction* item : {ZapiszJakoWzorzec1, ZapisBMP1, Druk1, ZamknijForm1, PoziomyDruk1, WieleOsob})
        item->setEnabled(false);
}

void TForm2::DisableFormatka2Commands() {
    LadujObraz2->setEnabled(false);
    LadujObraz2->menuAction()->setEnabled(false);
    for (QAction* item : {ZapiszForme2jakoJPG, Zamknij1, DrukFormatki2, PoziomyDruk2})
        item->setEnabled(false);
}


void TForm2::Notes1Change() {
    RadioGroup1->setItemIndex(kEmptyEntry);
    showTextFitting();
}

void TForm2::Koniec1Click() { close(); }

void TForm2::mnuUkosClick() {
    if (m_windows.FUkos) {
        m_windows.FUkos->show();
        m_windows.FUkos->raise();
    }
}

void TForm2::mnuFAQClick() { showHelpWindow(this, &m_services.errors); }

void TForm2::ZamknijForm1Click() {
    DisableFormatka1Commands();
    if (m_windows.Form1)
        m_windows.Form1->close();
}

void TForm2::Zamknij1Click() {
    DisableFormatka2Commands();
    if (m_windows.Form3)
        m_windows.Form3->close();
}

void TForm2::FormClose() { setAttribute(Qt::WA_DeleteOnClose); }

void TForm2::setWindows(const AppWindows& windows) {
    m_windows = windows;
    if (m_windows.Form1) {
        m_windows.Form1->setHost(this);
        joinPassContextMenu(*m_windows.Form1);
    }
    // Offered only when there is something to take back or make again.
    Cofnij1->setEnabled(m_windows.Form1 && m_windows.Form1->history().canUndo());
    Ponow1->setEnabled(m_windows.Form1 && m_windows.Form1->history().canRedo());
    if (m_windows.Form1) {
        connect(&m_windows.Form1->history().stack(), &QUndoStack::canUndoChanged, Cofnij1, &QAction::setEnabled);
        connect(&m_windows.Form1->history().stack(), &QUndoStack::canRedoChanged, Ponow1, &QAction::setEnabled);
    }
    if (m_windows.Form3)
        m_windows.Form3->setHost(this);
    m_persons.reset();
    if (m_windows.FEdycja) {
        m_windows.FEdycja->setCommands(this);
        const auto showOnPass = [this](const TPersonTexts& texts, const TPicture& photo) {
            if (m_windows.Form1)
                showPersonOnPass(*m_windows.Form1, texts, photo);
        };
        m_persons = std::make_unique<TPersonCommands>(
            m_services.dialogs, TPersonCommands::Windows{*G1, *m_windows.FEdycja, *LabelCount, showOnPass});
        m_persons->setRecentPlaces(m_recent);
    }
}

TForm2::~TForm2() = default;

TPersonCommands& TForm2::personCommands() const {
    if (!m_persons)
        throw Exception(QStringLiteral("Okno edycji rekordu nie istnieje."));
    return *m_persons;
}

void TForm2::NowaBaza1Click() {
    personCommands().NowaBaza1Click();
    // Other persons: the design's history starts again.
    if (m_windows.Form1)
        m_windows.Form1->history().restart();
}
void TForm2::OtworzBaze1Click() { personCommands().OtworzBaze1Click(); }
void TForm2::ImportujOsoby1Click() { personCommands().ImportujOsobyClick(this); }
void TForm2::EksportujOsoby1Click() { personCommands().EksportujOsobyClick(this); }
void TForm2::DopasujZdjecia1Click() {
    // Cut to the photo of the pass being designed.
    personCommands().DopasujZdjeciaClick(this, m_windows.Form1 ? m_windows.Form1->PhotoAspect() : 48.0 / 60.0);
}
void TForm2::mnuRegenerujClick() { personCommands().mnuRegenerujClick(); }
void TForm2::Edytuj1Click() { personCommands().Edytuj1Click(); }
void TForm2::Znajdz1Click() { m_search->Znajdz1Click(); }
void TForm2::ZnajdzNastepnyClick() { m_search->ZnajdzNastepnyClick(); }
void TForm2::G1Click() { personCommands().gridClicked(); }
void TForm2::G1DblClick() { personCommands().G1DblClick(); }
void TForm2::mnuDodajRekordClick() { personCommands().mnuDodajRekordClick(); }
void TForm2::mnuWstawRekordClick() { personCommands().mnuWstawRekordClick(); }
void TForm2::mnuDeleteRekordClick() { personCommands().mnuDeleteRekordClick(); }
void TForm2::mnuPierwszyClick() { personCommands().mnuPierwszyClick(); }
void TForm2::mnuPoprzedniClick() { personCommands().mnuPoprzedniClick(); }
void TForm2::mnuNastepnyClick() { personCommands().mnuNastepnyClick(); }
void TForm2::mnuOstatniClick() { personCommands().mnuOstatniClick(); }


void TForm2::EnableFormatka1Commands() {
    for (QAction* item : {ZapiszJakoWzorzec1, ZapisBMP1, Druk1, ZamknijForm1, PoziomyDruk1, WieleOsob})
        item->setEnabled(true);
    showTextFitting(); // a design just loaded fits its texts its own way
}

void TForm2::EnableFormatka2Commands() {
    LadujObraz2->setEnabled(true);
    LadujObraz2->menuAction()->setEnabled(true);
    for (QAction* item : {ZapiszForme2jakoJPG, Zamknij1, DrukFormatki2, PoziomyDruk2})
        item->setEnabled(true);
}

void TForm2::btnZapisBMPClick() {
    if (m_windows.Form1)
        picture_export::exportWindow(*m_windows.Form1, m_services.dialogs);
}

void TForm2::ZapiszForme2jakoJPGClick() {
    if (m_windows.Form3)
        picture_export::exportWindow(*m_windows.Form3, m_services.dialogs);
}

void TForm2::PokazForme2Click() {
    if (m_windows.Form1 && m_windows.Form1->isVisible())
        m_windows.Form1->hide();
    EnableFormatka2Commands();
    if (m_windows.Form3)
        m_windows.Form3->ShowAtCorner();
}

void TForm2::DlaClick(int picture) {
    if (m_windows.Form3)
        image_set_commands::loadPictureWithDialog(*m_windows.Form3, picture, m_services.dialogs);
}

void TForm2::cb1Click() {
    if (m_windows.Form3)
        m_windows.Form3->cb1Click();
}

std::array<bool, 10> TForm2::pictureBoxesChecked() const {
    std::array<bool, 10> checked{};
    for (std::size_t k = 0; k < checked.size(); ++k)
        checked[k] = cb[k]->isChecked();
    return checked;
}

void TForm2::showLoadItem(int picture, bool visible) { Dla[static_cast<std::size_t>(picture - 1)]->setVisible(visible); }

int TForm2::passPixelsPerInch() const { return m_windows.Form1 ? m_windows.Form1->PixelsPerInch() : 96; }

void TForm2::Nowy1Click() {
    TForm1* form = m_windows.Form1;
    if (!form || !template_commands::keepOrSaveDesign(*form, m_services.dialogs, m_recent))
        return;
    form->hide();
    form->LoadStandardLayout();
    form->setTemplateName({}); // the standard layout is no file
    form->ShowCentred();
    form->keepDesign();
    form->history().restart();
    EnableFormatka1Commands();
}

void TForm2::printPass(bool landscape) {
    if (!m_windows.Form1 || !m_windows.FDruk)
        return;
    // The pass shows the current person: a print of it goes into the print register.
    const auto printed = [this](const QString& output) {
        if (!m_persons || !m_persons->Db() || !m_persons->CurrentId())
            return;
        const QString warning = print_register::RecordOrWarn(*m_persons->Db(), {*m_persons->CurrentId()},
                                                             m_windows.Form1->templateName(), output);
        if (!warning.isEmpty())
            m_services.dialogs.ShowMessage(warning);
        m_persons->refreshLastPrint();
    };
    showPrintWindow(*m_windows.FDruk, m_windows.Form1->Snapshot(), landscape, m_services.desktop.Screen(),
                    [pass = m_windows.Form1](QPainter& painter, const QRectF& target) {
                        paintAtDeviceResolution(painter, *pass, target);
                    },
                    printed);
}

void TForm2::printImageSet(bool landscape) {
    if (!m_windows.Form3 || !m_windows.FDruk)
        return;
    const QImage snapshot = m_windows.Form3->Snapshot();
    if (m_windows.Form3->isVisible())
        m_windows.Form3->close();
    showPrintWindow(*m_windows.FDruk, snapshot, landscape, m_services.desktop.Screen());
}

void TForm2::WieleOsobClick() {
    if (!m_windows.Form1 || !m_windows.printers)
        return;
    if (!m_persons || !m_persons->Db()) {
        m_services.dialogs.ShowMessage(utf8("Najpierw otwórz bazę danych z osobami (Baza, Otwórz bazę)."));
        return;
    }
    TFWieleOsob::Source source{m_persons->Db(), pass_template::writeFile(*m_windows.Form1), selectedPersonIds(*G1)};
    TFWieleOsob window(m_services.dialogs, *m_windows.printers, std::move(source), this);
    window.setErrorHandler(&m_services.errors);
    // A design never loaded or saved has no name; the dialog keeps its own then.
    if (!m_windows.Form1->templateName().isEmpty())
        window.setTemplateName(m_windows.Form1->templateName());
    window.setRunFields(m_windows.Form1->runFields());
    window.move(centredOn(m_services.desktop.Screen(), window.size() + kToolWindowFrame));
    window.exec();
    // The pass window shows and prints what the run was given (its validity date).
    if (const std::optional<TRunFields> run = window.runFields()) {
        m_windows.Form1->setRunFields(*run);
        fillComposedTexts(*m_windows.Form1);
    }
    // Whatever went out meanwhile shows in the grid's print column.
    m_persons->refreshLastPrint();
}

void TForm2::KalibracjaDrukarki1Click() {
    if (!m_windows.printers)
        return;
    const std::unique_ptr<QSettings> settings = userSettings();
    TFKalibracja window(m_services.dialogs, *m_windows.printers, *settings, QSizeF(210, 297), this);
    window.move(centredOn(m_services.desktop.Screen(), window.size() + kToolWindowFrame));
    window.exec();
}

void TForm2::OstatniWydruk1Click() {
    const bool wanted = OstatniWydruk1->isChecked();
    // The check follows the column: a register that cannot be read leaves both off.
    OstatniWydruk1->setChecked(false);
    personCommands().setLastPrintShown(wanted);
    const bool shown = personCommands().lastPrintShown();
    OstatniWydruk1->setChecked(shown);
    // The column lies past the window's right edge: it comes with a way to scroll to it.
    G1->setScrollBars(shown ? ssBoth : ssVertical);
}

void TForm2::Druk1Click() { printPass(false); }
void TForm2::PoziomyDruk1Click() { printPass(true); }
void TForm2::DrukFormatki2Click() { printImageSet(false); }
void TForm2::PoziomyDruk2Click() { printImageSet(true); }

void TForm2::ZapiszJakoWzorzec1Click() {
    if (m_windows.Form1)
        template_commands::saveTemplate(*m_windows.Form1, m_services.dialogs, m_recent);
}

void TForm2::Cofnij1Click() {
    if (m_windows.Form1)
        m_windows.Form1->undoDesign();
}

void TForm2::Ponow1Click() {
    if (m_windows.Form1)
        m_windows.Form1->redoDesign();
}

void TForm2::LadujeDFMClick() {
    if (m_windows.Form1 && template_commands::keepOrSaveDesign(*m_windows.Form1, m_services.dialogs, m_recent) &&
        template_commands::loadTemplate(*m_windows.Form1, m_services.dialogs, m_recent))
        EnableFormatka1Commands();
}

void TForm2::visibilityBoxClick(const QString& elementName, bool checked) {
    if (m_windows.Form1)
        setElementVisible(*m_windows.Form1, elementName, checked);
}

void TForm2::Bit1Click() {
    const std::optional<TFont> chosen = m_services.dialogs.ChooseFont(m_fontDialogFont);
    if (!chosen)
        return;
    m_fontDialogFont = *chosen;
    m_sampleFont = *chosen;
    lblFonty->setFont(m_sampleFont.toQFont());
    setTextColor(*lblFonty, m_sampleFont.Color());
    lblFonty->adjustSize();
    PanelFonty->resize(lblFonty->width() + 4, lblFonty->height() + 4);
    lblRozmiar->setText(QString::number(m_sampleFont.Size()));
    lblRozmiar->adjustSize();
}

void TForm2::Bit2Click() {
    const std::optional<TColor> chosen = m_services.dialogs.ChooseColor(m_colorDialogColor);
    if (!chosen)
        return;
    m_colorDialogColor = *chosen;
    pnlKolor->setColor(*chosen);
    pnlKolor->repaint();
}

void TForm2::RadioGroup1Click() {
    if (m_windows.Form1)
        applySampleToEntry(*m_windows.Form1, *this, RadioGroup1->ItemIndex(), m_sampleFont, pnlKolor->Color());
    showTextFitting();
}

void TForm2::CheckBoxDopasujClick(bool checked) {
    if (m_windows.Form1)
        setTextFitting(*m_windows.Form1, RadioGroup1->ItemIndex(), checked);
}

void TForm2::showTextFitting() {
    const std::optional<bool> fit = m_windows.Form1 ? textFitting(*m_windows.Form1, RadioGroup1->ItemIndex()) : std::nullopt;
    const QSignalBlocker quiet(CheckBoxDopasuj);
    CheckBoxDopasuj->setEnabled(fit.has_value());
    CheckBoxDopasuj->setChecked(fit.value_or(false));
}

void TForm2::frameWidthChange(int frame) {
    if (m_windows.Form1)
        setFrameWidth(*m_windows.Form1, frame, frameSpin(frame)->Value());
}

TColorPanel* TForm2::framePanel(int frame) const {
    const std::array<TColorPanel*, 6> panels = {Panel0, Panel01, Panel2, Panel3, Panel4, Panel5};
    return panels[static_cast<std::size_t>(frame)];
}

TSpinEdit* TForm2::frameSpin(int frame) const {
    return frame == 0 ? SpinObramowanie : SpinRamka[static_cast<std::size_t>(frame - 1)];
}

void TForm2::closeImageSetWindow() {
    if (m_windows.Form3 && m_windows.Form3->isVisible())
        m_windows.Form3->close();
}

void TForm2::showFrameColor(int frame, TColor color) {
    framePanel(frame)->setColor(color);
    framePanel(frame)->repaint();
}

void TForm2::showWindowColor(TColor color) {
    PanelForm1->setColor(color);
    PanelForm1->repaint();
}

void TForm2::showFrameWidth(int frame, int width) { frameSpin(frame)->setValue(width); }

void TForm2::showVisibility(const QString& elementName, bool visible) {
    if (QCheckBox* box = visibilityBox(elementName))
        box->setChecked(visible);
}

TColor TForm2::frameColorShown(int frame) const { return framePanel(frame)->Color(); }

TColor TForm2::windowColorShown() const { return PanelForm1->Color(); }

int TForm2::frameWidthShown(int frame) const { return frameSpin(frame)->Value(); }

void TForm2::closeEvent(QCloseEvent* event) {
    // "Koniec" and the close box alike: a changed design is not lost without a word.
    if (m_windows.Form1 && !template_commands::keepOrSaveDesign(*m_windows.Form1, m_services.dialogs, m_recent)) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}


} // namespace wendolarka
