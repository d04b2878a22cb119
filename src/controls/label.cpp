#include "label.h"

#include "host_form.h"

#include <algorithm>

namespace wendolarka {

unsigned alignmentFlag(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    case taLeftJustify: break;
    }
    return DT_LEFT;
}

TLabel::TLabel() : TGraphicControl(QStringLiteral("TLabel")) {
    SetBounds(0, 0, 65, 17);
    setParentColor(true);
}

void TLabel::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    adjustBounds();
    Invalidate();
}

void TLabel::setAlignment(TAlignment alignment) {
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    Invalidate();
}

void TLabel::setLayout(TTextLayout layout) {
    if (layout == m_layout)
        return;
    m_layout = layout;
    Invalidate();
}

void TLabel::setAutoSize(bool autoSize) {
    if (autoSize == m_autoSize)
        return;
    m_autoSize = autoSize;
    adjustBounds();
}

void TLabel::setWordWrap(bool wordWrap) {
    if (wordWrap == m_wordWrap)
        return;
    m_wordWrap = wordWrap;
    adjustBounds();
    Invalidate();
}

void TLabel::setTransparent(bool transparent) {
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    Invalidate();
}

void TLabel::setShowAccelChar(bool show) {
    if (show == m_showAccelChar)
        return;
    m_showAccelChar = show;
    adjustBounds();
    Invalidate();
}

void TLabel::DoDrawText(TCanvas& canvas, TRect& r, unsigned flags) const {
    QString text = m_caption;
    // An empty caption (or a lone accelerator mark) still measures one blank.
    if ((flags & DT_CALCRECT) && (text.isEmpty() || (m_showAccelChar && text == QStringLiteral("&"))))
        text += u' ';
    if (!m_showAccelChar)
        flags |= DT_NOPREFIX;
    canvas.Font = Font();
    if (!Enabled()) {
        TRect shifted = r.translated(1, 1);
        canvas.Font.setColor(clBtnHighlight);
        canvas.DrawText(text, shifted, flags);
        canvas.Font.setColor(clBtnShadow);
    }
    canvas.DrawText(text, r, flags);
}

void TLabel::Paint(TCanvas& canvas) {
    if (!m_transparent) {
        canvas.Brush = {Color(), bsSolid};
        canvas.FillRect(ClientRect());
    }
    canvas.Brush.Style = bsClear;
    TRect r = ClientRect();
    const unsigned flags = DT_EXPANDTABS | (m_wordWrap ? unsigned{DT_WORDBREAK} : 0u) | alignmentFlag(m_alignment);
    if (m_layout != tlTop) {
        TRect measured = r;
        DoDrawText(canvas, measured, flags | DT_CALCRECT);
        const int offset = m_layout == tlBottom ? Height() - measured.Bottom
                                                : (Height() - measured.Bottom) / 2;
        r = r.translated(0, offset);
    }
    DoDrawText(canvas, r, flags);
}

void TLabel::adjustBounds() {
    if (!m_autoSize)
        return;
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    TRect r = ClientRect();
    DoDrawText(canvas, r, DT_EXPANDTABS | DT_CALCRECT | (m_wordWrap ? unsigned{DT_WORDBREAK} : 0u));
    // No side of an element is longer than a card's: a long text is cut there,
    // as a card would cut it, and a saved template stays within what loads.
    const int width = std::min(r.Right, kMaxCardSide), height = std::min(r.Bottom, kMaxCardSide);
    int x = Left();
    if (m_alignment == taRightJustify)
        x += Width() - width;
    SetBounds(x, Top(), width, height);
}

} // namespace wendolarka
