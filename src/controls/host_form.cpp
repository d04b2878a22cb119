#include "host_form.h"

#include "core/exception.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace wendolarka {

THostForm::THostForm(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

THostForm::~THostForm() {
    // Elements first, while their parents and whoever watches them still exist.
    destroyAllControls();
}

void THostForm::elementDestroying(TControl* control) { emit controlDestroying(control); }

void THostForm::elementVisibilityChanged(TControl* control) { emit controlVisibilityChanged(control); }

QString THostForm::sizeReadout(int width, int height, int pixelsPerInch) {
    const auto millimetres = [pixelsPerInch](int pixels) {
        // Ties go to the even neighbour.
        return static_cast<long long>(std::nearbyint(static_cast<long double>(pixels) * 2.54L /
                                                     pixelsPerInch * 10.0L));
    };
    return QStringLiteral("Szer.  ") + QString::number(width) + u'/' +
           QString::number(millimetres(width)) + QStringLiteral("  Wys. ") + QString::number(height) +
           u'/' + QString::number(millimetres(height)) + QStringLiteral("  piksele/mm");
}

void THostForm::invalidateArea(const TRect& hostRect) {
    if (hostRect.isEmpty())
        update();
    else
        update(hostRect.toQRect());
}

void THostForm::setFeedbackRect(std::optional<TRect> rect) {
    if (rect == m_feedback)
        return;
    if (m_feedback)
        update(m_feedback->toQRect());
    m_feedback = rect;
    if (m_feedback)
        update(m_feedback->toQRect());
}

void THostForm::paintEvent(QPaintEvent*) {
    QImage card;
    try {
        renderCard(card);
    } catch (const Exception&) {
        // A window stretched past what a card may be shows its colour only; nothing leaves the event.
        QPainter(this).fillRect(rect(), toQColor(client().Color()));
        return;
    }
    if (m_feedback) {
        TCanvas overlay(card);
        overlay.DrawFocusRect(*m_feedback);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, card);
}

void THostForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncClientBounds();
}

void THostForm::mouseMoveEvent(QMouseEvent* event) {
    const TControl* under = controlAt(event->position().toPoint());
    setCursor(cursorFor(under ? under->Cursor() : crDefault));
    QWidget::mouseMoveEvent(event);
}

namespace {

// Four arrows from the centre, black with a white rim, on a transparent ground.
QCursor makeMoveCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QPolygon arrow({{16, 1}, {21, 7}, {18, 7}, {18, 14}, {25, 14}, {25, 11}, {31, 16},
                          {25, 21}, {25, 18}, {18, 18}, {18, 25}, {21, 25}, {16, 31}, {11, 25},
                          {14, 25}, {14, 18}, {7, 18}, {7, 21}, {1, 16}, {7, 11}, {7, 14},
                          {14, 14}, {14, 7}, {11, 7}});
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow);
    return QCursor(pixmap, 16, 16);
}

// A hand seen from its back: four fingers up when open, folded when grabbing.
QCursor makeHandCursor(bool closed) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    const int fingerTop = closed ? 11 : 5;
    for (int i = 0; i < 4; ++i)
        painter.drawRoundedRect(QRectF(8.5 + 4 * i, fingerTop + (i == 0 || i == 3 ? 2 : 0), 4, 12), 2, 2);
    painter.drawRoundedRect(QRectF(8.5, 13.5, 16, 12), 4, 4);
    if (!closed)
        painter.drawRoundedRect(QRectF(4.5, 13.5, 5, 9), 2.5, 2.5); // the thumb
    return QCursor(pixmap, 16, 16);
}

} // namespace

QCursor cursorFor(TCursor cursor) {
    switch (cursor) {
    case crNSEW: {
        static const QCursor move = makeMoveCursor();
        return move;
    }
    case crHandOpen: {
        static const QCursor hand = makeHandCursor(false);
        return hand;
    }
    case crHandGrab: {
        static const QCursor grab = makeHandCursor(true);
        return grab;
    }
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace wendolarka
