#include "control.h"

#include "element_host.h"

#include <algorithm>

namespace wendolarka {

TControl::TControl(QString className) : m_className(std::move(className)) {}

TControl::~TControl() {
    if (m_parent)
        m_parent->removeControl(this);
}

void TControl::setParent(TWinControl* parent) {
    if (parent == m_parent)
        return;
    Invalidate();
    if (m_parent)
        m_parent->removeControl(this);
    m_parent = parent;
    if (m_parent) {
        m_parent->insertControl(this);
        if (m_align != alNone)
            m_parent->AlignControls();
    }
    Invalidate();
}

TElementHost* TControl::elementHost() const {
    const TControl* c = this;
    while (c->m_parent)
        c = c->m_parent;
    const auto* client = dynamic_cast<const TFormClient*>(c);
    return client ? &client->host() : nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == m_left && top == m_top && width == m_width && height == m_height)
        return;
    Invalidate();
    const bool resized = width != m_width || height != m_height;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    boundsChanged();
    Invalidate();
    if (m_parent && m_align != alNone)
        m_parent->AlignControls();
    if (resized && OnResize)
        OnResize();
}

void TControl::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (m_parent && m_align != alNone)
        m_parent->AlignControls();
    if (m_parent)
        m_parent->Invalidate();
    if (TElementHost* host = elementHost())
        host->elementVisibilityChanged(this);
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->m_parent)
        if (!c->m_visible)
            return false;
    return true;
}

void TControl::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Invalidate();
}

void TControl::setAlign(TAlign align) {
    if (align == m_align)
        return;
    m_align = align;
    if (m_parent)
        m_parent->AlignControls();
}

TColor TControl::Color() const {
    return (m_parentColor && m_parent) ? m_parent->Color() : m_color;
}

void TControl::setColor(TColor color) {
    if (color == m_color && !m_parentColor)
        return;
    m_color = color;
    m_parentColor = false;
    Invalidate();
}

void TControl::setParentColor(bool value) {
    if (value == m_parentColor)
        return;
    m_parentColor = value;
    Invalidate();
}

const TFont& TControl::Font() const { return (m_parentFont && m_parent) ? m_parent->Font() : m_font; }

void TControl::setFont(const TFont& font) {
    if (font == m_font && !m_parentFont)
        return;
    m_font = font;
    m_parentFont = false;
    fontChanged();
    Invalidate();
}

void TControl::setParentFont(bool value) {
    if (value == m_parentFont)
        return;
    if (!value)
        m_font = Font(); // keep what was inherited
    m_parentFont = value;
    fontChanged();
    Invalidate();
}

QPoint TControl::hostOffset() const {
    QPoint offset;
    for (const TControl* c = this; c->m_parent; c = c->m_parent)
        offset += QPoint(c->m_left, c->m_top);
    return offset;
}

void TControl::Invalidate() const {
    if (TElementHost* host = elementHost())
        host->invalidateArea(TRect::bounds(hostOffset().x(), hostOffset().y(), m_width, m_height));
}

void TControl::draw(TCanvas& canvas) {
    const TFont savedFont = canvas.Font;
    const TBrush savedBrush = canvas.Brush;
    const TPen savedPen = canvas.Pen;
    canvas.Font = Font();
    canvas.Brush = {Color(), bsSolid};
    canvas.Pen = TPen{};
    // An element the sink refuses is drawn as pixels; the elements inside it are asked themselves.
    ICanvasSink* const sink = canvas.Sink;
    canvas.Sink = canvas.OfferedSink && canvas.OfferedSink->accepts(*this) ? canvas.OfferedSink : nullptr;
    Paint(canvas);
    canvas.Sink = sink;
    canvas.Font = savedFont;
    canvas.Brush = savedBrush;
    canvas.Pen = savedPen;
}

TWinControl::TWinControl(QString className) : TControl(std::move(className)) {}

TWinControl::~TWinControl() {
    // Children outlive a destroyed container only as orphans.
    for (TControl* child : m_controls)
        child->m_parent = nullptr;
}

void TWinControl::insertControl(TControl* control) { m_controls.push_back(control); }

void TWinControl::removeControl(TControl* control) {
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    if (control->Align() != alNone)
        AlignControls();
}

void TWinControl::BringToFront(TControl* control) {
    const auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end())
        return;
    m_controls.erase(it);
    m_controls.push_back(control);
    control->Invalidate();
}

void TWinControl::SendToBack(TControl* control) {
    const auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end())
        return;
    m_controls.erase(it);
    m_controls.insert(m_controls.begin(), control);
    control->Invalidate();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    const bool resized = width != Width() || height != Height();
    TControl::SetBounds(left, top, width, height);
    if (resized)
        AlignControls();
}

void TWinControl::AlignControls() {
    if (m_aligning)
        return;
    m_aligning = true;
    TRect area = AlignArea();
    // Edges first in the order top, bottom, left, right, then what is left for the client.
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> aligned;
        for (TControl* c : m_controls)
            if (c->Align() == kind && c->Visible())
                aligned.push_back(c);
        const auto byPosition = [kind](TControl* a, TControl* b) {
            switch (kind) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        };
        std::stable_sort(aligned.begin(), aligned.end(), byPosition);
        for (TControl* c : aligned) {
            switch (kind) {
            case alTop:
                c->SetBounds(area.Left, area.Top, area.Width(), c->Height());
                area.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(area.Left, area.Bottom - c->Height(), area.Width(), c->Height());
                area.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(area.Left, area.Top, c->Width(), area.Height());
                area.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(area.Right - c->Width(), area.Top, c->Width(), area.Height());
                area.Right -= c->Width();
                break;
            default:
                c->SetBounds(area.Left, area.Top, std::max(0, area.Width()), std::max(0, area.Height()));
                break;
            }
        }
    }
    m_aligning = false;
}

void TWinControl::Paint(TCanvas& canvas) {
    PaintSelf(canvas);
    // Children paint inside this control's client area only.
    const QPoint origin = canvas.Origin();
    const TRect clip = canvas.ClipRect();
    const TRect own = ClientRect().translated(origin.x(), origin.y()).intersected(clip);
    for (TControl* child : m_controls) {
        if (!child->Visible())
            continue;
        canvas.setOrigin(origin + QPoint(child->Left(), child->Top()));
        const TRect childArea = child->BoundsRect().translated(origin.x(), origin.y()).intersected(own);
        if (childArea.isEmpty())
            continue;
        canvas.setClipRect(childArea);
        child->draw(canvas);
    }
    canvas.setOrigin(origin);
    canvas.setClipRect(clip);
}

} // namespace wendolarka
