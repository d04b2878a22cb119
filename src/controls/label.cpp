#include "label.h"

#include "host_form.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace wendolarka {

namespace {

// A font measured as it is drawn `scale` times larger, in units of the unscaled
// canvas. Metrics of the unscaled font round ascent and descent to whole
// pixels, which a larger drawing then exceeds: 11 pixels of Liberation Sans
// say a descent of 2 and draw 2.33, so a text whole on screen lost its bottom
// at 300 dpi. Hence the sizes at the output resolution, unrounded.
class OutputMeasure {
public:
    OutputMeasure(const TFont& font, int scale) : m_scale(std::max(1, scale)), m_metrics(scaled(font, m_scale)) {}
    double width(const QString& text) const { return m_metrics.horizontalAdvance(text) / m_scale; }
    double inkHeight() const { return (m_metrics.ascent() + m_metrics.descent()) / m_scale; }

private:
    static QFont scaled(const TFont& font, int scale) {
        QFont q = font.toQFont();
        q.setPixelSize(q.pixelSize() * scale);
        return q;
    }
    int m_scale;
    QFontMetricsF m_metrics;
};

// The caption as it shows: accelerator marks taken out ("&&" is one "&").
QString shownText(const QString& caption, bool showAccelChar) {
    if (!showAccelChar)
        return caption;
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && ++i >= caption.size())
            break;
        text += caption[i];
    }
    return text;
}

QStringList paragraphsOf(const QString& text) {
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return normal.split(u'\n');
}

// Greedy breaking at blanks; a word wider than the box keeps a line of its own.
QStringList broken(const OutputMeasure& measure, const QStringList& paragraphs, double width) {
    QStringList lines;
    for (const QString& paragraph : paragraphs) {
        QString current;
        for (const QString& word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            const QString candidate = current.isEmpty() ? word : current + u' ' + word;
            if (!current.isEmpty() && measure.width(candidate) > width) {
                lines << current;
                current = word;
            } else {
                current = candidate;
            }
        }
        lines << current;
    }
    return lines;
}

} // namespace

struct TLabel::FittedText {
    TFont font;
    QStringList lines;
    bool whole = true;
    bool asIs = false; // the label's own drawing shows it whole
};

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
    // Until it is filled in for a pass, a composed text shows as written.
    if (m_composed)
        m_composedText = caption;
    adjustBounds();
    Invalidate();
}

void TLabel::setComposed(bool composed) {
    if (composed == m_composed)
        return;
    m_composed = composed;
    m_composedText = m_caption;
    adjustBounds();
    Invalidate();
}

void TLabel::setComposedText(const QString& text) {
    if (!m_composed || text == m_composedText)
        return;
    m_composedText = text;
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

void TLabel::setFitText(bool fit) {
    if (fit == m_fitText)
        return;
    m_fitText = fit;
    Invalidate();
}

void TLabel::setMinFontSize(int points) {
    points = std::max(1, points);
    if (points == m_minFontSize)
        return;
    m_minFontSize = points;
    Invalidate();
}

TLabel::FittedText TLabel::fitted(int scale) const {
    const QString text = shownText(ShownCaption(), m_showAccelChar);
    const QStringList paragraphs = paragraphsOf(text);
    const double width = Width(), height = Height();
    // The lines stand one unscaled line height apart, as the canvas draws them.
    const auto fits = [&](const TFont& font, const QStringList& lines) {
        const OutputMeasure measure(font, scale);
        const int step = QFontMetrics(font.toQFont()).height();
        if ((lines.size() - 1) * step + measure.inkHeight() > height)
            return false;
        return std::all_of(lines.begin(), lines.end(), [&](const QString& l) { return measure.width(l) <= width; });
    };
    // Sizes from the label's own down to the least, a point at a time.
    std::vector<TFont> sizes{Font()};
    for (int points = Font().Size() - 1; points >= m_minFontSize; --points) {
        TFont smaller = Font();
        smaller.setSize(points);
        if (smaller.Height() != sizes.back().Height())
            sizes.push_back(smaller);
    }
    for (const TFont& font : sizes)
        if (fits(font, paragraphs))
            return {font, paragraphs, true, &font == &sizes.front() && !m_wordWrap};
    for (const TFont& font : sizes) {
        const QStringList lines = broken(OutputMeasure(font, scale), paragraphs, width);
        if (fits(font, lines))
            return {font, lines, true, false};
    }
    // The least size, as many lines as the box holds, the last ending in "…".
    const TFont& font = sizes.back();
    const OutputMeasure measure(font, scale);
    const int step = QFontMetrics(font.toQFont()).height();
    const int room = std::max(1, 1 + static_cast<int>(std::floor((height - measure.inkHeight()) / step)));
    QStringList lines = broken(measure, paragraphs, width);
    const bool dropped = lines.size() > room;
    lines = lines.mid(0, room);
    const QString ellipsis = QStringLiteral("…");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (measure.width(lines[i]) <= width && !(dropped && i + 1 == lines.size()))
            continue;
        QString line = lines[i];
        while (!line.isEmpty() && measure.width(line + ellipsis) > width)
            line.chop(1);
        lines[i] = line.trimmed() + ellipsis;
    }
    return {font, lines, false, false};
}

bool TLabel::TextFits(int scale) const {
    if (m_fitText)
        return fitted(scale).whole;
    if (m_autoSize)
        return Width() < kMaxCardSide && Height() < kMaxCardSide;
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    TRect r = ClientRect();
    DoDrawText(canvas, r, DT_EXPANDTABS | DT_CALCRECT | (m_wordWrap ? unsigned{DT_WORDBREAK} : 0u));
    return r.Right <= Width() && r.Bottom <= Height();
}

void TLabel::paintFitted(TCanvas& canvas, const FittedText& fit) {
    canvas.Font = fit.font;
    const OutputMeasure measure(fit.font, canvas.Scale());
    const int step = QFontMetrics(fit.font.toQFont()).height();
    const int block = (static_cast<int>(fit.lines.size()) - 1) * step + static_cast<int>(std::ceil(measure.inkHeight()));
    int y = 0;
    if (m_layout == tlCenter)
        y = (Height() - block) / 2;
    else if (m_layout == tlBottom)
        y = Height() - block;
    const unsigned flags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | alignmentFlag(m_alignment);
    for (const QString& line : fit.lines) {
        TRect r{0, y, Width(), y + step};
        drawShownText(canvas, line, r, flags);
        y += step;
    }
}

void TLabel::DoDrawText(TCanvas& canvas, TRect& r, unsigned flags) const {
    QString text = ShownCaption();
    // An empty caption (or a lone accelerator mark) still measures one blank.
    if ((flags & DT_CALCRECT) && (text.isEmpty() || (m_showAccelChar && text == QStringLiteral("&"))))
        text += u' ';
    if (!m_showAccelChar)
        flags |= DT_NOPREFIX;
    canvas.Font = Font();
    drawShownText(canvas, text, r, flags);
}

void TLabel::drawShownText(TCanvas& canvas, const QString& text, TRect& r, unsigned flags) const {
    // A disabled label's text is engraved: a light copy a pixel down and right, the text in shadow.
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
    if (m_fitText) {
        const FittedText fit = fitted(canvas.Scale());
        if (!fit.asIs) {
            paintFitted(canvas, fit);
            return;
        }
    }
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
