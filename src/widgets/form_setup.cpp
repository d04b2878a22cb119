#include "form_setup.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QPushButton>
#include <QPalette>
#include <QWidget>
#include <QWindow>

namespace wendolarka {

void setBackground(QWidget& widget, TColor color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(color));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void setTextColor(QWidget& widget, TColor color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    palette.setColor(QPalette::Text, toQColor(color));
    palette.setColor(QPalette::ButtonText, toQColor(color));
    widget.setPalette(palette);
}

QPalette classicPalette() {
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, TColor color) {
        palette.setColor(QPalette::All, role, toQColor(color));
    };
    set(QPalette::Window, clBtnFace);
    set(QPalette::Button, clBtnFace);
    set(QPalette::WindowText, clWindowText);
    set(QPalette::ButtonText, clBtnText);
    set(QPalette::Base, clWindow);
    set(QPalette::AlternateBase, clBtnFace);
    set(QPalette::Text, clWindowText);
    set(QPalette::Highlight, clHighlight);
    set(QPalette::HighlightedText, clHighlightText);
    set(QPalette::Light, clBtnHighlight);
    set(QPalette::Midlight, cl3DLight);
    set(QPalette::Mid, clBtnShadow);
    set(QPalette::Dark, clBtnShadow);
    set(QPalette::Shadow, cl3DDkShadow);
    set(QPalette::ToolTipBase, clInfoBk);
    set(QPalette::ToolTipText, clInfoText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, toQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::Text, toQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, toQColor(clGrayText));
    return palette;
}

QDialogButtonBox* okCancelButtons(QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

void setToolWindowFrame(QWidget& window) {
    window.setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

TOuterFrameKeeper::TOuterFrameKeeper(QWidget& window, QSize outer, std::function<QPoint()> place)
    : QObject(&window), m_window(window), m_outer(outer), m_place(std::move(place)) {
    window.installEventFilter(this);
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &TOuterFrameKeeper::fit);
}

TOuterFrameKeeper* TOuterFrameKeeper::of(QWidget& window) {
    for (QObject* child : window.children())
        if (auto* keeper = dynamic_cast<TOuterFrameKeeper*>(child))
            return keeper;
    return nullptr;
}

QSize TOuterFrameKeeper::frameOf(const QWidget& window) {
    // Asked of the window itself: a widget's own frame geometry may keep a frame
    // it learnt before the manager had framed the window.
    const QWindow* handle = window.windowHandle();
    const QMargins m = handle ? handle->frameMargins() : QMargins();
    return {m.left() + m.right(), m.top() + m.bottom()};
}

bool TOuterFrameKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window)
        return false;
    if (event->type() == QEvent::Show) {
        m_kept = false; // another showing, perhaps another frame
        m_tries = 0;
        m_placeTries = 0;
        m_poll.start();
    }
    if (event->type() == QEvent::Show || event->type() == QEvent::Move || event->type() == QEvent::Resize)
        fit();
    return false;
}

void TOuterFrameKeeper::fit() {
    if (!m_window.isVisible())
        return m_poll.stop();
    if (++m_tries > kPollTries)
        m_poll.stop();
    // The frame is known only once the window manager has framed the window,
    // which it tells in its own time, and may change once more: watched for a while.
    const QSize frame = frameOf(m_window);
    // Between the manager's notices the two geometries can disagree; only a plausible frame counts.
    const bool plausible = frame.width() >= 0 && frame.height() >= 0 && frame.width() < 100 && frame.height() < 200;
    if (frame == QSize(0, 0) || !plausible)
        return;
    if (!m_kept || frame != m_frame) {
        m_kept = true;
        m_frame = frame;
        m_placeTries = 0;
        if (m_outer.isValid())
            m_window.resize(clientFor(m_outer, frame));
    }
    // The frame's top-left corner, looked at again: a move asked while the manager
    // was still telling its frame can land the client there instead.
    if (m_place && m_placeTries < kPlaceTries) {
        QWindow& handle = *m_window.windowHandle();
        const QPoint want = m_place();
        if (handle.framePosition() == want)
            m_placeTries = kPlaceTries; // there: from now on the user places it
        else {
            ++m_placeTries;
            // The client's own place, the frame added by hand: asked frame-inclusive,
            // a request can be answered by placing the client there.
            const QMargins m = handle.frameMargins();
            handle.setPosition(want + QPoint(m.left(), m.top()));
        }
    }
}

void initForm(QWidget& form, const FormSetup& setup) {
    form.setObjectName(setup.name);
    form.setWindowTitle(setup.caption);
    if (setup.toolWindow)
        setToolWindowFrame(form);
    form.resize(setup.clientSize);
    setBackground(form, setup.color);
    form.setFont(setup.font.toQFont());
}

} // namespace wendolarka
