// The main window's commands for composed texts and codes on the pass.

#include "main_window.h"

#include "controls/label.h"
#include "designer/composed_element_dialog.h"
#include "designer/composed_elements.h"
#include "designer/element_style_menu.h"
#include "designer/pass_context_menu.h"
#include "designer/pass_window.h"
#include "platform/dialogs.h"
#include "platform/error_handler.h"
#include "sizer/size_control.h"

#include <QMenu>

namespace wendolarka {
namespace {

// The element the sizer frames on the pass, when it is a composed text or a code.
TControl* pickedComposed(const TForm1& form) {
    TControl* picked = form.SizeControl1 ? form.SizeControl1->Target() : nullptr;
    return composed_elements::isComposed(picked) ? picked : nullptr;
}

void pick(TForm1& form, TControl* element) {
    if (form.SizeControl1)
        form.SizeControl1->setTarget(element);
}

} // namespace

void TForm2::createComposedMenu() {
    // In "Formatka I", above the command that closes the window.
    QAction* before = nullptr;
    for (QAction* action : Forma1->actions())
        if (action->objectName() == u"N3")
            before = action;
    Zlozone1 = new QMenu(QString::fromUtf8("&Teksty złożone i kody"), this);
    Zlozone1->setObjectName(QStringLiteral("Zlozone1"));
    Forma1->insertMenu(before, Zlozone1);
    DodajTekst1 = addItem(Zlozone1, "DodajTekst1", QString::fromUtf8("Dodaj &tekst złożony…"));
    DodajKod1 = addItem(Zlozone1, "DodajKod1", QString::fromUtf8("Dodaj &kod…"));
    ZmienZlozony1 = addItem(Zlozone1, "ZmienZlozony1", QString::fromUtf8("&Zmień wybrany tekst złożony lub kod…"));
    UsunZlozony1 = addItem(Zlozone1, "UsunZlozony1", QString::fromUtf8("&Usuń wybrany tekst złożony lub kod"));
    const std::pair<QAction*, void (TForm2::*)()> commands[] = {{DodajTekst1, &TForm2::DodajTekst1Click},
                                                                {DodajKod1, &TForm2::DodajKod1Click},
                                                                {ZmienZlozony1, &TForm2::ZmienZlozony1Click},
                                                                {UsunZlozony1, &TForm2::UsunZlozony1Click}};
    for (const auto& [action, command] : commands)
        connect(action, &QAction::triggered, this,
                [this, handler = command] { m_services.errors.guard([this, handler] { (this->*handler)(); }); });
}

void TForm2::joinPassContextMenu(TForm1& form) {
    TPassContextMenu& menu = form.contextMenu();
    menu.addSeparator();
    addElementStyleCommands(menu);
    menu.addSeparator();
    for (QAction* action : {DodajTekst1, DodajKod1, ZmienZlozony1, UsunZlozony1})
        menu.addAction(action);
}

void TForm2::DodajTekst1Click() {
    TForm1* form = m_windows.Form1;
    if (!form || !form->isVisible()) {
        m_services.dialogs.ShowMessage(QString::fromUtf8("Najpierw pokaż formatkę I."));
        return;
    }
    TComposedElementDialog dialog(*form, QStringLiteral("{Imie} {Nazwisko}"), std::nullopt, this);
    if (dialog.exec() == QDialog::Accepted)
        pick(*form, composed_elements::addText(*form, dialog.pattern()));
}

void TForm2::DodajKod1Click() {
    TForm1* form = m_windows.Form1;
    if (!form || !form->isVisible()) {
        m_services.dialogs.ShowMessage(QString::fromUtf8("Najpierw pokaż formatkę I."));
        return;
    }
    TComposedElementDialog dialog(*form, QStringLiteral("{Indeks}"), bkQR, this);
    if (dialog.exec() == QDialog::Accepted)
        pick(*form, composed_elements::addCode(*form, dialog.kind(), dialog.pattern()));
}

void TForm2::ZmienZlozony1Click() {
    TForm1* form = m_windows.Form1;
    TControl* picked = form ? pickedComposed(*form) : nullptr;
    if (!picked) {
        m_services.dialogs.ShowMessage(QString::fromUtf8("Wybierz na przepustce tekst złożony albo kod."));
        return;
    }
    const auto* code = dynamic_cast<const TBarcode*>(picked);
    TComposedElementDialog dialog(*form, composed_elements::patternOf(*picked),
                                  code ? std::optional<TBarcodeKind>(code->Kind()) : std::nullopt, this);
    if (dialog.exec() == QDialog::Accepted)
        composed_elements::change(*form, *picked, dialog.pattern(), dialog.kind());
}

void TForm2::UsunZlozony1Click() {
    TForm1* form = m_windows.Form1;
    TControl* picked = form ? pickedComposed(*form) : nullptr;
    if (!picked) {
        m_services.dialogs.ShowMessage(QString::fromUtf8("Wybierz na przepustce tekst złożony albo kod."));
        return;
    }
    pick(*form, nullptr);
    form->destroyControl(picked);
}

} // namespace wendolarka
