#include "fixed_elements_dialog.h"

#include "controls/image.h"
#include "controls/label_3d.h"
#include "core/picture.h"
#include "design_history.h"
#include "pass_window.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/error_handler.h"
#include "widgets/color_panel.h"
#include "core/cp1250_validator.h"
#include "widgets/form_setup.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace wendolarka {
namespace {

QLabel* caption(QWidget* parent, const char* text, int left, int top) {
    auto* label = new QLabel(utf8(text), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TFUkos::TFUkos(IDialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
    initForm(*this, {QStringLiteral("FUkos"), utf8("Elementy stałe"), QSize(401, 401) - kToolWindowFrame, clBtnShadow,
                     TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), true});
    new TOuterFrameKeeper(*this, QSize(401, 401), [] {
        static const QtDesktop systemDesktop;
        return centredOn(systemDesktop.Screen(), QSize(401, 401));
    });

    GroupObraz = named(new QGroupBox(utf8("  Dane Obrazu  "), this), "GroupObraz");
    GroupObraz->setGeometry(8, 8, 369, 81);
    chWidoczny = named(new QCheckBox(utf8("Obraz widoczny"), GroupObraz), "chWidoczny");
    chWidoczny->setGeometry(16, 22, 150, 17);
    caption(GroupObraz, "Wstaw plik:", 16, 50);
    edImage = named(new QLineEdit(GroupObraz), "edImage");
    edImage->setGeometry(96, 46, 177, 21);
    bitOpenImg = named(new QPushButton(utf8("Otwórz"), GroupObraz), "bitOpenImg");
    bitOpenImg->setGeometry(282, 44, 75, 25);

    GroupOpisy = named(new QGroupBox(utf8("  Ustawienia Opisu 1 i Opisu 2  "), this), "GroupOpisy");
    GroupOpisy->setGeometry(8, 96, 369, 225);
    struct Column {
        QCheckBox** visible;
        const char* visibleName;
        const char* visibleText;
        QLineEdit** text;
        const char* textName;
        TColorPanel** background;
        const char* backgroundName;
        const char* backgroundText;
        QPushButton** fonts;
        const char* fontsName;
        const char* fontsText;
        TColorPanel** shadow;
        const char* shadowName;
        const char* shadowText;
        TSpinEdit** size;
        const char* sizeName;
        const char* sizeText;
        int left;
    };
    const std::array<Column, 2> columns = {{
        {&chOpis1, "chOpis1", "Widoczność Opisu 1", &edOpisu1, "edOpisu1", &pnlKolor1, "pnlKolor1",
         "Kolor tła Opisu 1:", &bitFonty1, "bitFonty1", "Fonty Opisu 1", &pnlCien1, "pnlCien1",
         "Kolor cienia Opisu 1", &SpinEdit1, "SpinEdit1", "Rozmiar cienia 1:", 12},
        {&chOpis2, "chOpis2", "Widoczność Opisu 2", &edOpisu2, "edOpisu2", &pnlKolor2, "pnlKolor2",
         "Kolor tła Opisu 2:", &bitFonty2, "bitFonty2", "Fonty Opisu 2", &pnlCien2, "pnlCien2",
         "Kolor cienia Opisu 2", &SpinEdit2, "SpinEdit2", "Rozmiar cienia 2:", 190},
    }};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        const int which = static_cast<int>(i) + 1;
        QWidget* g = GroupOpisy;
        *c.visible = named(new QCheckBox(utf8(c.visibleText), g), c.visibleName);
        (*c.visible)->setGeometry(c.left, 22, 165, 17);
        caption(g, "Tekst:", c.left, 48);
        *c.text = named(new QLineEdit(g), c.textName);
        (*c.text)->setGeometry(c.left + 40, 44, 120, 21);
        (*c.text)->setValidator(new TCp1250Validator(*c.text));
        caption(g, c.backgroundText, c.left, 76);
        *c.background = named(new TColorPanel(clWhite, g), c.backgroundName);
        (*c.background)->setGeometry(c.left, 92, 60, 21);
        *c.fonts = named(new QPushButton(utf8(c.fontsText), g), c.fontsName);
        (*c.fonts)->setGeometry(c.left + 70, 90, 90, 25);
        caption(g, c.shadowText, c.left, 124);
        *c.shadow = named(new TColorPanel(clBtnShadow, g), c.shadowName);
        (*c.shadow)->setGeometry(c.left, 140, 60, 21);
        caption(g, c.sizeText, c.left, 172);
        *c.size = named(new TSpinEdit(g), c.sizeName);
        (*c.size)->setGeometry(c.left, 188, 60, 22);
        (*c.size)->setLimits(0, 0);
        (*c.size)->setValue(0);

        connect(*c.visible, &QCheckBox::toggled, this, [this, which] { guardOrRun(m_errors, [this, which] { chOpisClick(which); }); });
        connect(*c.text, &QLineEdit::textChanged, this, [this, which] { guardOrRun(m_errors, [this, which] { edOpisuChange(which); }); });
        connect(*c.background, &TColorPanel::Click, this, [this, which] { guardOrRun(m_errors, [this, which] { pnlKolorClick(which); }); });
        connect(*c.fonts, &QPushButton::clicked, this, [this, which] { guardOrRun(m_errors, [this, which] { bitFontyClick(which); }); });
        connect(*c.shadow, &TColorPanel::Click, this, [this, which] { guardOrRun(m_errors, [this, which] { pnlCienClick(which); }); });
        connect(*c.size, &TSpinEdit::Change, this, [this, which] { guardOrRun(m_errors, [this, which] { SpinEditChange(which); }); });
    }

    bitClose = named(new QPushButton(utf8("&Zamknij"), this), "bitClose");
    bitClose->setGeometry(150, 330, 90, 25);
    connect(bitClose, &QPushButton::clicked, this, &QWidget::close);
    connect(chWidoczny, &QCheckBox::toggled, this, [this] { guardOrRun(m_errors, [this] { chWidocznyClick(); }); });
    connect(bitOpenImg, &QPushButton::clicked, this, [this] { guardOrRun(m_errors, [this] { bitOpenImgClick(); }); });
    connect(edImage, &QLineEdit::textChanged, this, [this] { guardOrRun(m_errors, [this] { edImageChange(); }); });
}

void TFUkos::setPassWindow(TForm1* form) {
    m_form = form;
    if (form)
        connect(&form->history(), &TDesignHistory::restored, this, [this] {
            if (isVisible())
                FormShow();
        });
}

TLabel3DF* TFUkos::description(int which) const {
    if (!m_form)
        return nullptr;
    return which == 1 ? m_form->lbl1 : m_form->lbl2;
}

void TFUkos::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        static const QtDesktop systemDesktop;
        move(centredOn(systemDesktop.Screen(), frameGeometry().size()));
        FormShow();
    }
}

void TFUkos::FormShow() {
    if (!m_form)
        return;
    // Step by step, as the dialog always read them; setting a control runs its
    // handler, which writes the same value back.
    const TLabel3DF* first = description(1);
    const TLabel3DF* second = description(2);
    if (m_form->ImgStale)
        chWidoczny->setChecked(m_form->ImgStale->Visible());
    if (first)
        chOpis1->setChecked(first->Visible());
    if (second)
        chOpis2->setChecked(second->Visible());
    if (first)
        edOpisu1->setText(first->Caption());
    if (second)
        edOpisu2->setText(second->Caption());
    if (first)
        pnlKolor1->setColor(first->Color());
    if (second)
        pnlKolor2->setColor(second->Color());
    if (first)
        pnlCien1->setColor(first->ShadowColor());
    if (second)
        pnlCien2->setColor(second->ShadowColor());
    if (first)
        SpinEdit1->setValue(first->ShadowSize());
    if (second)
        SpinEdit2->setValue(second->ShadowSize());
}

void TFUkos::chWidocznyClick() {
    if (m_form && m_form->ImgStale)
        m_form->ImgStale->setVisible(chWidoczny->isChecked());
}

void TFUkos::bitOpenImgClick() {
    FileDialogOptions options;
    options.filter = utf8("Pliki graficzne JPG i BMP|*.jpg;*.bmp|Dowolne pliki (*.*)|*.*");
    options.place = TFilePlace::Pictures;
    const auto chosen = m_dialogs.OpenFile(options);
    if (!chosen)
        return;
    // The same name again still loads the file: it may have changed on disk.
    if (edImage->text() == chosen->fileName)
        edImageChange();
    else
        edImage->setText(chosen->fileName);
}

void TFUkos::edImageChange() {
    // A failure leaves the old picture in place.
    const TPicture picture = TPicture::LoadFromFile(edImage->text());
    if (m_form && m_form->ImgStale) {
        m_form->ImgStale->setPicture(picture);
        m_form->ImgStale->setAutoSize(true);
    }
}

void TFUkos::chOpisClick(int which) {
    if (TLabel3DF* label = description(which))
        label->setVisible((which == 1 ? chOpis1 : chOpis2)->isChecked());
}

void TFUkos::edOpisuChange(int which) {
    if (TLabel3DF* label = description(which))
        label->setCaption((which == 1 ? edOpisu1 : edOpisu2)->text());
}

void TFUkos::pnlKolorClick(int which) {
    TColorPanel* panel = which == 1 ? pnlKolor1 : pnlKolor2;
    const auto chosen = m_dialogs.ChooseColor(panel->Color());
    if (!chosen)
        return;
    panel->setColor(*chosen);
    if (TLabel3DF* label = description(which))
        label->setColor(panel->Color());
}

void TFUkos::bitFontyClick(int which) {
    TLabel3DF* label = description(which);
    if (!label)
        return;
    if (const auto chosen = m_dialogs.ChooseFont(label->Font()))
        label->setFont(*chosen);
}

void TFUkos::pnlCienClick(int which) {
    TColorPanel* panel = which == 1 ? pnlCien1 : pnlCien2;
    const auto chosen = m_dialogs.ChooseColor(panel->Color());
    if (!chosen)
        return;
    panel->setColor(*chosen);
    if (TLabel3DF* label = description(which))
        label->setShadowColor(panel->Color());
}

void TFUkos::SpinEditChange(int which) {
    const int value = (which == 1 ? SpinEdit1 : SpinEdit2)->Value();
    if (TLabel3DF* label = description(which))
        label->setShadowSize(((value % 256) + 256) % 256); // one byte: -1 is 255, 300 is 44
}

} // namespace wendolarka
