#pragma once

#include "color.h"
#include "font.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>
#include <vector>

namespace wendolarka {

// A rectangle as the drawing rules see it: right and bottom are exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    bool contains(QPoint p) const { return p.x() >= Left && p.x() < Right && p.y() >= Top && p.y() < Bottom; }
    TRect translated(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    TRect inflated(int dx, int dy) const { return {Left - dx, Top - dy, Right + dx, Bottom + dy}; }
    TRect intersected(const TRect& o) const;
    QRect toQRect() const { return {Left, Top, Width(), Height()}; }
    static TRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    static TRect bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Raster operations of a pen: how its colour P combines with the pixel D.
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle { bsSolid, bsClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Text layout flags of DrawText.
enum TDrawTextFlag : unsigned {
    DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800
};

class TControl;

// Takes text and original pictures off a canvas as what they are, for a
// document that keeps them so (a PDF holds text as text and a JPEG as its
// bytes); what it declines the canvas draws as pixels. Places are in units of
// the canvas (before its scale), origin applied; clips likewise.
class ICanvasSink {
public:
    virtual ~ICanvasSink() = default;
    // Whether the element's text and pictures may leave the canvas: not when
    // something drawn above it would cover them.
    virtual bool accepts(const TControl& element) const = 0;
    // One run of a line of text whose baseline starts at `origin`.
    virtual bool text(const QString& text, const QFont& font, TColor color, QPointF origin, const TRect& clip) = 0;
    // A JPEG file's bytes shown in `dest`.
    virtual bool jpeg(const QByteArray& bytes, QSize pixels, const TRect& dest, const TRect& clip) = 0;
    // Filled rectangles of one colour (the bars of a code), in units that may be fractions.
    virtual bool rects(const std::vector<QRectF>& rects, TColor color, const TRect& clip) {
        (void)rects, (void)color, (void)clip;
        return false;
    }
};

// Drawing on a 32-bit image with the classic desktop rules: rectangles exclude
// their right and bottom edges, LineTo leaves its end point, 1-pixel pens
// combine with the pixels under them by their mode. Coordinates are relative
// to the origin; nothing is drawn outside the clip rectangle.
//
// With a scale k every unit is k x k image pixels: the same drawing, pixel for
// pixel k times larger, while text, pictures and wide pens are drawn at the
// image's full resolution (a pass for a 300 dpi sheet).
class TCanvas {
public:
    explicit TCanvas(QImage& image, int scale = 1);
    int Scale() const { return m_scale; }

    TPen Pen;
    TBrush Brush;
    TFont Font;
    // Where text and JPEG pictures go instead of the pixels: offered to every
    // element, in force for the one being painted when it accepts it.
    ICanvasSink* OfferedSink = nullptr;
    ICanvasSink* Sink = nullptr;

    QPoint Origin() const { return m_origin; }
    void setOrigin(QPoint origin) { m_origin = origin; }
    // In image coordinates; an empty clip rectangle lets nothing through.
    TRect ClipRect() const { return m_clip; }
    void setClipRect(const TRect& clip);
    void resetClipRect();

    QPoint PenPos() const { return m_penPos; }
    void MoveTo(int x, int y) { m_penPos = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<QPoint>& points);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    // Rings of `width` pixels, each with its top and left in the first colour and its
    // right and bottom in the second; `r` ends up inside the last ring.
    void Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width);
    void DrawFocusRect(const TRect& r);

    TColor Pixel(int x, int y) const; // clBlack outside the image
    void setPixel(int x, int y, TColor color);

    void Draw(int x, int y, const QImage& image);
    void StretchDraw(const TRect& r, const QImage& image);
    // A picture decoded from a JPEG file (`jpeg`, or empty when it has none):
    // to the sink as its bytes when it takes them, else drawn (stretched) as pixels.
    void DrawPicture(const TRect& r, const QImage& image, const QByteArray& jpeg);
    // Rectangles in fractions of a unit, filled without smoothing: to the sink
    // as shapes when it takes them, else as pixels (sharp when they lie on the
    // image's pixels, as a code's bars are laid).
    void FillRects(const std::vector<QRectF>& rects, TColor color);

    void TextOut(int x, int y, const QString& text);
    QSize TextExtent(const QString& text) const;
    int TextWidth(const QString& text) const { return TextExtent(text).width(); }
    int TextHeight(const QString& text) const { return TextExtent(text).height(); }
    // Returns the height of the text; with DT_CALCRECT only measures and sets
    // r's right and bottom to the text's extent.
    int DrawText(const QString& text, TRect& r, unsigned flags);

    QImage& image() { return m_image; }

private:
    void plot(int x, int y, TColor color, TPenMode mode);
    void line(QPoint from, QPoint to);
    void fill(const TRect& r, TColor color);
    TRect clipFor(const TRect& r) const;
    TRect bounds() const;
    // A painter on the image in units: clipped to the clip rectangle, scaled, at the origin.
    void beginPainter(QPainter& painter, const TRect& clip) const;

    QImage& m_image;
    int m_scale = 1;
    QPoint m_origin;
    TRect m_clip;
    QPoint m_penPos;
};

// The colour a raster operation makes of pen colour `pen` over pixel `dest`.
TColor applyPenMode(TPenMode mode, TColor pen, TColor dest);

} // namespace wendolarka
