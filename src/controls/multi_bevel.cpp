#include "multi_bevel.h"

#include "core/arithmetic.h"

#include <algorithm>
#include <cstdlib>

namespace wendolarka {
namespace {

TPenMode penModeFor(TShadowStyle style) {
    switch (style) {
    case ssBlack: return pmBlack;
    case ssCopy: return pmCopy;
    case ssMask: return pmMask;
    case ssMaskNotPen: return pmMaskNotPen;
    case ssMerge: return pmMerge;
    case ssMergeNotPen: return pmMergeNotPen;
    case ssNot: return pmNot;
    case ssNotAND: return pmMaskPenNot;
    case ssNotCopy: return pmNotCopy;
    case ssNotMask: return pmNotMask;
    case ssNotMerge: return pmNotMerge;
    case ssNotOR: return pmMergePenNot;
    case ssNotXOR: return pmNotXor;
    case ssTransparent: return pmNop;
    case ssWhite: return pmWhite;
    case ssXOR: return pmXor;
    case ssDithered: break;
    }
    return pmCopy;
}

} // namespace

TColor Blend(TColor a, TColor b, int percent) {
    // System colours blend by the colour they stand for, not by their number.
    const TColor ra = colorToRGB(a);
    const TColor rb = colorToRGB(b);
    const auto channel = [percent](int ca, int cb) {
        const double v = (100 - percent) * cb / 100.0 + percent * ca / 100.0;
        return static_cast<int>(std::clamp<std::int64_t>(Round(v), 0, 255));
    };
    return rgbColor(channel(redOf(ra), redOf(rb)), channel(greenOf(ra), greenOf(rb)),
                    channel(blueOf(ra), blueOf(rb)));
}

bool unevenBackground(const TCanvas& canvas, const TRect& r) {
    if (r.Width() <= 1 || r.Height() <= 0)
        return false;
    const TColor first = canvas.Pixel(r.Left, r.Top);
    for (int x = r.Left + 1; x < r.Right; ++x)
        if (std::abs(static_cast<std::int64_t>(canvas.Pixel(x, r.Top)) - first) > 2)
            return true;
    return false;
}

void drawOctagonRings(TCanvas& canvas, int L, int T, int R, int B, int a, int n, TColor first,
                      TColor second) {
    --R;
    --B;
    for (int k = 0; k < n; ++k) {
        const int f = k / 2;
        canvas.Pen.Color = first;
        canvas.Polyline({{L + k, B - a - f}, {L + k, T + a + f}, {L + a + f, T + k},
                         {R - a - f, T + k}, {R - k, T + a + f}});
        canvas.Pen.Color = second;
        canvas.Polyline({{R - k, T + a + f}, {R - k, B - a - f}, {R - a - f, B - k},
                         {L + a + f, B - k}, {L + k, B - a - f}});
    }
    const auto segment = [&canvas](TColor color, int x1, int y1, int x2, int y2) {
        canvas.Pen.Color = color;
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    for (int c = 1; c <= (n - 1) / 2; ++c) {
        segment(first, L + a + c - 1, T + 2 * c, L + 2 * c - 1, T + a + c);
        segment(first, R - a - c + 1, T + 2 * c, R - 2 * c + 1, T + a + c);
        segment(second, R - a - c + 1, B - 2 * c, R - 2 * c + 1, B - a - c);
        segment(second, L + a + c - 1, B - 2 * c, L + 2 * c - 1, B - a - c);
    }
}

TktMBevel::TktMBevel() : TktMBevel(QStringLiteral("TktMBevel")) {}

TktMBevel::TktMBevel(QString className) : TGraphicControl(std::move(className)) {
    SetBounds(0, 0, 75, 50);
}

TktMultiBevel::TktMultiBevel() : TktMBevel(QStringLiteral("TktMultiBevel")) {}

void TktMBevel::setColor(TColor color) {
    TControl::setColor(color);
    if (m_colorFixed) {
        if (color == clBtnFace) {
            m_colorHighlight = clBtnHighlight;
            m_colorShadow = clBtnShadow;
        } else {
            m_colorHighlight = Blend(color, clWhite, 33);
            m_colorShadow = Blend(color, clBlack, 66);
        }
    }
    Invalidate();
}

void TktMBevel::setColorFixed(bool v) {
    if (v == m_colorFixed)
        return;
    m_colorFixed = v;
    if (v)
        setColor(Color());
    else
        Invalidate();
}

void TktMBevel::setColorHighlight(TColor v) {
    if (!m_colorFixed)
        assign(m_colorHighlight, v);
}

void TktMBevel::setColorShadow(TColor v) {
    if (!m_colorFixed)
        assign(m_colorShadow, v);
}

void TktMBevel::setColorDensity(int v) {
    v = std::clamp(v, 0, 100);
    if (v == m_colorDensity)
        return;
    m_colorDensity = v;
    if (m_transparence == trSemi)
        m_semiDensity = v;
    if (m_densityDepended)
        m_shadowDensity = static_cast<int>(Round(v * 60 / 100.0));
    Invalidate();
}

void TktMBevel::setDensityDepended(bool v) {
    if (v == m_densityDepended)
        return;
    m_densityDepended = v;
    if (!v)
        return;
    const int derived = static_cast<int>(Round(m_colorDensity * 60 / 100.0));
    if (derived != m_shadowDensity) {
        m_shadowDensity = derived;
        if (m_shadowStyle == ssDithered)
            Invalidate();
    }
}

void TktMBevel::setShadowDensity(int v) {
    if (!m_densityDepended)
        assign(m_shadowDensity, std::clamp(v, 0, 100));
}

void TktMBevel::setShadowed(bool v) {
    if (m_transparence != trTransparent)
        assign(m_shadowed, v);
}

void TktMBevel::setTransparence(TTransparence v) {
    if (v == m_transparence)
        return;
    m_transparence = v;
    switch (v) {
    case trNone:
        setColorDensity(100);
        break;
    case trSemi:
        setColorDensity(m_semiDensity);
        break;
    case trTransparent:
        m_shadowed = false;
        setColorDensity(0);
        break;
    }
    Invalidate();
}

TRect TktMBevel::strip(const TRect& a, int t) const {
    switch (m_shape) {
    case bspTopLine: return {a.Left, a.Top, a.Right, std::min(a.Bottom, a.Top + t)};
    case bspBottomLine: return {a.Left, std::max(a.Top, a.Bottom - t), a.Right, a.Bottom};
    case bspLeftLine: return {a.Left, a.Top, std::min(a.Right, a.Left + t), a.Bottom};
    case bspRightLine: return {std::max(a.Left, a.Right - t), a.Top, a.Right, a.Bottom};
    default: return a;
    }
}

void TktMBevel::traceLayer(TCanvas& canvas, const TRect& area, int thickness, int corner) const {
    if (thickness <= 0 || area.isEmpty())
        return;
    if (m_shape == bspRect) {
        const TBrushStyle savedBrush = canvas.Brush.Style;
        canvas.Brush.Style = bsClear;
        // Rings whose four edges all lie outside what can be drawn are skipped:
        // a huge frame costs only its visible rings.
        const TRect visible = canvas.ClipRect().translated(-canvas.Origin().x(), -canvas.Origin().y());
        for (int k = 0; k < thickness; ++k) {
            const TRect ring = area.inflated(-k, -k);
            if (ring.isEmpty())
                break;
            if (ring.Left < visible.Left && ring.Top < visible.Top && ring.Right - 1 >= visible.Right &&
                ring.Bottom - 1 >= visible.Bottom) {
                // Jump to the first ring that reaches into the visible area.
                const int reach = std::min({visible.Left - ring.Left, visible.Top - ring.Top,
                                            ring.Right - 1 - visible.Right, ring.Bottom - 1 - visible.Bottom});
                k += std::max(0, reach - 1);
                continue;
            }
            canvas.Rectangle(ring);
        }
        canvas.Brush.Style = savedBrush;
    } else if (m_shape == bspPortrait) {
        // Rings past the middle of the area draw nothing new, however wide the border claims to be.
        const int rings = std::min(thickness, (std::max(area.Width(), area.Height()) + 1) / 2 + 1);
        drawOctagonRings(canvas, area.Left, area.Top, area.Right, area.Bottom, corner, rings,
                         canvas.Pen.Color, canvas.Pen.Color);
    } else {
        const TRect s = strip(area, thickness);
        if (s.Width() < s.Height()) {
            for (int x = s.Left; x < s.Right; ++x) {
                canvas.MoveTo(x, s.Top);
                canvas.LineTo(x, s.Bottom);
            }
        } else {
            for (int y = s.Top; y < s.Bottom; ++y) {
                canvas.MoveTo(s.Left, y);
                canvas.LineTo(s.Right, y);
            }
        }
    }
}

void TktMBevel::blendLayer(TCanvas& canvas, const TRect& area, int thickness, int corner,
                           TColor color, int percent) const {
    // The layer's pixels are found by tracing it on a mask, then blended one by
    // one; only where the canvas can show them, so a frame far larger than the
    // picture costs no more than the picture.
    const TRect shown = canvas.ClipRect()
                            .translated(-canvas.Origin().x(), -canvas.Origin().y())
                            .intersected({0, 0, Width(), Height()});
    if (shown.isEmpty())
        return;
    QImage mask(shown.Width(), shown.Height(), QImage::Format_RGB32);
    mask.fill(Qt::black);
    TCanvas maskCanvas(mask);
    maskCanvas.setOrigin(QPoint(-shown.Left, -shown.Top));
    maskCanvas.Pen = {clWhite, 1, psSolid, pmCopy};
    traceLayer(maskCanvas, area, thickness, corner);
    for (int y = 0; y < mask.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            if (qRed(row[x]))
                canvas.setPixel(shown.Left + x, shown.Top + y,
                                Blend(color, canvas.Pixel(shown.Left + x, shown.Top + y), percent));
    }
}

void TktMBevel::paintShadow(TCanvas& canvas, int t, int ox, int oy) {
    const int W = Width(), H = Height();
    const TRect area{std::max(ox, 0), std::max(oy, 0), std::min(W, W + ox), std::min(H, H + oy)};
    const TRect tested = isLineShape() ? strip(area, t) : area;
    canvas.Pen = {m_shadowColor, 1, psSolid, penModeFor(m_shadowStyle)};
    if (m_shadowStyle == ssDithered) {
        if (unevenBackground(canvas, tested)) {
            blendLayer(canvas, area, t, m_edgeSize, m_shadowColor, m_shadowDensity);
            canvas.Pen = TPen{};
            return;
        }
        canvas.Pen.Color = Blend(m_shadowColor, canvas.Pixel(tested.Left, tested.Top), m_shadowDensity);
        canvas.Pen.Mode = pmCopy;
    }
    traceLayer(canvas, area, t, m_edgeSize);
    canvas.Pen = TPen{};
}

void TktMBevel::paintBand(TCanvas& canvas, int ox, int oy) {
    const int W = Width(), H = Height(), BW = m_bevelWidth, B = std::max(0, m_borderWidth);
    const bool outer = m_bevelOuter != bstNone;
    const TRect area = outer ? TRect{std::max(BW - ox, BW), std::max(BW - oy, BW),
                                     std::min(W - BW, W - ox - BW), std::min(H - BW, H - oy - BW)}
                             : TRect{std::max(-ox, 0), std::max(-oy, 0), std::min(W, W - ox),
                                     std::min(H, H - oy)};
    const int solidCorner = m_edgeSize - BW / 2 - 1;
    canvas.Pen = {Color(), 1, psSolid, pmCopy};
    if (m_transparence != trSemi && m_colorDensity >= 100) {
        traceLayer(canvas, area, B, solidCorner);
        return;
    }
    const TRect tested = isLineShape() ? strip(area, B) : area;
    if (m_shadowed || unevenBackground(canvas, tested)) {
        blendLayer(canvas, area, B, outer ? m_edgeSize - BW / 2 : m_edgeSize, Color(), m_colorDensity);
        return;
    }
    canvas.Pen.Color = Blend(Color(), canvas.Pixel(tested.Left, tested.Top), m_colorDensity);
    traceLayer(canvas, area, B, solidCorner);
}

void TktMBevel::paintOuterBevel(TCanvas& canvas, int o, int ox, int oy) {
    const int W = Width(), H = Height();
    TRect area{std::max(-ox, 0), std::max(-oy, 0), std::min(W, W - ox), std::min(H, H - oy)};
    const bool lowered = m_bevelOuter == bstLowered;
    const TColor top = lowered ? m_colorShadow : m_colorHighlight;
    const TColor bottom = lowered ? m_colorHighlight : m_colorShadow;
    if (m_shape == bspPortrait) {
        drawOctagonRings(canvas, area.Left, area.Top, area.Right, area.Bottom, m_edgeSize,
                         m_bevelWidth, top, bottom);
        return;
    }
    if (isLineShape())
        area = strip(area, o);
    canvas.Frame3D(area, top, bottom, m_bevelWidth);
}

void TktMBevel::paintInnerBevel(TCanvas& canvas, int o, int ox, int oy) {
    const int W = Width(), H = Height(), BW = m_bevelWidth, B = std::max(0, m_borderWidth);
    TRect area{std::max(o - ox, o), std::max(o - oy, o), std::min(W - o, W - ox - o),
               std::min(H - o, H - oy - o)};
    const bool lowered = m_bevelInner == bstLowered;
    const TColor top = lowered ? m_colorShadow : m_colorHighlight;
    const TColor bottom = lowered ? m_colorHighlight : m_colorShadow;
    if (m_shape == bspPortrait) {
        const bool outer = m_bevelOuter != bstNone;
        const int h = (B + 2) / 2;
        int e = m_edgeSize;
        if (B > 0)
            e = outer ? m_edgeSize - (BW + 2) / 2 - h : m_edgeSize - h - 1;
        else if (outer)
            e = m_edgeSize - (BW + 2) / 2;
        drawOctagonRings(canvas, area.Left, area.Top, area.Right, area.Bottom, e, BW, top, bottom);
        return;
    }
    canvas.Frame3D(area, top, bottom, BW);
}

int TktMBevel::frameThickness() const {
    const int BW = m_bevelWidth, B = std::max(0, m_borderWidth);
    return (m_bevelInner != bstNone ? BW : 0) + (m_bevelOuter == bstNone ? B : BW + B) +
           (m_shadowed ? std::max(std::abs(m_shadowOffsetX), std::abs(m_shadowOffsetY)) : 0);
}

bool TktMBevel::HitTest(QPoint local) const {
    const bool framed = m_shape == bspRect || m_shape == bspPortrait;
    if (!framed) // a band along one edge is all frame
        return true;
    const int band = std::max(kGrip, frameThickness());
    return local.x() < band || local.y() < band || local.x() >= Width() - band || local.y() >= Height() - band;
}

TRect TktMBevel::HollowArea() const {
    if (m_shape != bspRect && m_shape != bspPortrait)
        return {};
    const int band = frameThickness() + 1; // a pixel more than the rings, to be sure
    const TRect middle{band, band, Width() - band, Height() - band};
    return middle.isEmpty() ? TRect{} : middle;
}

void TktMBevel::Paint(TCanvas& canvas) {
    const int BW = m_bevelWidth, B = std::max(0, m_borderWidth);
    const bool framed = m_shape == bspRect || m_shape == bspPortrait;
    const int i = (m_bevelInner != bstNone && framed) ? BW : 0;
    const int o = m_bevelOuter == bstNone ? B : (framed ? BW + B : 2 * BW + B);
    const int t = o + i;
    const bool shadow = m_shadowed && t > 0;
    const int ox = shadow ? m_shadowOffsetX : 0;
    const int oy = shadow ? m_shadowOffsetY : 0;
    if (shadow)
        paintShadow(canvas, t, ox, oy);
    if (B > 0 && m_transparence != trTransparent)
        paintBand(canvas, ox, oy);
    if (m_bevelOuter != bstNone)
        paintOuterBevel(canvas, o, ox, oy);
    if (m_bevelInner != bstNone && framed)
        paintInnerBevel(canvas, o, ox, oy);
}

} // namespace wendolarka
