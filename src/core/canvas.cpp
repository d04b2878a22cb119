#include "canvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace wendolarka {
namespace {

constexpr TColor kRgbMask = 0xFFFFFF;

QRgb toRgb32(TColor color) {
    const TColor c = colorToRGB(color);
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}

TColor fromRgb32(QRgb pixel) { return rgbColor(qRed(pixel), qGreen(pixel), qBlue(pixel)); }

struct TextLine {
    QString text;           // prefix characters removed
    int underlined = -1;    // index of the accelerator character
    int width = 0;
};

// Widths with tab stops every eight average characters when tabs expand.
int lineWidth(const QFontMetrics& metrics, const QString& text, bool expandTabs) {
    if (!expandTabs || !text.contains(u'\t'))
        return metrics.horizontalAdvance(text);
    const int stop = 8 * metrics.averageCharWidth();
    int x = 0;
    const QStringList parts = text.split(u'\t');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        x += metrics.horizontalAdvance(parts[i]);
        if (i + 1 < parts.size())
            x = (x / stop + 1) * stop;
    }
    return x;
}

TextLine stripPrefix(const QString& raw, bool noPrefix) {
    TextLine line;
    if (noPrefix) {
        line.text = raw;
        return line;
    }
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'&' && i + 1 < raw.size()) {
            ++i;
            if (raw[i] != u'&' && line.underlined < 0)
                line.underlined = static_cast<int>(line.text.size());
        } else if (raw[i] == u'&') {
            continue;
        }
        line.text += raw[i];
    }
    return line;
}

// Breaks one paragraph at blanks so that each line fits `width`; a word longer
// than the width keeps a line of its own.
QStringList wrap(const QFontMetrics& metrics, const QString& paragraph, int width, bool expandTabs) {
    QStringList lines;
    QString current;
    const QStringList words = paragraph.split(u' ');
    for (const QString& word : words) {
        const QString candidate = current.isNull() ? word : current + u' ' + word;
        if (!current.isNull() && lineWidth(metrics, candidate, expandTabs) > width) {
            lines << current;
            current = word;
        } else {
            current = candidate;
        }
    }
    lines << (current.isNull() ? QString() : current);
    return lines;
}

} // namespace

TRect TRect::intersected(const TRect& o) const {
    TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
            std::min(Bottom, o.Bottom)};
    if (r.isEmpty())
        return {};
    return r;
}

TColor applyPenMode(TPenMode mode, TColor pen, TColor dest) {
    const TColor p = pen & kRgbMask;
    const TColor d = dest & kRgbMask;
    switch (mode) {
    case pmBlack: return 0;
    case pmWhite: return kRgbMask;
    case pmNop: return d;
    case pmNot: return ~d & kRgbMask;
    case pmCopy: return p;
    case pmNotCopy: return ~p & kRgbMask;
    case pmMergePenNot: return (p | ~d) & kRgbMask;
    case pmMaskPenNot: return p & ~d & kRgbMask;
    case pmMergeNotPen: return (~p | d) & kRgbMask;
    case pmMaskNotPen: return ~p & d & kRgbMask;
    case pmMerge: return p | d;
    case pmNotMerge: return ~(p | d) & kRgbMask;
    case pmMask: return p & d;
    case pmNotMask: return ~(p & d) & kRgbMask;
    case pmXor: return p ^ d;
    case pmNotXor: return ~(p ^ d) & kRgbMask;
    }
    return p;
}

TCanvas::TCanvas(QImage& image, int scale) : m_image(image), m_scale(std::max(1, scale)) {
    if (m_image.format() != QImage::Format_RGB32)
        m_image = m_image.convertToFormat(QImage::Format_RGB32);
    m_clip = bounds();
}

TRect TCanvas::bounds() const { return {0, 0, m_image.width() / m_scale, m_image.height() / m_scale}; }

void TCanvas::setClipRect(const TRect& clip) { m_clip = clip.intersected(bounds()); }

void TCanvas::resetClipRect() { m_clip = bounds(); }

void TCanvas::beginPainter(QPainter& painter, const TRect& clip) const {
    painter.setClipRect(QRect(clip.Left * m_scale, clip.Top * m_scale, clip.Width() * m_scale, clip.Height() * m_scale));
    if (m_scale > 1) {
        painter.scale(m_scale, m_scale);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter.translate(m_origin);
}

TRect TCanvas::clipFor(const TRect& r) const {
    return r.translated(m_origin.x(), m_origin.y()).intersected(m_clip);
}

void TCanvas::plot(int x, int y, TColor color, TPenMode mode) {
    x += m_origin.x();
    y += m_origin.y();
    if (!m_clip.contains({x, y}))
        return;
    const TColor pen = colorToRGB(color);
    for (int dy = 0; dy < m_scale; ++dy) {
        auto* row = reinterpret_cast<QRgb*>(m_image.scanLine(y * m_scale + dy));
        for (int dx = 0; dx < m_scale; ++dx) {
            QRgb& pixel = row[x * m_scale + dx];
            pixel = toRgb32(applyPenMode(mode, pen, fromRgb32(pixel)));
        }
    }
}

TColor TCanvas::Pixel(int x, int y) const {
    x += m_origin.x();
    y += m_origin.y();
    if (!bounds().contains({x, y}))
        return clBlack;
    return fromRgb32(reinterpret_cast<const QRgb*>(m_image.constScanLine(y * m_scale))[x * m_scale]);
}

void TCanvas::setPixel(int x, int y, TColor color) { plot(x, y, color, pmCopy); }

void TCanvas::line(QPoint from, QPoint to) {
    if (Pen.Style == psClear)
        return;
    if (Pen.Width > 1) {
        // Wide pens are geometric: drawn centred on the line, end point included.
        QPainter painter(&m_image);
        beginPainter(painter, m_clip);
        QPen pen(QColor::fromRgb(toRgb32(Pen.Color)), Pen.Width);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawLine(from, to);
        return;
    }
    // Straight lines are cut to the clip rectangle first, so a line far longer
    // than the image costs only what is drawn of it.
    if (from.y() == to.y() || from.x() == to.x()) {
        const TRect clip = m_clip.translated(-m_origin.x(), -m_origin.y());
        const bool horizontal = from.y() == to.y();
        const int fixed = horizontal ? from.y() : from.x();
        if (horizontal ? (fixed < clip.Top || fixed >= clip.Bottom) : (fixed < clip.Left || fixed >= clip.Right))
            return;
        const int a = horizontal ? from.x() : from.y();
        const int b = horizontal ? to.x() : to.y(); // left out
        const int low = horizontal ? clip.Left : clip.Top;
        const int high = (horizontal ? clip.Right : clip.Bottom) - 1;
        const int step = a < b ? 1 : -1;
        int first = a, last = b - step; // both drawn
        if (a == b)
            return;
        if (step > 0) {
            first = std::max(first, low);
            last = std::min(last, high);
        } else {
            first = std::min(first, high);
            last = std::max(last, low);
        }
        for (int v = first; step > 0 ? v <= last : v >= last; v += step)
            horizontal ? plot(v, fixed, Pen.Color, Pen.Mode) : plot(fixed, v, Pen.Color, Pen.Mode);
        return;
    }
    // Bresenham, the last point left out.
    int x = from.x(), y = from.y();
    const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        plot(x, y, Pen.Color, Pen.Mode);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::LineTo(int x, int y) {
    line(m_penPos, {x, y});
    m_penPos = {x, y};
}

void TCanvas::Polyline(const std::vector<QPoint>& points) {
    if (points.empty())
        return;
    MoveTo(points.front().x(), points.front().y());
    for (std::size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].x(), points[i].y());
}

void TCanvas::fill(const TRect& r, TColor color) {
    const TRect area = clipFor(r);
    if (area.isEmpty())
        return;
    const QRgb rgb = toRgb32(color);
    // The rows found from one pointer: a tall thin area (a frame's side) would
    // otherwise cost an image detach check per row, more than its pixels.
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    for (int y = area.Top * m_scale; y < area.Bottom * m_scale; ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + area.Left * m_scale, row + area.Right * m_scale, rgb);
    }
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (Pen.Style == psClear) {
        if (Brush.Style != bsClear)
            fill({left, top, right - 1, bottom - 1}, Brush.Color);
        return;
    }
    if (Brush.Style != bsClear)
        fill({left + 1, top + 1, right - 1, bottom - 1}, Brush.Color);
    const QPoint saved = m_penPos;
    if (Pen.Width > 1) {
        Polyline({{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}});
    } else if (right - left == 1 || bottom - top == 1) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                plot(x, y, Pen.Color, Pen.Mode);
    } else {
        Polyline({{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}});
    }
    m_penPos = saved;
}

void TCanvas::FillRect(const TRect& r) {
    if (Brush.Style != bsClear)
        fill(r, Brush.Color);
}

void TCanvas::FrameRect(const TRect& r) {
    if (r.isEmpty())
        return;
    fill({r.Left, r.Top, r.Right, r.Top + 1}, Brush.Color);
    fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, Brush.Color);
    fill({r.Left, r.Top, r.Left + 1, r.Bottom}, Brush.Color);
    fill({r.Right - 1, r.Top, r.Right, r.Bottom}, Brush.Color);
}

void TCanvas::Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width) {
    // Each ring: top and left from the top-left corner, then right and bottom
    // from the bottom-right corner, as lines that leave out their ends.
    const TPen saved = Pen;
    Pen.Width = 1;
    Pen.Mode = pmCopy;
    Pen.Style = psSolid;
    --r.Bottom;
    --r.Right;
    // Rings past the far side of the rectangle fall outside it and draw nothing
    // of it; however wide the border claims to be, they end there.
    const int rings = std::min(width, std::max(r.Width(), r.Height()) + 2);
    for (int ring = 0; ring < rings; ++ring) {
        Pen.Color = topColor;
        Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        Pen.Color = bottomColor;
        Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
        r = r.inflated(-1, -1);
    }
    if (width > rings)
        r = r.inflated(rings - width, rings - width);
    ++r.Bottom;
    ++r.Right;
    Pen = saved;
}

void TCanvas::DrawFocusRect(const TRect& r) {
    // A dotted frame drawn by inversion: drawing it twice erases it.
    for (int x = r.Left; x < r.Right; ++x) {
        if ((x - r.Left) % 2 == 0) {
            plot(x, r.Top, clBlack, pmNot);
            if (r.Bottom - 1 != r.Top)
                plot(x, r.Bottom - 1, clBlack, pmNot);
        }
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        if ((y - r.Top) % 2 == 0) {
            plot(r.Left, y, clBlack, pmNot);
            if (r.Right - 1 != r.Left)
                plot(r.Right - 1, y, clBlack, pmNot);
        }
    }
}

void TCanvas::Draw(int x, int y, const QImage& image) {
    QPainter painter(&m_image);
    beginPainter(painter, m_clip);
    painter.drawImage(QPoint(x, y), image);
}

void TCanvas::StretchDraw(const TRect& r, const QImage& image) {
    QPainter painter(&m_image);
    beginPainter(painter, m_clip);
    painter.drawImage(r.toQRect(), image);
}

void TCanvas::DrawPicture(const TRect& r, const QImage& image, const QByteArray& jpeg) {
    if (Sink && !jpeg.isEmpty() && Sink->jpeg(jpeg, image.size(), r.translated(m_origin.x(), m_origin.y()), m_clip))
        return;
    if (r.Width() == image.width() && r.Height() == image.height())
        Draw(r.Left, r.Top, image);
    else
        StretchDraw(r, image);
}

void TCanvas::FillRects(const std::vector<QRectF>& rects, TColor color) {
    if (rects.empty())
        return;
    if (Sink) {
        std::vector<QRectF> placed;
        placed.reserve(rects.size());
        for (const QRectF& r : rects)
            placed.push_back(r.translated(m_origin));
        if (Sink->rects(placed, color, m_clip))
            return;
    }
    QPainter painter(&m_image);
    beginPainter(painter, m_clip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QColor fill = QColor::fromRgb(toRgb32(color));
    for (const QRectF& r : rects)
        painter.fillRect(r, fill);
}

QSize TCanvas::TextExtent(const QString& text) const {
    const QFontMetrics metrics(Font.toQFont());
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    TRect r{x, y, x, y};
    DrawText(text, r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    DrawText(text, r, DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP);
    m_penPos = {x + r.Width(), y};
}

int TCanvas::DrawText(const QString& text, TRect& r, unsigned flags) {
    const QFont font = Font.toQFont();
    const QFontMetrics metrics(font);
    const bool expandTabs = flags & DT_EXPANDTABS;
    const bool singleLine = flags & DT_SINGLELINE;

    QStringList paragraphs;
    if (singleLine) {
        QString flat = text;
        flat.replace(u'\r', u' ').replace(u'\n', u' ');
        paragraphs << flat;
    } else {
        QString normal = text;
        normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        paragraphs = normal.split(u'\n');
    }
    std::vector<TextLine> lines;
    for (const QString& paragraph : paragraphs) {
        const TextLine stripped = stripPrefix(paragraph, flags & DT_NOPREFIX);
        const QStringList pieces = (flags & DT_WORDBREAK) && !singleLine
                                       ? wrap(metrics, stripped.text, r.Width(), expandTabs)
                                       : QStringList{stripped.text};
        int offset = 0;
        for (const QString& piece : pieces) {
            TextLine line;
            line.text = piece;
            if (stripped.underlined >= offset && stripped.underlined < offset + piece.size())
                line.underlined = stripped.underlined - offset;
            line.width = lineWidth(metrics, piece, expandTabs);
            offset += static_cast<int>(piece.size()) + 1;
            lines.push_back(line);
        }
    }
    const int lineHeight = metrics.height();
    const int height = lineHeight * static_cast<int>(lines.size());
    int widest = 0;
    for (const TextLine& line : lines)
        widest = std::max(widest, line.width);

    if (flags & DT_CALCRECT) {
        r.Right = r.Left + widest;
        r.Bottom = r.Top + height;
        return height;
    }

    int y = r.Top;
    if (singleLine && (flags & DT_VCENTER))
        y = r.Top + (r.Height() - lineHeight) / 2;
    else if (singleLine && (flags & DT_BOTTOM))
        y = r.Bottom - lineHeight;

    QPainter painter(&m_image);
    TRect clip = m_clip;
    if (!(flags & DT_NOCLIP))
        clip = clipFor(r);
    if (clip.isEmpty())
        return height;
    beginPainter(painter, clip);
    painter.setFont(font);
    const QColor textColor = QColor::fromRgb(toRgb32(Font.Color()));
    for (const TextLine& line : lines) {
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - line.width) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - line.width;
        if (Brush.Style != bsClear)
            painter.fillRect(QRect(x, y, line.width, lineHeight), QColor::fromRgb(toRgb32(Brush.Color)));
        painter.setPen(textColor);
        const auto run = [&](int px, const QString& piece) {
            // Decorations are drawn by the painter only.
            if (Sink && !font.underline() && !font.strikeOut() &&
                Sink->text(piece, font, Font.Color(), QPointF(px + m_origin.x(), y + metrics.ascent() + m_origin.y()), clip))
                return;
            painter.drawText(px, y + metrics.ascent(), piece);
        };
        if (expandTabs && line.text.contains(u'\t')) {
            const QStringList parts = line.text.split(u'\t');
            int px = x;
            const int stop = 8 * metrics.averageCharWidth();
            for (qsizetype i = 0; i < parts.size(); ++i) {
                run(px, parts[i]);
                px += metrics.horizontalAdvance(parts[i]);
                px = (px - x) / stop * stop + stop + x;
            }
        } else {
            run(x, line.text);
        }
        if (line.underlined >= 0) {
            const int ux = x + metrics.horizontalAdvance(line.text.left(line.underlined));
            const int uw = metrics.horizontalAdvance(line.text.at(line.underlined));
            painter.drawLine(ux, y + metrics.ascent() + 1, ux + uw - 1, y + metrics.ascent() + 1);
        }
        y += lineHeight;
    }
    return height;
}

} // namespace wendolarka
