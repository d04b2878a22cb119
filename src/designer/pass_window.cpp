#include "pass_window.h"

#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "design_history.h"
#include "design_pick.h"
#include "pass_context_menu.h"
#include "pass_elements.h"
#include "pass_window_host.h"
#include "widgets/form_setup.h"
#include "pass_template.h"
#include "sizer/size_control.h"

#include <QAction>
#include <QCloseEvent>
#include <QPainter>
#include <QShowEvent>
#include "platform/desktop.h"
#include "platform/error_handler.h"


namespace wendolarka {

TForm1::TForm1(QWidget* parent) : THostForm(parent) {
    setObjectName(QStringLiteral("Form1"));
    setToolWindowFrame(*this);
    // Centred by its outer size once the window manager has framed it; the client keeps its size.
    // Centred by the frame the window manager has really put around it (Qt's own idea of it can be stale).
    new TOuterFrameKeeper(*this, QSize(), [this] {
        return centredOn(shownDesktop().Screen(), size() + TOuterFrameKeeper::frameOf(*this));
    });
    LoadStandardLayout();
    createHistory();
    m_pick = new TDesignPick(*this);
    m_contextMenu = new TPassContextMenu(*this);
}

void TForm1::createHistory() {
    m_history = new TDesignHistory(*this, this);
    Cofnij1 = new QAction(QString::fromUtf8("&Cofnij"), this);
    Cofnij1->setObjectName(QStringLiteral("Cofnij1"));
    Cofnij1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Ponow1 = new QAction(QString::fromUtf8("Po&nów"), this);
    Ponow1->setObjectName(QStringLiteral("Ponow1"));
    Ponow1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {Cofnij1, Ponow1}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        addAction(action);
    }
    connect(&m_history->stack(), &QUndoStack::canUndoChanged, Cofnij1, &QAction::setEnabled);
    connect(&m_history->stack(), &QUndoStack::canRedoChanged, Ponow1, &QAction::setEnabled);
    connect(Cofnij1, &QAction::triggered, this, [this] { guardOrRun(m_errors, [this] { undoDesign(); }); });
    connect(Ponow1, &QAction::triggered, this, [this] { guardOrRun(m_errors, [this] { redoDesign(); }); });
    // The main window's controls show the design brought back, as after opening a template.
    connect(m_history, &TDesignHistory::restored, this, [this] {
        m_photoLink.remember(*this);
        showDesignInHost();
    });
    connect(m_history, &TDesignHistory::restarted, this, [this] { m_photoLink.remember(*this); });
    // The frame joins the step in which its photo moved, and the other way round.
    m_history->beforeCheckpoint = [this] {
        m_photoLink.follow(*this);
        if (SizeControl1)
            SizeControl1->followTarget();
    };
    // The other picked elements go with a drag before its end: one step, not two.
    m_history->midAction = [this] { return SizeControl1 && SizeControl1->dragMode() != TDragMode::None; };
}

// Not in the middle of a drag: the element being dragged would be replaced under the pointer.
void TForm1::undoDesign() {
    if (!SizeControl1 || SizeControl1->dragMode() == TDragMode::None)
        m_history->undo();
}

void TForm1::redoDesign() {
    if (!SizeControl1 || SizeControl1->dragMode() == TDragMode::None)
        m_history->redo();
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

void TForm1::setDesignFont(const TFont& font) {
    TPassDesign::setDesignFont(font);
    setFont(font.toQFont());
}

void TForm1::ShowCentred() {
    move(centredOn(shownDesktop().Screen(), size()));
    show();
    raise();
}

void TForm1::FormShow() {
    applyShownStyles();
    IPassWindowHost* const mainWindow = host();
    if (!mainWindow)
        return;
    mainWindow->closeImageSetWindow();
    showDesignInHost();
}

void TForm1::showDesignInHost() {
    IPassWindowHost* const mainWindow = host();
    if (!mainWindow)
        return;
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

void TForm1::FormResize() { setWindowTitle(sizeReadout(width(), height(), PixelsPerInch())); }

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

void TForm1::paintEvent(QPaintEvent* event) {
    THostForm::paintEvent(event);
    QPainter painter(this);
    if (m_pick)
        m_pick->paintMarks(painter);
}

void TForm1::showEvent(QShowEvent* event) {
    THostForm::showEvent(event);
    // Only a real showing counts, not the window manager restoring a minimised window.
    if (event->spontaneous())
        return;
    if (events().onShow)
        FormShow();
    if (events().onResize)
        FormResize();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    THostForm::resizeEvent(event);
    if (events().onResize)
        FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (events().onClose)
        FormClose();
    event->accept(); // hidden, not destroyed
}

void TForm1::changeEvent(QEvent* event) {
    THostForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && events().onActivate)
        FormActivate();
}

} // namespace wendolarka
