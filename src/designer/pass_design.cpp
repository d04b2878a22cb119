#include "pass_design.h"

#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "pass_template.h"

namespace wendolarka {

TPassDesign::~TPassDesign() = default;

void TPassDesign::LoadStandardLayout() {
    // A fresh design: its own settings back to a new window's, then the stream.
    setCaption(QString());
    m_events = Events{false, false, false, false};
    m_settings = Settings{};
    m_pixelsPerInch = 96;
    pass_template::loadStream(*this, standardLayoutStream());
}

void TPassDesign::bindSlots() {
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

void TPassDesign::applyShownStyles() {
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
}

std::array<TLabel*, 11> TPassDesign::textLabels() const {
    return {lblTytul,  lblImie,     lblNazwisko, lblPriorytet, lblIndex,  lblAdres1,
            lblAdres2, lblTelefon1, lblTelefon2, lblusluga1,   lblUsluga2};
}

TktMultiBevel* TPassDesign::frame(int index) const {
    const std::array<TktMultiBevel*, 6> frames = {Rama0, Ramka1, Ramka2, Ramka3, Ramka4, Ramka5};
    return (index >= 0 && index < 6) ? frames[static_cast<std::size_t>(index)] : nullptr;
}

double TPassDesign::PhotoAspect() const {
    if (!Image11 || Image11->Width() <= 0 || Image11->Height() <= 0)
        return 48.0 / 60.0;
    return double(Image11->Width()) / Image11->Height();
}

} // namespace wendolarka
