#pragma once

#include "controls/control.h"

#include <QPixmap>
#include <QWidget>
#include <functional>

namespace wendolarka {

class THostForm;

enum TControlActions { caSizeMove, caSizeOnly, caMoveOnly };

// Where the pointer is on the sizer's frame, numbered clockwise from the left edge.
enum class THitKind { Inside = 0, Left, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft };
enum class TDragMode { None = 0, Resize, Move };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseButtons = unsigned; // bit (1 << TMouseButton)
constexpr TMouseButtons mouseButtons(std::initializer_list<TMouseButton> buttons) {
    TMouseButtons set = 0;
    for (TMouseButton b : buttons)
        set |= 1u << b;
    return set;
}

// Lets the user arrange the elements of its window while the program runs: a
// press on an element makes it the target; the sizer then lies over it, painting
// only a frame, and moves or resizes it by mouse (inside: move; eight handles:
// resize) or by the arrow keys; Tab walks through the elements, Esc climbs to
// the enclosing container. It watches its window's events through a filter.
class TSizeControl : public QWidget {
    Q_OBJECT
public:
    using RectEvent = std::function<void(TSizeControl& sender, const TRect& controlRect)>;
    using TargetEvent = std::function<void(TSizeControl& sender, TControl* newTarget)>;
    using TargetChangingEvent =
        std::function<void(TSizeControl& sender, TControl* newTarget, bool& isValidTarget)>;

    // The owner must be a host window; anything else is refused with an error.
    explicit TSizeControl(QObject* owner);
    ~TSizeControl() override;

    bool AllowTab() const { return m_allowTab; }
    void setAllowTab(bool value) { m_allowTab = value; }
    TColor Color() const { return m_color; }
    void setColor(TColor color);
    TControlActions ControlActions() const { return m_actions; }
    void setControlActions(TControlActions actions);
    int MinHeight() const { return m_minHeight; }
    void setMinHeight(int value) { m_minHeight = value; }
    int MinWidth() const { return m_minWidth; }
    void setMinWidth(int value) { m_minWidth = value; }
    TMouseButtons MouseButtons() const { return m_mouseButtons; }
    void setMouseButtons(TMouseButtons buttons) { m_mouseButtons = buttons; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int GridSize() const { return m_gridSize; }
    void setGridSize(int size);
    bool SnapToGrid() const { return m_snapToGrid; }
    void setSnapToGrid(bool value) { m_snapToGrid = value; }
    TControl* Target() const { return m_target; }
    void setTarget(TControl* target);
    void SetFocus();
    // Lets go of a target that is no longer shown (hidden, or inside a hidden container).
    void forgetHiddenTarget();
    // Lies over the target again after its bounds were set by code, not by the sizer.
    void followTarget();

    THostForm& hostForm() const { return m_host; }
    THitKind hitKind() const { return m_hitKind; }
    TDragMode dragMode() const { return m_dragMode; }
    TCursor currentCursor() const { return m_cursor; }

    RectEvent OnMoving, OnResizing, OnMoved, OnResized;
    TargetEvent OnTargetChanged;
    TargetChangingEvent OnTargetChanging;

    // Where a dropped edge lands: the nearest grid line, the lines lying every
    // `grid` pixels from the window's client origin; a tie goes right or down.
    static int snapEdge(int edge, int clientOrigin, int grid);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    enum class Reason { Move, Resize };

    bool acceptsTarget(TControl* candidate);
    TWinControl* root() const;
    // `throughSizer`: the press came through a hollow target's middle.
    void pickByMouse(QPoint clientPoint, bool throughSizer = false);
    void handlePick(QPoint targetPoint);
    void hitTest(QPoint p);
    void pressAt(TMouseButton button, QPoint p);
    void synchronise(Reason reason);
    void placeOverTarget();
    TRect sizerBounds() const; // in the container's client coordinates
    TRect screenRect() const;
    QPoint containerOriginOnScreen() const;
    void showFeedback(bool visible);
    bool isAligned() const { return m_target && m_target->Align() != alNone; }
    TControl* nextControl(TControl* from) const;
    TControl* previousControl(TControl* from) const;
    TControl* walk(TControl* from, bool forward);
    void arrowKey(int key, bool shift);
    void arrowKeyReleased(bool shift);
    void paintGridDots(const QRect& area);

    THostForm& m_host;
    TWinControl* m_container = nullptr;
    TControl* m_target = nullptr;
    TControl* m_pending = nullptr;
    bool m_approved = false;
    bool m_pickHeld = false; // the button of the last pick is still down
    THitKind m_hitKind = THitKind::Inside;
    TDragMode m_dragMode = TDragMode::None;
    QPoint m_pressPoint;
    TRect m_dragRect; // screen coordinates
    TRect m_clip;     // screen coordinates, right and bottom exclusive
    TCursor m_cursor = crDefault;
    TRect m_boundsBeforeResize;

    bool m_allowTab = true;
    TColor m_color = 3368703;
    TControlActions m_actions = caSizeMove;
    int m_minHeight = 5;
    int m_minWidth = 5;
    TMouseButtons m_mouseButtons = mouseButtons({mbLeft, mbRight});
    bool m_enabled = true;
    int m_gridSize = 8;
    QPixmap m_gridTile; // one grid cell with its dot
    bool m_snapToGrid = false;
};

} // namespace wendolarka
