#include "sample_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace wendolarka {

TPicture samplePortrait() {
    QImage image(48, 59, QImage::Format_RGB32);
    image.fill(QColor(214, 226, 238));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 72, 110)); // jacket
    p.drawRoundedRect(QRectF(4, 40, 40, 26), 12, 12);
    p.setBrush(QColor(236, 236, 236)); // collar
    p.drawPolygon(QPolygonF({{18, 40}, {24, 50}, {30, 40}}));
    p.setBrush(QColor(226, 186, 152)); // neck and face
    p.drawRect(QRectF(20, 30, 8, 10));
    p.drawEllipse(QRectF(14, 10, 20, 24));
    p.setBrush(QColor(92, 62, 40)); // hair
    QPainterPath hair;
    hair.moveTo(14, 22);
    hair.cubicTo(12, 6, 36, 4, 34, 22);
    hair.cubicTo(32, 14, 18, 12, 14, 22);
    p.drawPath(hair);
    p.end();
    // Stored with the layout as a 256-colour picture.
    return TPicture(std::make_unique<TBitmap>(image.convertToFormat(QImage::Format_Indexed8)));
}

TPicture sampleIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 64, 128), 2));
    p.setBrush(QColor(255, 210, 0));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 64, 128));
    p.drawPolygon(QPolygonF({{16, 7}, {19, 14}, {26, 14}, {20, 18}, {23, 25}, {16, 21},
                             {9, 25}, {12, 18}, {6, 14}, {13, 14}}));
    p.end();
    return TPicture(TIcon::fromImage(image));
}

} // namespace wendolarka
