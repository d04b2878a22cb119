#pragma once

#include "controls/element_host.h"
#include "core/pass_fields.h"

#include <QPoint>
#include <QString>
#include <array>

namespace wendolarka {

class TImage;
class TLabel;
class TLabel3DF;
class TktMultiBevel;

// An entry pass as a design: its elements, their stacking order and the
// settings a template carries, with no window. It is loaded from a template,
// filled with a person and painted at any resolution; the pass window shows
// one, and every thread drawing passes holds its own. Its elements are reached
// through the slots below, by name; a slot whose element is missing is empty.
class TPassDesign : public virtual TElementHost {
public:
    TPassDesign() = default;
    ~TPassDesign() override;

    // Throws the elements away and builds the standard layout, settings included.
    void LoadStandardLayout();
    // Points every slot at the element of its name, or at nothing.
    void bindSlots();
    // The elements as the pass is shown and drawn: descriptions shadowed and
    // wrapped, the photo stretched to its box, labels of a fixed size.
    void applyShownStyles();

    // Width / height of the photo element, what a person's photo is cut to (48 / 60 in the standard layout).
    double PhotoAspect() const;

    TColor Color() const { return client().Color(); }
    void setColor(TColor color) { client().setColor(color); }
    int PixelsPerInch() const { return m_pixelsPerInch; }
    void setPixelsPerInch(int ppi) { m_pixelsPerInch = ppi; }

    // Which of the window's handlers its events run (a template may bind them).
    struct Events {
        bool onShow = true;
        bool onResize = true;
        bool onClose = true;
        bool onActivate = false;
    };
    Events& events() { return m_events; }
    const Events& events() const { return m_events; }

    // Window settings a template carries and the program keeps as they are.
    struct Settings {
        QString borderStyle = QStringLiteral("bsSizeToolWin");
        QString position = QStringLiteral("poScreenCenter");
        bool oldCreateOrder = false;
        int textHeight = 13;
    };
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

    // Where the design's window stands, its caption and font: kept here for a
    // design alone, the window's own when a window shows the design.
    virtual QPoint windowPosition() const { return m_windowPosition; }
    virtual void setWindowPosition(QPoint position) { m_windowPosition = position; }
    virtual QString caption() const { return m_caption; }
    virtual void setCaption(const QString& caption) { m_caption = caption; }
    virtual void setDesignFont(const TFont& font) { client().setFont(font); }

    // The person on the pass and the run it is printed in: what composed texts
    // and codes are filled in from (pass_person.h).
    const TPersonTexts& personTexts() const { return m_personTexts; }
    void setPersonTexts(const TPersonTexts& texts) { m_personTexts = texts; }
    const TRunFields& runFields() const { return m_runFields; }
    void setRunFields(const TRunFields& run) { m_runFields = run; }

    std::array<TLabel*, 11> textLabels() const;
    TktMultiBevel* frame(int index) const; // 0 the border, 1-5 frames 1-5

    TLabel* lblTytul = nullptr;
    TLabel* lblImie = nullptr;
    TLabel* lblNazwisko = nullptr;
    TLabel* lblPriorytet = nullptr;
    TLabel* lblIndex = nullptr;
    TLabel* lblAdres1 = nullptr;
    TLabel* lblAdres2 = nullptr;
    TLabel* lblTelefon1 = nullptr;
    TLabel* lblTelefon2 = nullptr;
    TLabel* lblusluga1 = nullptr;
    TLabel* lblUsluga2 = nullptr;
    TImage* Image11 = nullptr;
    TktMultiBevel* Rama0 = nullptr;
    TktMultiBevel* Ramka1 = nullptr;
    TktMultiBevel* Ramka2 = nullptr;
    TktMultiBevel* Ramka3 = nullptr;
    TktMultiBevel* Ramka4 = nullptr;
    TktMultiBevel* Ramka5 = nullptr;
    TImage* ImgStale = nullptr;
    TLabel3DF* lbl1 = nullptr;
    TLabel3DF* lbl2 = nullptr;

private:
    int m_pixelsPerInch = 96;
    TPersonTexts m_personTexts;
    TRunFields m_runFields;
    Events m_events;
    Settings m_settings;
    QPoint m_windowPosition;
    QString m_caption;
};

} // namespace wendolarka
