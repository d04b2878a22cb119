#include "size_control.h"

#include "controls/host_form.h"
#include "core/exception.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace wendolarka {
namespace {

const QEvent::Type kPickEvent = static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 2048));
const QEvent::Type kTargetChangedEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PickEvent : QEvent {
    explicit PickEvent(QPoint p) : QEvent(kPickEvent), point(p) {}
    QPoint point;
};

THostForm& requireHost(QObject* owner) {
    auto* host = qobject_cast<THostForm*>(owner);
    if (!host)
        throw Exception(QStringLiteral("TSizeControl.create - Owner must be a TCustomFrom"));
    return *host;
}

std::optional<TMouseButton> toButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return mbLeft;
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return std::nullopt;
    }
}

constexpr TCursor kKindCursors[9] = {crNSEW,     crSizeWE, crSizeNWSE, crSizeNS,  crSizeNESW,
                                     crSizeWE,   crSizeNWSE, crSizeNS, crSizeNESW};

} // namespace

TSizeControl::TSizeControl(QObject* owner) : QWidget(&requireHost(owner)), m_host(requireHost(owner)) {
    m_container = &m_host.client();
    setGeometry(0, 0, 28, 28);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    hide();
    m_host.installEventFilter(this);
    // A target hidden (itself or a container of it) is let go of: no frame around an empty place.
    connect(&m_host, &THostForm::controlVisibilityChanged, this, [this] { forgetHiddenTarget(); });
    connect(&m_host, &THostForm::controlDestroying, this, [this](TControl* doomed) {
        if (doomed == m_pending)
            m_pending = nullptr;
        if (doomed == m_container)
            m_container = root();
        if (doomed == m_target) {
            m_target = nullptr;
            m_dragMode = TDragMode::None;
            hide();
        }
    });
}

TSizeControl::~TSizeControl() { m_host.removeEventFilter(this); }

TWinControl* TSizeControl::root() const { return &m_host.client(); }

int TSizeControl::snapEdge(int edge, int clientOrigin, int grid) {
    const int o = clientOrigin % grid;
    const int r = (edge - o) % grid; // the remainder takes the sign of the dividend
    return r < grid / 2 ? edge - r : edge + grid - r;
}

// ---- properties -------------------------------------------------------------

void TSizeControl::setColor(TColor color) {
    m_color = color;
    update();
}

void TSizeControl::setControlActions(TControlActions actions) {
    m_actions = actions;
    update();
}

void TSizeControl::setEnabled(bool enabled) {
    m_enabled = enabled;
    setVisible(enabled && m_target);
    if (isVisible())
        setFocus();
    m_host.update();
}

void TSizeControl::setGridSize(int size) {
    if (size < 0 || size > 50 || size == m_gridSize)
        return;
    m_gridSize = size;
    m_host.update();
    update();
}

void TSizeControl::forgetHiddenTarget() {
    if (!m_target || m_target->Showing())
        return;
    m_pending = nullptr;
    m_approved = true; // nobody can refuse letting go of what cannot be seen
    setTarget(nullptr);
}

void TSizeControl::followTarget() {
    if (!m_target || m_dragMode != TDragMode::None)
        return;
    update();
    placeOverTarget();
    update();
}

void TSizeControl::SetFocus() {
    if (!m_target || !m_host.isVisible() || !m_enabled)
        return;
    setFocus(Qt::OtherFocusReason);
    update();
}

bool TSizeControl::acceptsTarget(TControl* candidate) {
    bool valid = true;
    if (OnTargetChanging)
        OnTargetChanging(*this, candidate, valid);
    return valid;
}

TRect TSizeControl::sizerBounds() const {
    const QPoint origin = m_container == root() ? QPoint() : m_container->hostOffset();
    return TRect::fromQRect(geometry()).translated(-origin.x(), -origin.y());
}

QPoint TSizeControl::containerOriginOnScreen() const {
    const QPoint origin = m_container == root() ? QPoint() : m_container->hostOffset();
    return m_host.mapToGlobal(origin);
}

TRect TSizeControl::screenRect() const {
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    return TRect::bounds(topLeft.x(), topLeft.y(), width(), height());
}

void TSizeControl::placeOverTarget() {
    const QPoint origin = m_container == root() ? QPoint() : m_container->hostOffset();
    setGeometry(m_target->BoundsRect().translated(origin.x(), origin.y()).toQRect());
}

void TSizeControl::setTarget(TControl* newTarget) {
    if (m_approved) {
        m_approved = false;
    } else if (newTarget == m_target || !acceptsTarget(newTarget)) {
        return;
    }
    if (m_pending)
        newTarget = m_pending;
    m_target = (newTarget && newTarget->Parent()) ? newTarget : nullptr;
    hide();
    m_container = root();
    if (m_target) {
        m_container = m_target->Parent();
        placeOverTarget();
        if (m_enabled) {
            m_dragMode = TDragMode::None;
            raise();
            show();
            setFocus(Qt::OtherFocusReason);
        }
    } else {
        m_host.setFocus(Qt::OtherFocusReason);
    }
    QCoreApplication::postEvent(this, new QEvent(kTargetChangedEvent));
}

void TSizeControl::synchronise(Reason reason) {
    update();
    placeOverTarget();
    update();
    const TRect bounds = sizerBounds();
    if (reason == Reason::Resize && OnResized)
        OnResized(*this, bounds);
    if (reason == Reason::Move && OnMoved)
        OnMoved(*this, bounds);
}

// ---- the host window's events -------------------------------------------------

bool TSizeControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_host || !m_enabled)
        return false;
    switch (event->type()) {
    case QEvent::Resize: {
        const TRect before = m_target ? m_target->BoundsRect() : TRect{};
        static_cast<QObject&>(m_host).event(event);
        if (m_target && m_host.isVisible()) {
            const TRect after = m_target->BoundsRect();
            if (after.Right != before.Right || after.Bottom != before.Bottom)
                synchronise(Reason::Resize);
        }
        return true;
    }
    case QEvent::Show:
        raise();
        return false;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const auto button = toButton(mouse->button());
        if (button && (m_mouseButtons & (1u << *button)))
            pickByMouse(mouse->position().toPoint());
        return false;
    }
    case QEvent::MouseButtonRelease:
        // A quick click can be over before the posted pick arrives; then the
        // pick selects but starts no drag.
        m_pickHeld = false;
        return false;
    case QEvent::WindowActivate:
        if (m_target)
            SetFocus();
        return false;
    case QEvent::Paint:
        static_cast<QObject&>(m_host).event(event);
        if (m_gridSize > 0)
            paintGridDots(static_cast<QPaintEvent*>(event)->rect());
        return true;
    default:
        return false;
    }
}

void TSizeControl::paintGridDots(const QRect& area) {
    // Only the area being painted, and containers (windows of their own on the
    // platform) keep the dots off them.
    QRegion dotted = QRegion(area.intersected(m_host.rect()));
    for (TControl* c : root()->Controls())
        if (c->Visible() && (dynamic_cast<TWinControl*>(c) || c->ShowsPicture()))
            dotted -= c->BoundsRect().toQRect();
    if (dotted.isEmpty())
        return;
    // One dot a cell, laid as a tile from the window's corner: the time follows
    // the area painted, not the number of dots (a grid of 1 has one a pixel).
    if (m_gridTile.width() != m_gridSize) {
        QImage tile(m_gridSize, m_gridSize, QImage::Format_ARGB32_Premultiplied);
        tile.fill(Qt::transparent);
        tile.setPixel(0, 0, qRgb(128, 128, 128));
        m_gridTile = QPixmap::fromImage(tile);
    }
    QPainter painter(&m_host);
    painter.setClipRegion(dotted);
    painter.fillRect(dotted.boundingRect(), QBrush(m_gridTile));
}

void TSizeControl::pickByMouse(QPoint p, bool throughSizer) {
    if (!m_allowTab)
        return;
    if (!throughSizer && isVisible() && geometry().contains(p))
        return;
    TControl* chosen = m_host.controlAt(p);
    m_pending = chosen;
    if (chosen == m_target || !acceptsTarget(chosen)) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    m_approved = true;
    m_pickHeld = true;
    QCoreApplication::postEvent(this, new PickEvent(p - chosen->hostOffset()));
}

void TSizeControl::handlePick(QPoint targetPoint) {
    if (m_target == m_pending) {
        m_approved = false;
        return;
    }
    setTarget(m_pending);
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    if (OnTargetChanged)
        OnTargetChanged(*this, m_target);
    m_pending = nullptr;
    if (!m_target)
        return;
    hitTest(targetPoint);
    if (!m_pickHeld)
        return;
    m_pickHeld = false;
    for (TMouseButton b : {mbLeft, mbRight, mbMiddle})
        if (m_mouseButtons & (1u << b)) {
            pressAt(b, targetPoint);
            break;
        }
}

bool TSizeControl::event(QEvent* event) {
    if (event->type() == kPickEvent) {
        handlePick(static_cast<PickEvent*>(event)->point);
        return true;
    }
    if (event->type() == kTargetChangedEvent) {
        if (OnTargetChanged)
            OnTargetChanged(*this, m_target);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

// ---- hit test and mouse ---------------------------------------------------------

void TSizeControl::hitTest(QPoint p) {
    const int w = width();
    const int h = height();
    const auto setCursorTo = [this](TCursor c) {
        m_cursor = c;
        setCursor(cursorFor(c));
    };
    const bool aligned = isAligned();
    if (p.x() >= 4 && p.x() < w - 4 && p.y() >= 4 && p.y() < h - 4) {
        if (auto* container = dynamic_cast<TWinControl*>(m_target)) {
            for (TControl* child : container->Controls())
                if (child->Visible() && child->BoundsRect().contains(p)) {
                    setCursorTo(crArrow);
                    return;
                }
        }
        m_hitKind = THitKind::Inside;
        setCursorTo((aligned || m_actions == caSizeOnly) ? crArrow : crNSEW);
        return;
    }
    if (m_actions == caMoveOnly && !aligned) {
        m_hitKind = THitKind::Inside;
        setCursorTo(crNSEW);
        return;
    }
    if (m_actions == caSizeOnly && !aligned && (p.x() < 5 || p.y() < 5)) {
        m_hitKind = THitKind::Inside;
        setCursorTo(crArrow);
        return;
    }
    if (m_actions == caMoveOnly && aligned) {
        m_hitKind = THitKind::Inside;
        setCursorTo(crArrow);
        return;
    }
    m_hitKind = THitKind::Inside;
    const bool left = p.x() <= 4, right = p.x() > w - 5, top = p.y() <= 4, bottom = p.y() > h - 5;
    using enum THitKind;
    THitKind kind = Inside;
    if (left && top) kind = TopLeft;
    else if (right && top) kind = TopRight;
    else if (right && bottom) kind = BottomRight;
    else if (left && bottom) kind = BottomLeft;
    else if (left) kind = Left;
    else if (top) kind = Top;
    else if (right) kind = Right;
    else if (bottom) kind = Bottom;
    if (kind == Inside)
        return;
    if (aligned) {
        const TAlign a = m_target->Align();
        const bool allowed = (kind == Bottom && a == alTop) || (kind == Top && a == alBottom) ||
                             (kind == Right && a == alLeft) || (kind == Left && a == alRight);
        if (!allowed)
            return;
    }
    m_hitKind = kind;
    setCursorTo(kKindCursors[static_cast<int>(kind)]);
}

void TSizeControl::pressAt(TMouseButton button, QPoint p) {
    m_dragMode = TDragMode::None;
    if (!(m_mouseButtons & (1u << button)) || !m_target)
        return;
    auto* container = dynamic_cast<TWinControl*>(m_target);
    if (container && m_allowTab && TRect{4, 4, width() - 4, height() - 4}.contains(p)) {
        const std::vector<TControl*> children = container->Controls();
        for (TControl* child : children) {
            if (!child->Visible() || !child->BoundsRect().contains(p) || !acceptsTarget(child))
                continue;
            p -= QPoint(child->Left(), child->Top());
            m_approved = true;
            setTarget(child);
            if (OnTargetChanged)
                OnTargetChanged(*this, m_target);
            hitTest(p);
        }
    }
    if (m_hitKind != THitKind::Inside) {
        m_dragMode = TDragMode::Resize;
    } else {
        if (isAligned() || m_cursor != crNSEW)
            return;
        m_dragMode = TDragMode::Move;
    }
    m_pressPoint = p;
    m_dragRect = screenRect();
    showFeedback(true);

    // The pointer may not leave the container or shrink the target below its minimum.
    const TRect s = sizerBounds();
    const int L = s.Left, T = s.Top, W = s.Width(), H = s.Height();
    TRect clip = m_container->ClientRect();
    switch (m_hitKind) {
    case THitKind::Left: clip.Right = L + W - m_minWidth; break;
    case THitKind::TopLeft: clip.Right = L + W - m_minWidth; clip.Bottom = T + H - m_minHeight; break;
    case THitKind::Top: clip.Bottom = T + H - m_minHeight; break;
    case THitKind::TopRight: clip.Bottom = T + H - m_minHeight; clip.Left = L + m_minWidth; break;
    case THitKind::Right: clip.Left = L + m_minWidth; break;
    case THitKind::BottomRight: clip.Left = L + m_minWidth; clip.Top = T + m_minHeight; break;
    case THitKind::Bottom: clip.Top = T + m_minHeight; break;
    case THitKind::BottomLeft: clip.Top = T + m_minHeight; clip.Right = L + W - m_minWidth; break;
    case THitKind::Inside: break;
    }
    const QPoint origin = containerOriginOnScreen();
    m_clip = clip.translated(origin.x(), origin.y());
    grabMouse();
}

void TSizeControl::showFeedback(bool visible) {
    if (!visible) {
        m_host.setFeedbackRect(std::nullopt);
        return;
    }
    const QPoint hostOrigin = m_host.mapToGlobal(QPoint(0, 0));
    m_host.setFeedbackRect(m_dragRect.translated(-hostOrigin.x(), -hostOrigin.y()));
}

void TSizeControl::mousePressEvent(QMouseEvent* event) {
    const auto button = toButton(event->button());
    if (!button) {
        m_dragMode = TDragMode::None;
        return;
    }
    // A hollow target (a frame): a press in its middle on another element picks
    // that element, as if the sizer were not there; on bare ground it moves the frame.
    const QPoint p = event->position().toPoint();
    if (m_target && !m_target->HitTest(p) && (m_mouseButtons & (1u << *button))) {
        const QPoint onHost = mapTo(&m_host, p);
        const TControl* beneath = m_host.controlAt(onHost);
        if (beneath && beneath != m_target && beneath != root()) {
            pickByMouse(onHost, true);
            return;
        }
    }
    hitTest(event->position().toPoint());
    pressAt(*button, event->position().toPoint());
}

void TSizeControl::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragMode == TDragMode::None) {
        hitTest(event->position().toPoint());
        return;
    }
    QPoint q = event->globalPosition().toPoint();
    q.setX(qBound(m_clip.Left, q.x(), qMax(m_clip.Left, m_clip.Right - 1)));
    q.setY(qBound(m_clip.Top, q.y(), qMax(m_clip.Top, m_clip.Bottom - 1)));
    const int px = m_pressPoint.x(), py = m_pressPoint.y();
    const int W = width(), H = height();
    if (m_dragMode == TDragMode::Move) {
        m_dragRect = TRect::bounds(q.x() - px, q.y() - py, m_dragRect.Width(), m_dragRect.Height());
    } else {
        using enum THitKind;
        const THitKind k = m_hitKind;
        if (k == Left || k == TopLeft || k == BottomLeft) m_dragRect.Left = q.x() - px;
        if (k == TopLeft || k == Top || k == TopRight) m_dragRect.Top = q.y() - py;
        if (k == TopRight || k == Right || k == BottomRight) m_dragRect.Right = q.x() + W - px;
        if (k == BottomRight || k == Bottom || k == BottomLeft) m_dragRect.Bottom = q.y() + H - py;
    }
    const QPoint origin = containerOriginOnScreen();
    const TRect eventRect = m_dragRect.translated(-origin.x(), -origin.y());
    const RectEvent& handler = m_dragMode == TDragMode::Move ? OnMoving : OnResizing;
    if (handler)
        handler(*this, eventRect);
    showFeedback(true);
}

void TSizeControl::mouseReleaseEvent(QMouseEvent*) {
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    if (m_dragMode == TDragMode::None)
        return;
    showFeedback(false);
    if (m_target) {
        update();
        if (m_gridSize > 1 && m_snapToGrid) {
            const QPoint o = m_host.mapToGlobal(QPoint(0, 0));
            m_dragRect = {snapEdge(m_dragRect.Left, o.x(), m_gridSize),
                          snapEdge(m_dragRect.Top, o.y(), m_gridSize),
                          snapEdge(m_dragRect.Right, o.x(), m_gridSize),
                          snapEdge(m_dragRect.Bottom, o.y(), m_gridSize)};
        }
        const QPoint origin = containerOriginOnScreen();
        m_target->setBoundsRect(m_dragRect.translated(-origin.x(), -origin.y()));
        synchronise(m_dragMode == TDragMode::Resize ? Reason::Resize : Reason::Move);
    }
    m_dragMode = TDragMode::None;
}

} // namespace wendolarka
