#include "host_form.h"

#include "core/exception.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace wendolarka {

TFormClient::TFormClient(THostForm& host) : TWinControl(QStringLiteral("TForm")), m_host(host) {}

void TFormClient::PaintSelf(TCanvas& canvas) {
    canvas.Brush = {Color(), bsSolid};
    canvas.FillRect(ClientRect());
}

THostForm::THostForm(QWidget* parent)
    : QWidget(parent), m_client(std::make_unique<TFormClient>(*this)) {
    m_client->setColor(clBtnFace);
    m_client->setFont(TFont{});
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

THostForm::~THostForm() {
    // Elements first, while their parents still exist.
    destroyAllControls();
}

void THostForm::destroyControl(TControl* control) {
    const auto it = std::find_if(m_owned.begin(), m_owned.end(),
                                 [control](const auto& owned) { return owned.get() == control; });
    if (it == m_owned.end())
        return;
    emit controlDestroying(control);
    std::unique_ptr<TControl> doomed = std::move(*it);
    m_owned.erase(it);
    doomed.reset();
    update();
}

void THostForm::destroyAllControls() {
    // Children before their containers, so nobody touches a freed parent.
    while (!m_owned.empty()) {
        emit controlDestroying(m_owned.back().get());
        m_owned.back().reset();
        m_owned.pop_back();
    }
    update();
}

TControl* THostForm::findControl(const QString& name) const {
    for (const auto& owned : m_owned)
        if (owned->Name().compare(name, Qt::CaseInsensitive) == 0)
            return owned.get();
    return nullptr;
}

TControl* THostForm::controlAt(QPoint p) const {
    syncClientBounds();
    const TWinControl* container = m_client.get();
    TControl* found = m_client.get();
    QPoint local = p;
    for (;;) {
        TControl* hit = nullptr;
        const auto& children = container->Controls();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if ((*it)->Visible() && (*it)->BoundsRect().contains(local) &&
                (*it)->HitTest(local - QPoint((*it)->Left(), (*it)->Top()))) {
                hit = *it;
                break;
            }
        if (!hit)
            return found;
        found = hit;
        local -= QPoint(hit->Left(), hit->Top());
        container = dynamic_cast<const TWinControl*>(hit);
        if (!container)
            return found;
    }
}

void THostForm::syncClientBounds() const {
    // A hidden window learns of its new size only when shown; the elements need it now.
    if (m_client->Width() != width() || m_client->Height() != height())
        m_client->SetBounds(0, 0, width(), height());
}

void THostForm::renderCard(QImage& image, int scale) const {
    syncClientBounds();
    scale = std::max(1, scale);
    if (static_cast<qint64>(width()) * scale > kMaxCardSide || static_cast<qint64>(height()) * scale > kMaxCardSide)
        throw Exception(QString::fromUtf8("Obraz przepustki miałby %1 × %2 pikseli; najwięcej można %3 na bok.")
                            .arg(static_cast<qint64>(width()) * scale)
                            .arg(static_cast<qint64>(height()) * scale)
                            .arg(kMaxCardSide));
    if (image.size() != size() * scale || image.format() != QImage::Format_RGB32)
        image = QImage(size() * scale, QImage::Format_RGB32);
    TCanvas canvas(image, scale);
    m_client->draw(canvas);
}

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

QImage THostForm::Snapshot() const {
    QImage card;
    renderCard(card);
    return card.convertToFormat(QImage::Format_RGB888);
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
    renderCard(card);
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
