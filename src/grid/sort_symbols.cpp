#include "sortable_grid.h"

#include <QPainter>

#include <cstring>

namespace wendolarka {

QImage sortSymbolImage(const char* name) {
    const bool arrow = std::strcmp(name, "SORTUP") == 0 || std::strcmp(name, "SORTDN") == 0;
    const bool ascending = std::strcmp(name, "SORTUP") == 0 || std::strcmp(name, "SORTAZ") == 0;
    const QColor aqua(0, 255, 255);
    if (arrow) {
        // A filled triangle, point up for ascending, on the transparent colour.
        QImage image(8, 7, QImage::Format_RGB32);
        image.fill(aqua);
        for (int y = 0; y < 4; ++y)
            for (int x = 3 - y; x <= 4 + y; ++x)
                image.setPixel(x, ascending ? 1 + y : 5 - y, qRgb(64, 64, 64));
        return image;
    }
    // "A" over "Z" (or the other way) with a small arrow beside them.
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(aqua);
    QPainter p(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(7);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 0, 9, 8), Qt::AlignCenter, ascending ? QStringLiteral("A") : QStringLiteral("Z"));
    p.drawText(QRect(0, 8, 9, 8), Qt::AlignCenter, ascending ? QStringLiteral("Z") : QStringLiteral("A"));
    p.setPen(QColor(64, 64, 64));
    p.drawLine(12, 2, 12, 13);
    p.drawLine(10, 11, 12, 13);
    p.drawLine(14, 11, 12, 13);
    return image;
}

} // namespace wendolarka
