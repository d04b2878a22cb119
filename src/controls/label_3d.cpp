#include "label_3d.h"

namespace wendolarka {

TLabel3DF::TLabel3DF() {
    setAutoSize(false);
}

void TLabel3DF::paintBorder(TCanvas& canvas, TRect& r) const {
    const int n = m_borderWidth;
    switch (m_borderStyle) {
    case lbNone: break;
    case lbNormal: canvas.Frame3D(r, m_borderColor, m_borderColor, n); break;
    case lbLowered: canvas.Frame3D(r, clBtnShadow, clBtnHighlight, n); break;
    case lbRaised: canvas.Frame3D(r, clBtnHighlight, clBtnShadow, n); break;
    case lbInn:
        canvas.Frame3D(r, clBtnShadow, clBtnHighlight, n);
        canvas.Frame3D(r, clBtnHighlight, clBtnShadow, n);
        break;
    case lbOut:
        canvas.Frame3D(r, clBtnHighlight, clBtnShadow, n);
        canvas.Frame3D(r, clBtnShadow, clBtnHighlight, n);
        break;
    }
}

void TLabel3DF::paintGradient(TCanvas& canvas, const TRect& r) const {
    const TColor first = colorToRGB(m_firstColor);
    const TColor last = colorToRGB(m_lastColor);
    const bool vertical = m_orientation == goVertical;
    const int s = (vertical ? r.Height() : r.Width()) - 1;
    if (s <= 0)
        return;
    for (int d = 0; d <= s; ++d) {
        const auto mix = [s, d](int a, int b) { return ((s - d) * a + d * b) / s; };
        canvas.Brush = {rgbColor(mix(redOf(first), redOf(last)), mix(greenOf(first), greenOf(last)),
                                 mix(blueOf(first), blueOf(last))),
                        bsSolid};
        canvas.FillRect(vertical ? TRect{r.Left, r.Top + d, r.Right, r.Top + d + 1}
                                 : TRect{r.Left + d, r.Top, r.Left + d + 1, r.Bottom});
    }
}

void TLabel3DF::drawCaption(TCanvas& canvas, TRect r, unsigned flags, TColor color) const {
    QString text = Caption();
    if ((flags & DT_CALCRECT) && (text.isEmpty() || (ShowAccelChar() && text == QStringLiteral("&"))))
        text += u' ';
    if (!ShowAccelChar())
        flags |= DT_NOPREFIX;
    canvas.Font = Font();
    canvas.Font.setColor(color);
    canvas.DrawText(text, r, flags);
}

void TLabel3DF::Paint(TCanvas& canvas) {
    TRect r = ClientRect();
    paintBorder(canvas, r);
    if (m_fillGradient) {
        paintGradient(canvas, r);
    } else if (!Transparent()) {
        canvas.Brush = {Color(), bsSolid};
        canvas.FillRect(r);
    }
    canvas.Brush.Style = bsClear;

    const unsigned flags = alignmentFlag(Alignment()) | DT_EXPANDTABS | DT_WORDBREAK;
    if (Layout() != tlTop) {
        TRect measured = r;
        QString text = Caption();
        if (text.isEmpty() || (ShowAccelChar() && text == QStringLiteral("&")))
            text += u' ';
        canvas.Font = Font();
        canvas.DrawText(text, measured, flags | DT_CALCRECT | (ShowAccelChar() ? 0u : unsigned{DT_NOPREFIX}));
        const int h = r.Height() - measured.Height();
        if (h > 0)
            r = r.translated(0, Layout() == tlCenter ? h / 2 : h);
    }

    const int n = m_shadowSize;
    const TColor textColor = Enabled() ? Font().Color() : clGrayText;
    switch (m_bevel) {
    case blNone:
        drawCaption(canvas, r, flags, Font().Color());
        return;
    case blLowered:
    case blRaised: {
        const bool lowered = m_bevel == blLowered;
        if (Enabled())
            drawCaption(canvas, r.translated(-n, -n), flags, lowered ? m_shadowColor : m_highlightColor);
        drawCaption(canvas, r.translated(n, n), flags, lowered ? m_highlightColor : m_shadowColor);
        break;
    }
    case blShadow:
        drawCaption(canvas, r.translated(n, n), flags, m_shadowColor);
        break;
    }
    drawCaption(canvas, r, flags, textColor);
}

} // namespace wendolarka
