#pragma once

#include "control.h"

#include <QImage>
#include <QSize>
#include <memory>
#include <vector>

namespace wendolarka {

class TElementHost;

// The surface the top-level elements lie on, as a container: its bounds are
// always the surface's size.
class TFormClient final : public TWinControl {
public:
    explicit TFormClient(TElementHost& host);
    TElementHost& host() const { return m_host; }

protected:
    void PaintSelf(TCanvas& canvas) override;

private:
    TElementHost& m_host;
};

// No screen or card printer reaches this many pixels a side; a design or a card
// picture larger than it is refused rather than drawn.
inline constexpr int kMaxCardSide = 8192;

// Elements on a surface of their own, with no window: it owns them, keeps their
// stacking order and paints them bottom first onto any canvas. A window that
// shows the elements derives from it and hears of every change through the
// hooks below; alone it is a design that a worker thread may hold and draw.
class TElementHost {
public:
    TElementHost();
    virtual ~TElementHost();
    TElementHost(const TElementHost&) = delete;
    TElementHost& operator=(const TElementHost&) = delete;

    TFormClient& client() { return *m_client; }
    const TFormClient& client() const { return *m_client; }

    // Creates an element owned here, on top of `parent` (the surface by default).
    template <typename T, typename... Args>
    T* createControl(const QString& name, TWinControl* parent = nullptr, Args&&... args) {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = control.get();
        raw->setName(name);
        raw->setOwner(this);
        m_owned.push_back(std::move(control));
        raw->setParent(parent ? parent : m_client.get());
        return raw;
    }
    // Frees an element owned here (its children become orphans).
    void destroyControl(TControl* control);
    void destroyAllControls();
    TControl* findControl(const QString& name) const;
    const std::vector<std::unique_ptr<TControl>>& ownedControls() const { return m_owned; }

    // The deepest visible element under a surface point; the surface when none.
    TControl* controlAt(QPoint clientPoint) const;

    // The surface's size; a window's surface is its client area.
    QSize clientSize() const { return surfaceSize(); }
    void setClientSize(QSize size);

    // The surface as a 24-bit picture, painted from the elements.
    QImage Snapshot() const;
    // The same picture with every pixel `scale` x `scale` pixels and text and
    // pictures at that resolution; `image` is reused when it has the size.
    // Throws when the picture would be larger than kMaxCardSide a side. With a
    // sink, text and JPEG pictures it takes leave as what they are.
    void renderCard(QImage& image, int scale = 1, ICanvasSink* sink = nullptr) const;
    // Paints every element, bottom first, onto a canvas of the surface's size.
    void paintElements(TCanvas& canvas) const;

    // The elements learn the surface's present size (a hidden window learns of
    // a new size only when shown).
    void syncClientBounds() const;

    // An area of the surface needs painting again (all of it when empty).
    virtual void invalidateArea(const TRect& hostRect) { (void)hostRect; }
    // An element was shown or hidden.
    virtual void elementVisibilityChanged(TControl* control) { (void)control; }

protected:
    // An element is about to be freed; whoever points at it lets go.
    virtual void elementDestroying(TControl* control) { (void)control; }
    virtual QSize surfaceSize() const { return m_size; }
    // The design asked for a new size; a window takes it as its client size.
    virtual void resizeSurface(QSize size) { m_size = size; }

private:
    std::unique_ptr<TFormClient> m_client;
    std::vector<std::unique_ptr<TControl>> m_owned;
    QSize m_size;
};

} // namespace wendolarka
