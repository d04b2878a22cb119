#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>

namespace wendolarka {

// Draws an enhanced metafile or a placeable Windows metafile (the 0x9AC6CDD7
// header) into `target`: the picture's frame, or its bounding box, is mapped
// onto it. Records the player does not know are skipped; a record whose size
// points outside the data or is smaller than its fixed part stops the drawing,
// and what was drawn stays. False when the data is not a metafile it can play
// or the drawing stopped on a damaged record. The painter's state is as before.
bool playMetafile(QPainter& painter, const QByteArray& data, const QRectF& target);

// The metafile drawn at `size` on a transparent ARGB32-premultiplied image;
// a null image when the data is not a metafile or the size is not allowed.
QImage renderMetafile(const QByteArray& data, QSize size);

} // namespace wendolarka
