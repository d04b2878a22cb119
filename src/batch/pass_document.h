#pragma once

#include "core/canvas.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRawFont>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

class QPainter;

namespace wendolarka {

class TElementHost;

// Glyphs of one face as the painter places them, from the start of a line on its baseline.
struct TDocumentRun {
    QString faceKey; // documentFaceKey's
    double pixelSize = 0;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    QList<double> widths; // each glyph's advance in thousandths of the size
    // The face itself, when asked for: good on the drawing thread only.
    QRawFont face;
};

// What leaves a pass as itself rather than as pixels, in the order drawn.
struct TDocumentItem {
    enum Kind { Text, Jpeg, Rects } kind = Text;
    TRect clip; // units of the pass
    // Text: one run of a line, its glyphs as the painter places them (a run a
    // face), placed from `origin` on the baseline.
    QString text;
    std::vector<TDocumentRun> runs;
    QPointF origin;
    TColor color = clBlack;
    // Picture: the bytes of a JPEG file shown in `dest`.
    QByteArray jpeg;
    QSize pixels;
    TRect dest;
    // Rects: filled rectangles in `color` (a code's bars), units of the pass.
    std::vector<QRectF> rects;
};

// A pass drawn for a document: the pixels of all that is neither text nor a
// JPEG picture, `scale` pixels a unit, and those items to go over them.
struct TDocumentPass {
    QSize units;
    int scale = 1;
    QImage raster;
    std::vector<TDocumentItem> items;
};

// Draws the elements for a document. Text and JPEG pictures leave as items
// when nothing drawn above them would cover them (then drawing them over the
// pixels looks as the screen does); the rest, as on the screen, is pixels.
// With `keepFaces` the runs keep their faces, for painting on this thread.
TDocumentPass drawForDocument(const TElementHost& design, int scale, bool keepFaces = false);

// The pass onto a painter (a printer's, a PDF writer's) into `target`: its
// pixels as a picture, its JPEG pictures decoded and its text as glyphs, which
// a vector device keeps as text. The pass is drawn with its faces kept, on this thread.
void paintDocumentPass(QPainter& painter, const TDocumentPass& pass, const QRectF& target);

// The elements drawn anew into `target` of a painter, as sharp as its device
// allows: what printing a window's picture uses instead of the snapshot.
void paintAtDeviceResolution(QPainter& painter, const TElementHost& design, const QRectF& target);

// A part of a pass's pixels that differs from the pass they are drawn over.
struct TRasterPatch {
    QRect area;       // in pixels of the raster
    QByteArray flate; // its RGB bytes, deflated
};
// Where `raster` differs from `base`, as one patch around every differing tile (all of it when the sizes differ).
std::vector<TRasterPatch> patchesOver(const QImage& base, const QImage& raster);
// Bytes deflated (zlib), as a PDF's FlateDecode reads them.
QByteArray deflateBytes(const QByteArray& bytes);
// An area of an RGB32 image as deflated RGB bytes, row by row.
QByteArray deflateRgb(const QImage& image, const QRect& area);

} // namespace wendolarka
