#include "pass_window.h"

#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "pass_elements.h"
#include "pass_window_host.h"
#include "widgets/form_setup.h"
#include "pass_template.h"
#include "sizer/size_control.h"

#include <QCloseEvent>
#include <QShowEvent>
#include "platform/desktop.h"


namespace wendolarka {

TForm1::TForm1(QWidget* parent) : THostForm(parent) {
    setObjectName(QStringLiteral("Form1"));
    setToolWindowFrame(*this);
    // Centred by its outer size once the window manager has framed it; the client keeps its size.
    new TOuterFrameKeeper(*this, QSize(), [this] { return centredOn(shownDesktop().Screen(), frameGeometry().size()); });
    LoadStandardLayout();
}

const IDesktop& TForm1::shownDesktop() const {
    static const QtDesktop systemDesktop;
    return m_desktop ? *m_desktop : systemDesktop;
}

void TForm1::keepDesign() { m_keptDesign = pass_template::designFingerprint(*this); }

// Until the user has built, loaded or saved a design there is none of theirs to lose.
bool TForm1::designChanged() const {
    return !m_keptDesign.isEmpty() && pass_template::designFingerprint(*this) != m_keptDesign;
}

TForm1::~TForm1() { delete SizeControl1.data(); }

void TForm1::LoadStandardLayout() {
    // A fresh window: its own settings back to a new window's, then the stream.
    setWindowTitle(QString());
    m_events = Events{false, false, false, false};
    m_settings = Settings{};
    m_pixelsPerInch = 96;
    pass_template::loadStream(*this, standardLayoutStream());
}

void TForm1::bindSlots() {
    const auto slot = [this]<typename T>(T*& field, const char* name) {
        field = dynamic_cast<T*>(findControl(QString::fromLatin1(name)));
    };
    slot(lblTytul, "lblTytul");
    slot(lblImie, "lblImie");
    slot(lblNazwisko, "lblNazwisko");
    slot(lblPriorytet, "lblPriorytet");
    slot(lblIndex, "lblIndex");
    slot(lblAdres1, "lblAdres1");
    slot(lblAdres2, "lblAdres2");
    slot(lblTelefon1, "lblTelefon1");
    slot(lblTelefon2, "lblTelefon2");
    slot(lblusluga1, "lblusluga1");
    slot(lblUsluga2, "lblUsluga2");
    slot(Image11, "Image11");
    slot(Rama0, "Rama0");
    slot(Ramka1, "Ramka1");
    slot(Ramka2, "Ramka2");
    slot(Ramka3, "Ramka3");
    slot(Ramka4, "Ramka4");
    slot(Ramka5, "Ramka5");
    slot(ImgStale, "ImgStale");
    slot(lbl1, "lbl1");
    slot(lbl2, "lbl2");
}

std::array<TLabel*, 11> TForm1::textLabels() const {
    return {lblTytul,  lblImie,     lblNazwisko, lblPriorytet, lblIndex,  lblAdres1,
            lblAdres2, lblTelefon1, lblTelefon2, lblusluga1,   lblUsluga2};
}

TktMultiBevel* TForm1::frame(int index) const {
    const std::array<TktMultiBevel*, 6> frames = {Rama0, Ramka1, Ramka2, Ramka3, Ramka4, Ramka5};
    return (index >= 0 && index < 6) ? frames[static_cast<std::size_t>(index)] : nullptr;
}

double TForm1::PhotoAspect() const {
    if (!Image11 || Image11->Width() <= 0 || Image11->Height() <= 0)
        return 48.0 / 60.0;
    return double(Image11->Width()) / Image11->Height();
}

void TForm1::ShowCentred() {
    if (m_drawingOnly)
        return;
    move(centredOn(shownDesktop().Screen(), size()));
    show();
    raise();
}

void TForm1::FormShow() {
    for (TLabel3DF* description : {lbl1, lbl2}) {
        if (!description)
            continue;
        description->setBevel(blShadow);
        description->setBorderStyle(lbNone);
        description->setFillGradient(false);
        description->setAutoSize(false);
        description->setWordWrap(true);
    }
    if (ImgStale)
        ImgStale->setAutoSize(true);
    if (Image11) {
        Image11->setAutoSize(false);
        Image11->setStretch(true);
    }
    for (TLabel* label : textLabels()) {
        if (!label)
            continue;
        label->setAutoSize(false);
        label->setWordWrap(false);
    }
    IPassWindowHost* const mainWindow = host();
    if (!mainWindow)
        return;
    mainWindow->closeImageSetWindow();
    for (int k = 0; k < 6; ++k)
        if (const TktMultiBevel* f = frame(k))
            mainWindow->showFrameColor(k, f->Color());
    mainWindow->showWindowColor(Color());
    for (int k = 0; k < 6; ++k)
        if (const TktMultiBevel* f = frame(k))
            mainWindow->showFrameWidth(k, f->BorderWidth());
    for (const char* name : kSwitchableElements)
        if (const TControl* element = findControl(QString::fromLatin1(name)))
            mainWindow->showVisibility(element->Name(), element->Visible());
}

void TForm1::FormResize() { setWindowTitle(sizeReadout(width(), height(), m_pixelsPerInch)); }

void TForm1::FormClose() { delete SizeControl1.data(); }

void TForm1::FormActivate() {
    // One sizer per window: a second one would watch the same events, and
    // replacing it would drop the pick of the click that activated the window.
    TSizeControl* sizer = SizeControl1.data();
    if (!sizer) {
        sizer = new TSizeControl(this);
        sizer->setObjectName(QStringLiteral("SizeControl1"));
    }
    sizer->setGridSize(19);
    sizer->setSnapToGrid(false);
    sizer->setMouseButtons(mouseButtons({mbLeft}));
    SizeControl1 = sizer;
    IPassWindowHost* const mainWindow = host();
    if (!mainWindow)
        return;
    setColor(mainWindow->windowColorShown());
    for (int k = 0; k < 6; ++k)
        if (TktMultiBevel* f = frame(k))
            f->setColor(mainWindow->frameColorShown(k));
    for (int k = 0; k < 6; ++k)
        if (TktMultiBevel* f = frame(k))
            f->setBorderWidth(mainWindow->frameWidthShown(k));
}

void TForm1::showEvent(QShowEvent* event) {
    THostForm::showEvent(event);
    // Only a real showing counts, not the window manager restoring a minimised window.
    if (event->spontaneous())
        return;
    if (m_events.onShow)
        FormShow();
    if (m_events.onResize)
        FormResize();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    THostForm::resizeEvent(event);
    if (m_events.onResize)
        FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (m_events.onClose)
        FormClose();
    event->accept(); // hidden, not destroyed
}

void TForm1::changeEvent(QEvent* event) {
    THostForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_events.onActivate)
        FormActivate();
}

} // namespace wendolarka
