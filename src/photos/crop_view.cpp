#include "photos/crop_view.h"

#include "photos/photo_edit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace wendolarka::photos {
namespace {

// Room around the picture so the corner handles are never cut off.
constexpr double kMargin = 8;
constexpr double kHandle = 9;
// A corner is caught this far from it, in screen pixels.
constexpr double kGrip = 8;

// One key press or wheel notch changes the frame's height by this much.
constexpr double kResizeStep = 1.03;
constexpr double kResizeStepShift = 1.15;

} // namespace

TCropView::TCropView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("view"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(QString::fromUtf8("Kadr zdjęcia"));
}

void TCropView::setPicture(const QImage& shown, QSizeF pictureSize) {
    m_shown = shown;
    m_pictureSize = pictureSize;
    update();
}

void TCropView::setShown(const QImage& shown) {
    m_shown = shown;
    update();
}

void TCropView::setFrame(const QRectF& frame) {
    if (frame == m_frame)
        return;
    m_frame = frame;
    update();
    emit frameChanged(m_frame);
}

QRectF TCropView::pictureArea() const {
    const QRectF room = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (m_pictureSize.isEmpty() || room.isEmpty())
        return {};
    const double scale = std::min(room.width() / m_pictureSize.width(), room.height() / m_pictureSize.height());
    const QSizeF size = m_pictureSize * scale;
    return QRectF(room.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QRectF TCropView::frameOnScreen() const {
    const QRectF area = pictureArea();
    if (area.isEmpty())
        return {};
    const double scale = area.width() / m_pictureSize.width();
    return QRectF(area.topLeft() + m_frame.topLeft() * scale, m_frame.size() * scale);
}

double TCropView::pixelStep() const {
    const QRectF area = pictureArea();
    if (area.isEmpty())
        return 1;
    return std::max(1.0, m_pictureSize.width() / area.width());
}

QPointF TCropView::toPicture(QPointF point) const {
    const QRectF area = pictureArea();
    if (area.isEmpty())
        return {};
    return (point - area.topLeft()) * (m_pictureSize.width() / area.width());
}

int TCropView::cornerAt(QPointF point) const {
    const QRectF shown = frameOnScreen();
    if (shown.isEmpty())
        return -1;
    const QPointF corners[4] = {shown.topLeft(), shown.topRight(), shown.bottomRight(), shown.bottomLeft()};
    for (int i = 0; i < 4; ++i) {
        const QPointF d = point - corners[i];
        if (std::abs(d.x()) <= kGrip && std::abs(d.y()) <= kGrip)
            return i;
    }
    return -1;
}

void TCropView::changeFrame(const QRectF& frame) {
    if (!frame.isEmpty())
        setFrame(frame);
}

void TCropView::resizeBy(double factor) {
    if (m_frame.isEmpty())
        return;
    double height = m_frame.height() * factor;
    // Small frames still change by at least a screen pixel or two.
    const double least = 2 * pixelStep();
    if (factor > 1)
        height = std::max(height, m_frame.height() + least);
    else
        height = std::min(height, m_frame.height() - least);
    changeFrame(resizedFrame(m_frame, height, m_pictureSize));
}

QRectF TCropView::frameFromCorner(QPointF anchor, QPointF towards) const {
    // The frame grows from the anchor in the direction the dragged corner lay
    // when the drag began; it never turns over past the anchor.
    const QPointF dragged = m_pressFrame.center() - anchor;
    const double sx = dragged.x() >= 0 ? 1 : -1;
    const double sy = dragged.y() >= 0 ? 1 : -1;
    // The corner goes to the point of the frame's diagonal nearest the pointer.
    const double wanted = (sx * (towards.x() - anchor.x()) * m_aspect + sy * (towards.y() - anchor.y())) /
                          (m_aspect * m_aspect + 1);
    const double roomX = sx > 0 ? m_pictureSize.width() - anchor.x() : anchor.x();
    const double roomY = sy > 0 ? m_pictureSize.height() - anchor.y() : anchor.y();
    const double most = std::min(roomY, roomX / m_aspect);
    const double height = std::clamp(wanted, std::min(kMinFrameHeight, most), std::max(most, kMinFrameHeight));
    const double width = height * m_aspect;
    const QRectF frame(sx > 0 ? anchor.x() : anchor.x() - width, sy > 0 ? anchor.y() : anchor.y() - height, width,
                       height);
    return movedFrame(frame, {}, m_pictureSize);
}

void TCropView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().dark());
    const QRectF area = pictureArea();
    if (!area.isEmpty() && !m_shown.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(area, m_shown);
    }
    const QRectF frame = frameOnScreen();
    if (!frame.isEmpty()) {
        QPainterPath outside;
        outside.addRect(area);
        QPainterPath inside;
        inside.addRect(frame);
        painter.fillPath(outside.subtracted(inside), QColor(0, 0, 0, 150));

        // A dark and a light line, so the frame shows on any photo.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0, 0, 0, 180), 1));
        painter.drawRect(frame.adjusted(-1, -1, 1, 1));
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(frame);
        // Thirds help to place the eyes.
        painter.setPen(QPen(QColor(255, 255, 255, 90), 1, Qt::DashLine));
        for (int i = 1; i < 3; ++i) {
            const double x = frame.left() + frame.width() * i / 3;
            const double y = frame.top() + frame.height() * i / 3;
            painter.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
            painter.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
        }
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        for (const QPointF corner : {frame.topLeft(), frame.topRight(), frame.bottomRight(), frame.bottomLeft()})
            painter.drawRect(QRectF(corner - QPointF(kHandle / 2, kHandle / 2), QSizeF(kHandle, kHandle)));
    }
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().highlight(), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void TCropView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = mods.testFlag(Qt::ShiftModifier);
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const double step = pixelStep() * (shift ? 10 : 1);
    const double grow = shift ? kResizeStepShift : kResizeStep;
    QPointF by;
    switch (event->key()) {
    case Qt::Key_Left:
        if (ctrl)
            return resizeBy(1 / grow);
        by = {-step, 0};
        break;
    case Qt::Key_Right:
        if (ctrl)
            return resizeBy(grow);
        by = {step, 0};
        break;
    case Qt::Key_Up:
        if (ctrl)
            return resizeBy(grow);
        by = {0, -step};
        break;
    case Qt::Key_Down:
        if (ctrl)
            return resizeBy(1 / grow);
        by = {0, step};
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return resizeBy(grow);
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return resizeBy(1 / grow);
    default:
        // Enter, Esc and the rest belong to the dialog.
        return QWidget::keyPressEvent(event);
    }
    if (!m_frame.isEmpty())
        changeFrame(movedFrame(m_frame, by, m_pictureSize));
}

void TCropView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_frame.isEmpty())
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const QPointF at = event->position();
    m_corner = cornerAt(at);
    if (m_corner < 0 && !frameOnScreen().contains(at)) {
        // A press beside the frame brings the frame there, ready to drag on.
        changeFrame(movedFrame(m_frame, toPicture(at) - m_frame.center(), m_pictureSize));
    }
    m_drag = m_corner >= 0 ? Drag::corner : Drag::move;
    m_pressPicture = toPicture(at);
    m_pressFrame = m_frame;
    event->accept();
}

void TCropView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = toPicture(event->position());
    switch (m_drag) {
    case Drag::none:
        updateCursor(event->position());
        return;
    case Drag::move:
        changeFrame(movedFrame(m_pressFrame, at - m_pressPicture, m_pictureSize));
        return;
    case Drag::corner: {
        if (event->modifiers().testFlag(Qt::ControlModifier)) {
            const QPointF d = at - m_pressFrame.center();
            const double height = 2 * std::max(std::abs(d.y()), std::abs(d.x()) / m_aspect);
            changeFrame(resizedFrame(m_pressFrame, height, m_pictureSize));
        } else {
            const QPointF corners[4] = {m_pressFrame.bottomRight(), m_pressFrame.bottomLeft(),
                                        m_pressFrame.topLeft(), m_pressFrame.topRight()};
            changeFrame(frameFromCorner(corners[m_corner], at));
        }
        return;
    }
    }
}

void TCropView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_drag == Drag::none)
        return QWidget::mouseReleaseEvent(event);
    m_drag = Drag::none;
    m_corner = -1;
    updateCursor(event->position());
}

void TCropView::wheelEvent(QWheelEvent* event) {
    // Fine-grained wheels and touchpads send parts of a notch: they add up.
    m_wheelRest += event->angleDelta().y();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches != 0)
        resizeBy(std::pow(kResizeStep, notches));
    event->accept();
}

void TCropView::updateCursor(QPointF point) {
    const int corner = cornerAt(point);
    if (corner == 0 || corner == 2)
        setCursor(Qt::SizeFDiagCursor);
    else if (corner == 1 || corner == 3)
        setCursor(Qt::SizeBDiagCursor);
    else if (frameOnScreen().contains(point))
        setCursor(Qt::SizeAllCursor);
    else
        setCursor(Qt::ArrowCursor);
}

} // namespace wendolarka::photos
