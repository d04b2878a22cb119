#include "size_control.h"

#include "controls/host_form.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>

// The sizer's keyboard (Tab walking, Esc climbing, arrow keys) and its frame.
namespace wendolarka {
namespace {

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

// ---- keys --------------------------------------------------------------------------

TControl* TSizeControl::nextControl(TControl* t) const {
    const auto firstVisible = [](const TWinControl* container) -> TControl* {
        for (TControl* c : container->Controls())
            if (c->Visible())
                return c;
        return nullptr;
    };
    if (auto* container = dynamic_cast<TWinControl*>(t))
        if (TControl* child = firstVisible(container))
            return child;
    for (TControl* c = t;;) {
        TWinControl* parent = c->Parent();
        if (!parent)
            return firstVisible(root());
        const auto& siblings = parent->Controls();
        auto it = std::find(siblings.begin(), siblings.end(), c);
        for (++it; it != siblings.end(); ++it)
            if ((*it)->Visible())
                return *it;
        if (parent == root())
            return firstVisible(root());
        c = parent;
    }
}

TControl* TSizeControl::previousControl(TControl* t) const {
    const auto lastVisible = [](const TWinControl* container) -> TControl* {
        const auto& list = container->Controls();
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if ((*it)->Visible())
                return *it;
        return nullptr;
    };
    const auto descend = [&](TControl* c) {
        while (auto* container = dynamic_cast<TWinControl*>(c)) {
            TControl* last = lastVisible(container);
            if (!last)
                break;
            c = last;
        }
        return c;
    };
    TWinControl* parent = t->Parent();
    if (!parent)
        return nullptr;
    const auto& siblings = parent->Controls();
    auto it = std::find(siblings.begin(), siblings.end(), t);
    while (it != siblings.begin()) {
        --it;
        if ((*it)->Visible())
            return descend(*it);
    }
    if (parent == root()) {
        TControl* last = lastVisible(root());
        return last ? descend(last) : nullptr;
    }
    return parent;
}

TControl* TSizeControl::walk(TControl* from, bool forward) {
    TControl* candidate = forward ? nextControl(from) : previousControl(from);
    // Refused candidates are passed over; a full circle ends the walk.
    TControl* first = candidate;
    while (candidate && candidate != m_target && !acceptsTarget(candidate)) {
        candidate = forward ? nextControl(candidate) : previousControl(candidate);
        if (candidate == first)
            return m_target;
    }
    return candidate;
}

void TSizeControl::keyPressEvent(QKeyEvent* event) {
    if (m_host.KeyPreview())
        QCoreApplication::sendEvent(&m_host, event);
    if (m_dragMode != TDragMode::None)
        return;
    const int key = event->key();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && m_allowTab) {
        const bool backwards = key == Qt::Key_Backtab || shift;
        TControl* next = nullptr;
        if (!m_target) {
            for (TControl* c : root()->Controls())
                if (c->Visible()) {
                    next = c;
                    break;
                }
            if (next && !acceptsTarget(next))
                next = walk(next, true);
        } else {
            next = walk(m_target, !backwards);
        }
        if (next != m_target) {
            m_approved = true;
            setTarget(next);
        }
        return;
    }
    if (key == Qt::Key_Escape && m_allowTab) {
        if (!acceptsTarget(m_container))
            return;
        m_approved = true;
        setTarget(m_container == root() ? nullptr : m_container);
        return;
    }
    if (isArrow(key) && m_target)
        arrowKey(key, shift);
}

void TSizeControl::arrowKey(int key, bool shift) {
    update();
    if (m_actions == caMoveOnly)
        shift = false;
    if (m_actions == caSizeOnly)
        shift = true;
    const bool resize = shift;
    TRect r = sizerBounds();
    if (!isAligned()) {
        const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
        const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
        if (resize) {
            r.Right += dx;
            r.Bottom += dy;
        } else {
            r = r.translated(dx, dy);
        }
        r.Right = std::max(r.Right, r.Left + m_minWidth);
        r.Bottom = std::max(r.Bottom, r.Top + m_minHeight);
        m_target->setBoundsRect(r);
    } else {
        const TAlign a = m_target->Align();
        if (!resize || a == alClient)
            return;
        TRect b = m_target->BoundsRect();
        if (a == alTop && (key == Qt::Key_Up || key == Qt::Key_Down))
            b.Bottom += key == Qt::Key_Up ? -1 : 1;
        else if (a == alBottom && (key == Qt::Key_Up || key == Qt::Key_Down))
            b.Top += key == Qt::Key_Up ? -1 : 1;
        else if (a == alLeft && (key == Qt::Key_Left || key == Qt::Key_Right))
            b.Right += key == Qt::Key_Left ? -1 : 1;
        else if (a == alRight && (key == Qt::Key_Left || key == Qt::Key_Right))
            b.Left += key == Qt::Key_Left ? -1 : 1;
        else
            return;
        m_target->setBoundsRect(b);
    }
    placeOverTarget();
    const TRect now = m_target->BoundsRect();
    const RectEvent& handler = resize ? OnResizing : OnMoving;
    if (handler)
        handler(*this, now);
}

void TSizeControl::keyReleaseEvent(QKeyEvent* event) {
    if (m_host.KeyPreview())
        QCoreApplication::sendEvent(&m_host, event);
    if (event->isAutoRepeat() || !isArrow(event->key()) || !m_target)
        return;
    arrowKeyReleased(event->modifiers() & Qt::ShiftModifier);
}

void TSizeControl::arrowKeyReleased(bool shift) {
    if (m_actions == caMoveOnly)
        shift = false;
    if (m_actions == caSizeOnly)
        shift = true;
    if (isAligned() && (!shift || m_target->Align() == alClient))
        return;
    const RectEvent& handler = shift ? OnResized : OnMoved;
    if (handler)
        handler(*this, sizerBounds());
}

// ---- painting -----------------------------------------------------------------------

void TSizeControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int W = width(), H = height();
    QPen pen(toQColor(m_color), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QColor shadow = toQColor(clBtnShadow);
    const auto line = [&](QColor color, int x1, int y1, int x2, int y2) {
        pen.setColor(color);
        painter.setPen(pen);
        painter.drawLine(x1, y1, x2, y2);
    };
    if (!m_target)
        return;
    const TAlign a = m_target->Align();
    const QColor main = toQColor(m_color);
    if (a == alNone && m_actions != caSizeOnly) {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(1, 1), QPoint(W - 1, H - 1)));
    } else if (a != alNone) {
        const QColor color = m_actions == caMoveOnly ? shadow : main;
        switch (a) {
        case alTop: line(color, 1, H - 1, W, H - 1); break;
        case alBottom: line(color, 1, 1, W, 1); break;
        case alLeft: line(color, W - 1, 1, W - 1, H); break;
        case alRight: line(color, 1, 1, 1, H); break;
        default: break;
        }
    } else {
        line(main, 1, H - 1, W, H - 1);
        line(main, W - 1, 1, W - 1, H);
        line(shadow, 1, 1, 1, H);
        line(shadow, 1, 1, W, 1);
    }
}

} // namespace wendolarka
