#pragma once

#include "controls/host_form.h"
#include "pass_arrange.h"
#include "pass_design.h"

#include <QPointer>
#include <array>

class QAction;

namespace wendolarka {

class ErrorHandler;
class IDesktop;
class IPassWindowHost;
class TDesignHistory;
class TDesignPick;
class TPassContextMenu;
class TSizeControl;

// The pass window (Formatka I): shows and edits the design of one entry pass.
class TForm1 : public THostForm, public TPassDesign {
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

    // Centred on the screen, as the window is placed at each showing.
    void ShowCentred();

    // The design as it now stands counts as kept (built, loaded or saved);
    // designChanged() tells whether the user changed it since. The window's
    // own design at start-up is nobody's work until one of those happened.
    void keepDesign();
    bool designChanged() const;
    // The template file the design was last loaded from or saved to, without its
    // folder, for the print register; empty while it has none.
    const QString& templateName() const { return m_templateName; }
    void setTemplateName(const QString& name) { m_templateName = name; }

    // Undo and redo of the design ("Cofnij", "Ponów"; Ctrl+Z, Ctrl+Y on the window).
    TDesignHistory& history() const { return *m_history; }
    void undoDesign();
    void redoDesign();
    QAction* Cofnij1 = nullptr;
    QAction* Ponow1 = nullptr;
    void setErrorHandler(const ErrorHandler* errors) { m_errors = errors; }
    // The right mouse button's menu on the window.
    TPassContextMenu& contextMenu() const { return *m_contextMenu; }
    // The elements picked (Shift+click adds), the sizer's target last.
    TDesignPick& pick() const { return *m_pick; }
    // "Połącz z ramką": the photo and its frame move together.
    bool photoLinked() const { return m_photoLink.enabled(); }
    void setPhotoLinked(bool linked) { m_photoLink.setEnabled(linked, *this); }

    void FormShow();
    // Show steps S5-S7: the design's colours, frame widths and visibility into the main window's controls.
    void showDesignInHost();
    void FormResize();
    void FormClose();
    void FormActivate();

    QPoint windowPosition() const override { return pos(); }
    void setWindowPosition(QPoint position) override { move(position); }
    QString caption() const override { return windowTitle(); }
    void setCaption(const QString& caption) override { setWindowTitle(caption); }
    void setDesignFont(const TFont& font) override;

    QPointer<TSizeControl> SizeControl1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createHistory();
    TDesignHistory* m_history = nullptr;
    TPassContextMenu* m_contextMenu = nullptr;
    TDesignPick* m_pick = nullptr;
    pass_arrange::TPhotoFrameLink m_photoLink;
    const ErrorHandler* m_errors = nullptr;
    QByteArray m_keptDesign;
    QString m_templateName;
    QPointer<QObject> m_hostObject;
    IPassWindowHost* m_host = nullptr;
    const IDesktop& shownDesktop() const;
    const IDesktop* m_desktop = nullptr;
};

} // namespace wendolarka
