#include "print_preview.h"

// The preview's view: zoom, layout of the paper, keys, wheel and dragging.

#include "controls/host_form.h"
#include "core/arithmetic.h"
#include "core/exception.h"
#include "platform/printers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace wendolarka {

// ---- view -----------------------------------------------------------------------------------------

void TPrintPreview::setZoomState(TZoomState state) {
    if (state == m_zoomState)
        return;
    m_zoomState = state;
    RelayoutPaper();
}

void TPrintPreview::setZoom(int zoom) {
    zoom = clampZoom(zoom, m_zoomMin, m_zoomMax);
    if (zoom == m_zoom && m_zoomState == zsZoomOther)
        return;
    const int before = m_zoom;
    m_zoom = zoom;
    m_zoomState = zsZoomOther;
    RelayoutPaper();
    if (!m_paper->BitmapValid()) {
        m_zoom = before; // a page too large to hold: the old zoom comes back
        RelayoutPaper();
        return;
    }
    if (OnZoomChange)
        OnZoomChange(*this);
}

void TPrintPreview::setZoomMin(int value) {
    if (value == m_zoomMin || value <= 0 || value > m_zoomMax)
        return;
    m_zoomMin = value;
    if (m_zoomState == zsZoomOther && m_zoom < value)
        setZoom(value);
}

void TPrintPreview::setZoomMax(int value) {
    if (value == m_zoomMax || value < m_zoomMin)
        return;
    m_zoomMax = value;
    if (m_zoomState == zsZoomOther && m_zoom > value)
        setZoom(value);
}

void TPrintPreview::RelayoutPaper() {
    if (m_pages.Count() == 0)
        return;
    const int before = m_zoom;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    // The whole inside of the frame, as if no bar were shown: the layout decides the bars.
    QSize avail = contentsRect().size();
    int px = 0, py = 0;
    if (ZoomSavePos && m_currentPage != 0) {
        px = std::max(0, MulDiv(h->value(), 100, h->maximum()));
        py = std::max(0, MulDiv(v->value(), 100, v->maximum()));
    }
    h->setValue(0);
    v->setValue(0);
    const int frame = 2 * m_paper->BorderSize() + m_paper->ShadowSize();
    TPaperBox box = ComputePaperBox(m_zoomState, m_zoom, avail, m_pageExtent, frame);
    m_canScrollHorz = box.size.width() > avail.width();
    m_canScrollVert = box.size.height() > avail.height();
    const int barHeight = h->sizeHint().height(), barWidth = v->sizeHint().width();
    if (m_canScrollHorz) {
        avail.rheight() -= barHeight;
        m_canScrollVert = box.size.height() > avail.height();
        if (m_canScrollVert)
            avail.rwidth() -= barWidth;
        box = ComputePaperBox(m_zoomState, m_zoom, avail, m_pageExtent, frame);
    } else if (m_canScrollVert) {
        avail.rwidth() -= barWidth;
        m_canScrollHorz = box.size.width() > avail.width();
        if (m_canScrollHorz)
            avail.rheight() -= barHeight;
        box = ComputePaperBox(m_zoomState, m_zoom, avail, m_pageExtent, frame);
    }
    m_zoom = box.zoom;
    setHorizontalScrollBarPolicy(m_canScrollHorz ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(m_canScrollVert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_paperPos = QPoint(m_canScrollHorz ? 0 : (avail.width() - box.size.width()) / 2,
                        m_canScrollVert ? 0 : (avail.height() - box.size.height()) / 2);
    m_paper->resize(box.size);
    h->setRange(0, std::max(0, box.size.width() - avail.width()));
    v->setRange(0, std::max(0, box.size.height() - avail.height()));
    h->setPageStep(avail.width());
    v->setPageStep(avail.height());
    h->setSingleStep(8);
    v->setSingleStep(8);
    if (m_currentPage != 0 && ZoomSavePos) {
        h->setValue(m_canScrollHorz ? MulDiv(px, h->maximum(), 100) : 0);
        v->setValue(m_canScrollVert ? MulDiv(py, v->maximum(), 100) : 0);
    }
    placePaper();
    m_grabbing = false;
    m_paper->setCursor(cursorFor(m_canScrollHorz || m_canScrollVert ? m_paperView.DragCursor : m_paperView.Cursor));
    m_paper->Invalidate();
    if (m_zoom != before && OnZoomChange)
        OnZoomChange(*this);
}

void TPrintPreview::placePaper() {
    m_paper->move(m_paperPos - QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void TPrintPreview::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RelayoutPaper();
}

void TPrintPreview::scrollContentsBy(int, int) { placePaper(); }

void TPrintPreview::keyPressEvent(QKeyEvent* event) {
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool none = mods == Qt::NoModifier;
    const bool shift = mods == Qt::ShiftModifier, ctrl = mods == Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Home:
        if (none) h->setValue(0); else if (ctrl) v->setValue(0); else break;
        return;
    case Qt::Key_End:
        if (none) h->setValue(h->maximum()); else if (ctrl) v->setValue(v->maximum()); else break;
        return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (!none && !shift && !ctrl)
            break;
        const int sign = event->key() == Qt::Key_Left ? -1 : 1;
        h->setValue(h->value() + sign * (ctrl ? viewport()->width() : shift ? 1 : h->singleStep()));
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (!none && !shift && !ctrl)
            break;
        const int sign = event->key() == Qt::Key_Up ? -1 : 1;
        v->setValue(v->value() + sign * (ctrl ? viewport()->height() : shift ? 1 : v->singleStep()));
        return;
    }
    case Qt::Key_PageDown:
        if (none) setCurrentPage(m_currentPage + 1); else if (ctrl) setCurrentPage(TotalPages()); else break;
        return;
    case Qt::Key_PageUp:
        if (none) setCurrentPage(m_currentPage - 1); else if (ctrl) setCurrentPage(1); else break;
        return;
    case Qt::Key_Plus:
        if (none && (event->modifiers() & Qt::KeypadModifier)) { setZoom(m_zoom + ZoomStep); return; }
        break;
    case Qt::Key_Minus:
        if (none && (event->modifiers() & Qt::KeypadModifier)) { setZoom(m_zoom - ZoomStep); return; }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TPrintPreview::wheelEvent(QWheelEvent* event) {
    // The key-state word of the wheel message: buttons and the Shift and Ctrl keys.
    const Qt::MouseButtons buttons = event->buttons();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const int state = (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
                      (mods & Qt::ShiftModifier ? 4 : 0) | (mods & Qt::ControlModifier ? 8 : 0) |
                      (buttons & Qt::MiddleButton ? 16 : 0);
    if (state != 0 && state != 4 && state != 8 && state != 16) {
        event->ignore();
        return;
    }
    event->accept();
    const int notches = m_wheel.add(event->angleDelta().y());
    for (int k = 0; k < std::abs(notches); ++k) {
        const bool up = notches > 0;
        if (state == 0)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + (up ? -1 : 1) * verticalScrollBar()->singleStep());
        else if (state == 4 || state == 16)
            setCurrentPage(m_currentPage + (up ? -1 : 1));
        else
            setZoom(m_zoom + (up ? ZoomStep : -ZoomStep));
    }
}

bool TPrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalScrollBar() || watched == verticalScrollBar()) {
        if (event->type() != QEvent::Wheel)
            return false;
        wheelEvent(static_cast<QWheelEvent*>(event)); // never the bar's own three lines a notch
        return true;
    }
    if (watched != m_paper)
        return false;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
        event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick) {
        // The paper's mouse is the component's, in the component's client coordinates.
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = m_paper->mapTo(this, mouse->position().toPoint());
        const auto& handler = event->type() == QEvent::MouseButtonPress     ? OnMouseDown
                              : event->type() == QEvent::MouseButtonRelease ? OnMouseUp
                              : event->type() == QEvent::MouseMove          ? OnMouseMove
                                                                            : OnDblClick;
        if (handler)
            handler(*this, mouse->button(), at);
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
            m_paper->rect().contains(mouse->position().toPoint()) && OnClick)
            OnClick(*this, mouse->button(), at);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!hasFocus() && isEnabled())
            setFocus(Qt::MouseFocusReason);
        if (m_canScrollHorz || m_canScrollVert) {
            m_grabbing = true;
            m_paper->setCursor(cursorFor(m_paperView.GrabCursor));
        }
        m_grabPoint = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || !m_grabbing)
            return false;
        const QPoint d = mouse->position().toPoint() - m_grabPoint;
        if (m_canScrollHorz)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() - d.x());
        if (m_canScrollVert)
            verticalScrollBar()->setValue(verticalScrollBar()->value() - d.y());
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (m_grabbing) {
            m_grabbing = false;
            m_paper->setCursor(cursorFor(m_paperView.DragCursor));
        }
        return false;
    default:
        return false;
    }
}

} // namespace wendolarka
