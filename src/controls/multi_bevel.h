#pragma once

#include "control.h"

namespace wendolarka {

enum TBevelStyle { bstLowered, bstNone, bstRaised };
enum TBevelShape { bspBottomLine, bspLeftLine, bspPortrait, bspRect, bspRightLine, bspTopLine };
enum TShadowStyle {
    ssBlack, ssCopy, ssDithered, ssMask, ssMaskNotPen, ssMerge, ssMergeNotPen, ssNot, ssNotAND,
    ssNotCopy, ssNotMask, ssNotMerge, ssNotOR, ssNotXOR, ssTransparent, ssWhite, ssXOR
};
enum TTransparence { trNone, trSemi, trTransparent };

// Mixes two colours channel by channel, `percent` of `a` and the rest of `b`,
// rounded halves to even.
TColor Blend(TColor a, TColor b, int percent);

// A decorative frame of up to four layers from the outside in: a drop shadow, an
// outer bevel, a coloured band and an inner bevel. The middle is never painted.
class TktMBevel : public TGraphicControl {
public:
    TktMBevel();

    TBevelStyle BevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelStyle v) { assign(m_bevelInner, v); }
    TBevelStyle BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelStyle v) { assign(m_bevelOuter, v); }
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int v) { assign(m_bevelWidth, qMax(1, v)); }
    int BorderWidth() const { return m_borderWidth; }
    // Stored as given, negative values too; painting treats them as 0.
    void setBorderWidth(int v) { assign(m_borderWidth, v); }
    // Derives the bevel colours when ColorFixed is on; repaints even when unchanged.
    void setColor(TColor color) override;
    bool ColorFixed() const { return m_colorFixed; }
    void setColorFixed(bool v);
    TColor ColorHighlight() const { return m_colorHighlight; }
    void setColorHighlight(TColor v);
    TColor ColorShadow() const { return m_colorShadow; }
    void setColorShadow(TColor v);
    int ColorDensity() const { return m_colorDensity; }
    void setColorDensity(int v);
    bool DensityDepended() const { return m_densityDepended; }
    void setDensityDepended(bool v);
    int EdgeSize() const { return m_edgeSize; }
    void setEdgeSize(int v) { assign(m_edgeSize, v); }
    TColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(TColor v) { assign(m_shadowColor, v); }
    int ShadowDensity() const { return m_shadowDensity; }
    void setShadowDensity(int v);
    bool Shadowed() const { return m_shadowed; }
    void setShadowed(bool v);
    int ShadowOffsetX() const { return m_shadowOffsetX; }
    void setShadowOffsetX(int v) { assign(m_shadowOffsetX, v); }
    int ShadowOffsetY() const { return m_shadowOffsetY; }
    void setShadowOffsetY(int v) { assign(m_shadowOffsetY, v); }
    TShadowStyle ShadowStyle() const { return m_shadowStyle; }
    void setShadowStyle(TShadowStyle v) { assign(m_shadowStyle, v); }
    TBevelShape Shape() const { return m_shape; }
    void setShape(TBevelShape v) { assign(m_shape, v); }
    TTransparence Transparence() const { return m_transparence; }
    void setTransparence(TTransparence v);
    // Kept for the stream only: the frame has no hint text to show. Its own
    // ShowHint sets it apart from the window's; following the window again
    // takes the window's, which shows no hints.
    bool ParentShowHint() const { return m_parentShowHint; }
    void setParentShowHint(bool v) {
        m_parentShowHint = v;
        if (v)
            m_showHint = false;
    }
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool v) {
        m_showHint = v;
        m_parentShowHint = false;
    }

    // Only the painted frame takes presses, at least a grip of kGrip pixels.
    bool HitTest(QPoint local) const override;
    TRect HollowArea() const override;
    static constexpr int kGrip = 5;

protected:
    explicit TktMBevel(QString className);
    void Paint(TCanvas& canvas) override;

private:
    // How far in from the edge the rings and the shadow reach.
    int frameThickness() const;
    bool isLineShape() const { return m_shape != bspRect && m_shape != bspPortrait; }
    // A band of `thickness` along the shape inside `area`: rectangle frames,
    // octagon rings with `corner`, or a strip filled with lines.
    void traceLayer(TCanvas& canvas, const TRect& area, int thickness, int corner) const;
    TRect strip(const TRect& area, int thickness) const;
    // Replaces every pixel of the layer by Blend(color, pixel, percent).
    void blendLayer(TCanvas& canvas, const TRect& area, int thickness, int corner, TColor color,
                    int percent) const;
    void paintShadow(TCanvas& canvas, int t, int ox, int oy);
    void paintBand(TCanvas& canvas, int ox, int oy);
    void paintOuterBevel(TCanvas& canvas, int o, int ox, int oy);
    void paintInnerBevel(TCanvas& canvas, int o, int ox, int oy);

    TBevelStyle m_bevelInner = bstRaised;
    TBevelStyle m_bevelOuter = bstLowered;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    bool m_colorFixed = true;
    TColor m_colorHighlight = clBtnHighlight;
    TColor m_colorShadow = clBtnShadow;
    int m_colorDensity = 100;
    bool m_densityDepended = true;
    int m_edgeSize = 15;
    TColor m_shadowColor = 0x808080;
    int m_shadowDensity = 60;
    bool m_shadowed = false;
    int m_shadowOffsetX = 3;
    int m_shadowOffsetY = 3;
    TShadowStyle m_shadowStyle = ssDithered;
    TBevelShape m_shape = bspRect;
    TTransparence m_transparence = trNone;
    int m_semiDensity = 50;
    bool m_parentShowHint = true;
    bool m_showHint = false;
};

// The class placed on the pass window; the same frame under its own name.
class TktMultiBevel : public TktMBevel {
public:
    TktMultiBevel();
};

// Octagon rings inside (left, top, right, bottom), right and bottom inclusive,
// with cut corners of `corner` pixels: top-left half in `first`, the rest in `second`.
void drawOctagonRings(TCanvas& canvas, int left, int top, int right, int bottom, int corner,
                      int rings, TColor first, TColor second);

// Whether the top row of `r` varies by more than 2 from its first pixel.
bool unevenBackground(const TCanvas& canvas, const TRect& r);

} // namespace wendolarka
