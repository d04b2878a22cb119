#pragma once

#include "element_host.h"

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

namespace wendolarka {

// A window that shows elements: it paints them into an off-screen image and
// copies that to the screen, follows their changes, and gives them its client
// area as their surface. The elements' host is a virtual base, so a design
// that is an element host of its own (the pass) can be shown by a window.
class THostForm : public QWidget, public virtual TElementHost {
    Q_OBJECT
public:
    explicit THostForm(QWidget* parent = nullptr);
    ~THostForm() override;

    void invalidateArea(const TRect& hostRect) override;
    void elementVisibilityChanged(TControl* control) override;

    bool KeyPreview() const { return m_keyPreview; }
    void setKeyPreview(bool value) { m_keyPreview = value; }

    // A dotted frame drawn by inversion over the window (drag feedback), or none.
    void setFeedbackRect(std::optional<TRect> rect);
    std::optional<TRect> feedbackRect() const { return m_feedback; }

    // The caption a design window shows of its client size:
    // "Szer.  W/Wmm  Wys. H/Hmm  piksele/mm".
    static QString sizeReadout(int width, int height, int pixelsPerInch);

signals:
    // An element is about to be freed; whoever points at it lets go.
    void controlDestroying(TControl* control);
    // An element was shown or hidden.
    void controlVisibilityChanged(TControl* control);

protected:
    void elementDestroying(TControl* control) override;
    QSize surfaceSize() const override { return size(); }
    void resizeSurface(QSize wanted) override { resize(wanted); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
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
