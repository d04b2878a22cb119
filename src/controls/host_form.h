#pragma once

#include "control.h"

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

namespace wendolarka {

class THostForm;

// The client area of a host window as a container: the parent of the window's
// top-level elements. Its bounds are always the window's client rectangle.
class TFormClient final : public TWinControl {
public:
    explicit TFormClient(THostForm& host);
    THostForm& host() const { return m_host; }

protected:
    void PaintSelf(TCanvas& canvas) override;

private:
    THostForm& m_host;
};

// A window whose client area is painted from its elements: it owns them, paints
// them bottom first into an off-screen image and copies that to the screen, and
// renders the same image as a card bitmap without looking at the screen.
// No screen or card printer reaches this many pixels a side; a design or a card
// picture larger than it is refused rather than drawn.
inline constexpr int kMaxCardSide = 8192;

class THostForm : public QWidget {
    Q_OBJECT
public:
    explicit THostForm(QWidget* parent = nullptr);
    ~THostForm() override;

    TFormClient& client() { return *m_client; }
    const TFormClient& client() const { return *m_client; }

    // Creates an element owned by this window, on top of `parent` (the client area by default).
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
    // Frees an element this window owns (its children become orphans).
    void destroyControl(TControl* control);
    void destroyAllControls();
    TControl* findControl(const QString& name) const;
    const std::vector<std::unique_ptr<TControl>>& ownedControls() const { return m_owned; }

    // The deepest visible element under a client point; the client area when none.
    TControl* controlAt(QPoint clientPoint) const;

    // The client area as a 24-bit picture, painted from the elements.
    QImage Snapshot() const;
    // The same picture with every pixel `scale` x `scale` pixels and text and
    // pictures at that resolution; `image` is reused when it has the size.
    // Throws when the picture would be larger than kMaxCardSide a side.
    void renderCard(QImage& image, int scale = 1) const;

    void invalidateArea(const TRect& hostRect);

    bool KeyPreview() const { return m_keyPreview; }
    void setKeyPreview(bool value) { m_keyPreview = value; }

    // A dotted frame drawn by inversion over the window (drag feedback), or none.
    void setFeedbackRect(std::optional<TRect> rect);
    std::optional<TRect> feedbackRect() const { return m_feedback; }

    // The caption a design window shows of its client size:
    // "Szer.  W/Wmm  Wys. H/Hmm  piksele/mm".
    static QString sizeReadout(int width, int height, int pixelsPerInch);

    // A hidden window learns of a new size only when shown; this tells the elements now.
    void syncClientBounds() const;

signals:
    // An element is about to be freed; whoever points at it lets go.
    void controlDestroying(TControl* control);
    // An element was shown or hidden.
    void controlVisibilityChanged(TControl* control);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:

    std::unique_ptr<TFormClient> m_client;
    std::vector<std::unique_ptr<TControl>> m_owned;
    bool m_keyPreview = false;
    std::optional<TRect> m_feedback;
};

// The platform cursor for a cursor number (the program's own "NSEW" included).
QCursor cursorFor(TCursor cursor);
// Entry 1 of the cursor table: the four-way move cursor.
constexpr TCursor crNSEW = 1;
// Entries 10 and 11: an open hand (the page can be dragged) and a closed one (it is).
constexpr TCursor crHandOpen = 10;
constexpr TCursor crHandGrab = 11;

} // namespace wendolarka
