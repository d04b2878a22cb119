#include "element_host.h"

#include "core/exception.h"

#include <algorithm>

namespace wendolarka {

TFormClient::TFormClient(TElementHost& host) : TWinControl(QStringLiteral("TForm")), m_host(host) {}

void TFormClient::PaintSelf(TCanvas& canvas) {
    canvas.Brush = {Color(), bsSolid};
    canvas.FillRect(ClientRect());
}

TElementHost::TElementHost() : m_client(std::make_unique<TFormClient>(*this)) {
    m_client->setColor(clBtnFace);
    m_client->setFont(TFont{});
}

TElementHost::~TElementHost() {
    // Children before their containers, so nobody touches a freed parent.
    while (!m_owned.empty()) {
        m_owned.back().reset();
        m_owned.pop_back();
    }
}

void TElementHost::destroyControl(TControl* control) {
    const auto it = std::find_if(m_owned.begin(), m_owned.end(),
                                 [control](const auto& owned) { return owned.get() == control; });
    if (it == m_owned.end())
        return;
    elementDestroying(control);
    std::unique_ptr<TControl> doomed = std::move(*it);
    m_owned.erase(it);
    doomed.reset();
    invalidateArea({});
}

void TElementHost::destroyAllControls() {
    // Children before their containers, so nobody touches a freed parent.
    while (!m_owned.empty()) {
        elementDestroying(m_owned.back().get());
        m_owned.back().reset();
        m_owned.pop_back();
    }
    invalidateArea({});
}

TControl* TElementHost::findControl(const QString& name) const {
    for (const auto& owned : m_owned)
        if (owned->Name().compare(name, Qt::CaseInsensitive) == 0)
            return owned.get();
    return nullptr;
}

TControl* TElementHost::controlAt(QPoint p) const {
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

void TElementHost::setClientSize(QSize size) {
    size = size.expandedTo(QSize(0, 0));
    m_size = size;
    resizeSurface(size);
    syncClientBounds(); // aligned elements fill the new size
}

void TElementHost::syncClientBounds() const {
    const QSize size = surfaceSize();
    if (m_client->Width() != size.width() || m_client->Height() != size.height())
        m_client->SetBounds(0, 0, size.width(), size.height());
}

void TElementHost::renderCard(QImage& image, int scale, ICanvasSink* sink) const {
    syncClientBounds();
    scale = std::max(1, scale);
    const QSize size = surfaceSize();
    if (static_cast<qint64>(size.width()) * scale > kMaxCardSide || static_cast<qint64>(size.height()) * scale > kMaxCardSide)
        throw Exception(QString::fromUtf8("Obraz przepustki miałby %1 × %2 pikseli; najwięcej można %3 na bok.")
                            .arg(static_cast<qint64>(size.width()) * scale)
                            .arg(static_cast<qint64>(size.height()) * scale)
                            .arg(kMaxCardSide));
    if (image.size() != size * scale || image.format() != QImage::Format_RGB32)
        image = QImage(size * scale, QImage::Format_RGB32);
    TCanvas canvas(image, scale);
    canvas.OfferedSink = sink;
    paintElements(canvas);
}

void TElementHost::paintElements(TCanvas& canvas) const {
    syncClientBounds();
    m_client->draw(canvas);
}

QImage TElementHost::Snapshot() const {
    QImage card;
    renderCard(card);
    return card.convertToFormat(QImage::Format_RGB888);
}

} // namespace wendolarka
