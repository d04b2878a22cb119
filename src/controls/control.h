#pragma once

#include "core/canvas.h"
#include "core/color.h"
#include "core/font.h"

#include <QString>
#include <functional>
#include <vector>

namespace wendolarka {

class TElementHost;
class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Cursor numbers of the cursor table; negative ones are the platform's own.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// A lightweight element of a window: it has bounds in its parent's client
// coordinates and paints on its host window's canvas; it has no window of its own.
class TControl {
public:
    explicit TControl(QString className);
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const QString& ClassName() const { return m_className; }
    const QString& Name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // The host that owns (and frees) the element; it stays when the parent changes.
    TElementHost* Owner() const { return m_owner; }
    void setOwner(TElementHost* owner) { m_owner = owner; }
    TWinControl* Parent() const { return m_parent; }
    // Appends the control on top of the new parent's stacking order.
    void setParent(TWinControl* parent);
    // The host of the surface the element lies on, through its parents.
    TElementHost* elementHost() const;

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void setLeft(int v) { SetBounds(v, m_top, m_width, m_height); }
    void setTop(int v) { SetBounds(m_left, v, m_width, m_height); }
    void setWidth(int v) { SetBounds(m_left, m_top, v, m_height); }
    void setHeight(int v) { SetBounds(m_left, m_top, m_width, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return TRect::bounds(m_left, m_top, m_width, m_height); }
    void setBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const { return {0, 0, m_width, m_height}; }

    bool Visible() const { return m_visible; }
    void setVisible(bool visible);
    // Visible itself and through every parent up to the host window.
    bool Showing() const;
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    TAlign Align() const { return m_align; }
    void setAlign(TAlign align);
    TCursor Cursor() const { return m_cursor; }
    void setCursor(TCursor cursor) { m_cursor = cursor; }

    TColor Color() const;
    virtual void setColor(TColor color);
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool value);
    const TFont& Font() const;
    void setFont(const TFont& font);
    bool ParentFont() const { return m_parentFont; }
    void setParentFont(bool value);

    // The control's top-left corner in its host window's client coordinates.
    QPoint hostOffset() const;
    // Repaints the control's area of its host window.
    void Invalidate() const;

    // Paints the control with its origin at (0, 0) of the canvas.
    void draw(TCanvas& canvas);

    // Whether a press at `local` (the control's coordinates, inside its bounds)
    // lands on the control: a hollow one lets presses through its middle to
    // what lies beneath, as it lets that show through.
    virtual bool HitTest(QPoint local) const {
        (void)local;
        return true;
    }
    // The middle a hollow control draws nothing over (its coordinates); empty for others.
    virtual TRect HollowArea() const { return {}; }
    // A picture or a code: the designer's grid dots stay off it, so the user sees it as printed.
    virtual bool ShowsPicture() const { return false; }

    std::function<void()> OnResize;

protected:
    virtual void Paint(TCanvas& canvas) = 0;
    // Stores a property's new value and repaints, when the value changed.
    template <typename T>
    void assign(T& field, T value) {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    virtual void boundsChanged() {}
    virtual void fontChanged() {}

private:
    friend class TWinControl;
    QString m_className;
    QString m_name;
    TWinControl* m_parent = nullptr;
    TElementHost* m_owner = nullptr;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true;
    bool m_enabled = true;
    TAlign m_align = alNone;
    TCursor m_cursor = crDefault;
    TColor m_color = clBtnFace;
    bool m_parentColor = false;
    TFont m_font;
    bool m_parentFont = true;
};

// A control without children.
class TGraphicControl : public TControl {
public:
    using TControl::TControl;
};

// A control that holds other controls, in stacking order (the first is at the bottom).
class TWinControl : public TControl {
public:
    explicit TWinControl(QString className);
    ~TWinControl() override;

    const std::vector<TControl*>& Controls() const { return m_controls; }
    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    void BringToFront(TControl* control);
    void SendToBack(TControl* control);
    // Lays the aligned children out over the client area.
    void AlignControls();

    void SetBounds(int left, int top, int width, int height) override;

    // The frame between the control's edge and the area its children use.
    virtual TRect AlignArea() const { return ClientRect(); }

protected:
    void Paint(TCanvas& canvas) override;
    // Paints the container itself; the children follow.
    virtual void PaintSelf(TCanvas& canvas) { (void)canvas; }

private:
    friend class TControl;
    void insertControl(TControl* control);
    void removeControl(TControl* control);

    std::vector<TControl*> m_controls;
    bool m_aligning = false;
};

} // namespace wendolarka
