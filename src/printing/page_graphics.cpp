#include "page_graphics.h"

#include "core/metafile_player.h"
#include "core/picture.h"

#include <QImage>
#include <QPainter>

namespace wendolarka {
namespace {

// What a temporary bitmap is filled with before another kind of picture is drawn on it.
constexpr QRgb kMagenta = 0xFFFF00FF;

// Stretched colour on colour: no blending between neighbouring pixels.
struct UnsmoothedDrawing {
    explicit UnsmoothedDrawing(QPainter& p) : painter(p) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    ~UnsmoothedDrawing() { painter.restore(); }
    QPainter& painter;
};

} // namespace

void DrawBitmapAsDIB(QPainter& canvas, const QImage& bitmap, const QRect& rect) {
    if (bitmap.isNull() || rect.isEmpty())
        return;
    // The colour values as stored (a palette looked up), whatever the alpha says.
    QImage opaque = bitmap.format() == QImage::Format_ARGB32_Premultiplied
                        ? bitmap.convertToFormat(QImage::Format_ARGB32)
                        : bitmap;
    opaque = opaque.convertToFormat(QImage::Format_RGB32);
    const UnsmoothedDrawing drawing(canvas);
    canvas.drawImage(rect, opaque);
}

void DrawGraphic(QPainter& canvas, const QRect& rect, const TGraphic& graphic) {
    if (graphic.Empty() || rect.isEmpty())
        return;
    if (dynamic_cast<const TBitmap*>(&graphic)) {
        DrawBitmapAsDIB(canvas, graphic.image(), rect);
    } else if (dynamic_cast<const TMetafile*>(&graphic)) {
        playMetafile(canvas, graphic.fileData(), QRectF(rect));
    } else if (dynamic_cast<const TIcon*>(&graphic)) {
        const UnsmoothedDrawing drawing(canvas);
        canvas.drawImage(rect, graphic.image());
    } else {
        // The picture on magenta at its own size, then as a bitmap. No picture
        // here carries a transparency flag of its own, and a bitmap goes as a
        // copy of every pixel, so none is kept.
        QImage bitmap(graphic.size(), QImage::Format_RGB32);
        bitmap.fill(kMagenta);
        {
            QPainter onBitmap(&bitmap);
            onBitmap.drawImage(0, 0, graphic.image());
        }
        DrawBitmapAsDIB(canvas, bitmap, rect);
    }
}

} // namespace wendolarka
