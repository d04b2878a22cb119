#include "panel.h"

namespace wendolarka {
namespace {

void bevelColors(TPanelBevel bevel, TColor& top, TColor& bottom) {
    top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
}

} // namespace

TPanel::TPanel() : TWinControl(QStringLiteral("TPanel")) {
    SetBounds(0, 0, 185, 41);
    setColor(clBtnFace);
}

void TPanel::setBevelInner(TPanelBevel bevel) {
    if (bevel == m_bevelInner)
        return;
    m_bevelInner = bevel;
    AlignControls();
    Invalidate();
}

void TPanel::setBevelOuter(TPanelBevel bevel) {
    if (bevel == m_bevelOuter)
        return;
    m_bevelOuter = bevel;
    AlignControls();
    Invalidate();
}

void TPanel::setBevelWidth(int width) {
    if (width == m_bevelWidth)
        return;
    m_bevelWidth = width;
    AlignControls();
    Invalidate();
}

void TPanel::setBorderWidth(int width) {
    if (width == m_borderWidth)
        return;
    m_borderWidth = width;
    AlignControls();
    Invalidate();
}

void TPanel::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    Invalidate();
}

void TPanel::setAlignment(TAlignment alignment) {
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    Invalidate();
}

TRect TPanel::AlignArea() const {
    int inset = m_borderWidth;
    if (m_bevelOuter != bvNone)
        inset += m_bevelWidth;
    if (m_bevelInner != bvNone)
        inset += m_bevelWidth;
    return ClientRect().inflated(-inset, -inset);
}

void TPanel::PaintSelf(TCanvas& canvas) {
    TRect r = ClientRect();
    TColor top = clBtnHighlight;
    TColor bottom = clBtnShadow;
    if (m_bevelOuter != bvNone) {
        bevelColors(m_bevelOuter, top, bottom);
        canvas.Frame3D(r, top, bottom, m_bevelWidth);
    }
    canvas.Frame3D(r, Color(), Color(), m_borderWidth);
    if (m_bevelInner != bvNone) {
        bevelColors(m_bevelInner, top, bottom);
        canvas.Frame3D(r, top, bottom, m_bevelWidth);
    }
    canvas.Brush = {Color(), bsSolid};
    canvas.FillRect(r);
    canvas.Brush.Style = bsClear;
    canvas.Font = Font();
    const int fontHeight = canvas.TextHeight(QStringLiteral("W"));
    r.Top = (r.Bottom + r.Top - fontHeight) / 2;
    r.Bottom = r.Top + fontHeight;
    canvas.DrawText(m_caption, r, DT_EXPANDTABS | DT_VCENTER | alignmentFlag(m_alignment));
}

} // namespace wendolarka
