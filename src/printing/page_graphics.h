#pragma once

#include <QRect>

class QImage;
class QPainter;

namespace wendolarka {

class TGraphic;

// How the print preview puts a picture on a page, on any device: the screen's
// page recording, a printer or a PDF writer. Each is stretched onto `rect`
// without smoothing, so a pixel of the picture stays one colour on the page.

// By kind: a bitmap as a device-independent copy; a metafile played as its
// records (sharp at any size); an icon with its transparent parts left out;
// anything else first drawn onto a magenta bitmap of its own size, which then
// goes as a bitmap does.
void DrawGraphic(QPainter& canvas, const QRect& rect, const TGraphic& graphic);

// Every pixel of the bitmap copied as it is, alpha left out: a printer takes an
// opaque device-independent image.
void DrawBitmapAsDIB(QPainter& canvas, const QImage& bitmap, const QRect& rect);

} // namespace wendolarka
