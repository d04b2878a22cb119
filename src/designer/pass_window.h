#pragma once

#include "controls/host_form.h"

#include <QPointer>
#include <array>

namespace wendolarka {

class IDesktop;
class IPassWindowHost;
class TImage;
class TLabel;
class TLabel3DF;
class TSizeControl;
class TktMultiBevel;

// The pass window (Formatka I): the design surface of one entry pass. Its
// elements are reached through the slots below, by name; a slot whose element
// is missing is empty.
class TForm1 : public THostForm {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 376;
    static constexpr int kClientHeight = 194;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The main window: held guarded, so a window that outlives it stops asking it.
    template <typename Host>
    void setHost(Host* host) {
        m_hostObject = host;
        m_host = host;
    }
    IPassWindowHost* host() const { return m_hostObject ? m_host : nullptr; }
    // Where "the screen" is for centring; the system's primary screen by default.
    void setDesktop(const IDesktop* desktop) { m_desktop = desktop; }

    // Throws the elements away and builds the standard layout, window settings included.
    void LoadStandardLayout();
    // Points every slot at the element of its name, or at nothing.
    void bindSlots();

    // Centred on the screen, as the window is placed at each showing.
    void ShowCentred();
    // Width / height of the photo element, what a person's photo is cut to (48 / 60 in the standard layout).
    double PhotoAspect() const;

    // The design as it now stands counts as kept (built, loaded or saved);
    // designChanged() tells whether the user changed it since. The window's
    // own design at start-up is nobody's work until one of those happened.
    void keepDesign();
    bool designChanged() const;
    // A window that only draws passes (for many persons at once) is never shown,
    // whatever a template it loads says.
    void setDrawingOnly(bool value) { m_drawingOnly = value; }

    void FormShow();
    void FormResize();
    void FormClose();
    void FormActivate();

    TColor Color() const { return client().Color(); }
    void setColor(TColor color) { client().setColor(color); }
    int PixelsPerInch() const { return m_pixelsPerInch; }

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
    void setPixelsPerInch(int ppi) { m_pixelsPerInch = ppi; }

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
    QPointer<TSizeControl> SizeControl1;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QByteArray m_keptDesign;
    QPointer<QObject> m_hostObject;
    IPassWindowHost* m_host = nullptr;
    const IDesktop& shownDesktop() const;
    const IDesktop* m_desktop = nullptr;
    int m_pixelsPerInch = 96;
    Events m_events;
    Settings m_settings;
    bool m_drawingOnly = false;
};

} // namespace wendolarka
