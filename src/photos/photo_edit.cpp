#include "photos/photo_edit.h"

#include "core/image_codecs.h"
#include "core/photo_storage.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>

namespace wendolarka::photos {
namespace {

// How the passport rules are read from a cascade's face box, which reaches
// from the middle of the forehead to the chin: the eyes lie 0.38 of the box
// below its top, and the whole head with its hair (crown to chin) is about 1.7
// box heights, as measured on photographs. The head fills 70 % of the frame
// and the eyes sit at 45 % of the frame's height from its top, which leaves a
// narrow margin above the crown and room for the neck below the chin.
constexpr double kHeadPerFaceBox = 1.7;
constexpr double kEyesInFaceBox = 0.38;
constexpr double kHeadInFrame = 0.70;
constexpr double kEyesFromFrameTop = 0.45;

// Without a face the frame's centre lies a third down the picture: the head of
// a person photographed standing or sitting is in its upper part.
constexpr double kCentreWithoutFace = 1.0 / 3.0;

bool usable(QSizeF picture, double aspect) {
    return picture.width() > 0 && picture.height() > 0 && std::isfinite(aspect) && aspect > 0;
}

double largestHeight(QSizeF picture, double aspect) { return std::min(picture.height(), picture.width() / aspect); }

// The crop in whole pixels inside the picture; the whole picture when there is none.
QRect cropPixels(const QRectF& crop, const QRect& picture) {
    if (crop.isEmpty() || !crop.isValid())
        return picture;
    const int left = int(std::lround(crop.left()));
    const int top = int(std::lround(crop.top()));
    const int right = int(std::lround(crop.right()));
    const int bottom = int(std::lround(crop.bottom()));
    const QRect inside = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & picture;
    return inside.isEmpty() ? picture : inside;
}

using TLevels = std::array<uchar, 256>;

TLevels levels(int brightness, int contrast) {
    const double factor = std::pow(4.0, std::clamp(contrast, -100, 100) / 100.0);
    const double offset = 127.5 * std::clamp(brightness, -100, 100) / 100.0;
    TLevels table{};
    for (int v = 0; v < 256; ++v)
        table[v] = uchar(std::clamp(std::lround((v - 127.5) * factor + 127.5 + offset), 0L, 255L));
    return table;
}

QImage withLevels(const QImage& image, const TLevels& table) {
    if (image.format() == QImage::Format_Grayscale8) {
        QImage out = image;
        for (int y = 0; y < out.height(); ++y) {
            uchar* line = out.scanLine(y);
            for (int x = 0; x < out.width(); ++x)
                line[x] = table[line[x]];
        }
        return out;
    }
    QImage out = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
        }
    }
    return out;
}

} // namespace

QImage turnedAndStraightened(const QImage& source, int quarterTurns, double straighten) {
    if (source.isNull())
        return {};
    const int turns = ((quarterTurns % 4) + 4) % 4;
    // A rotation by a multiple of 90 degrees is a pure pixel move in Qt.
    QImage turned = turns == 0 ? source : source.transformed(QTransform().rotate(90.0 * turns));
    // Below this the turn moves no pixel's centre by a hundredth of a pixel
    // in any picture the program takes.
    if (!std::isfinite(straighten) || std::abs(straighten) < 1e-6)
        return turned;
    QImage straightened(turned.size(), QImage::Format_RGB32);
    straightened.fill(Qt::white);
    QPainter painter(&straightened);
    painter.setRenderHints(QPainter::SmoothPixmapTransform | QPainter::Antialiasing);
    const QPointF centre(turned.width() / 2.0, turned.height() / 2.0);
    painter.translate(centre);
    painter.rotate(straighten); // y points down, so positive turns clockwise
    painter.translate(-centre);
    painter.drawImage(0, 0, turned);
    painter.end();
    return straightened;
}

QImage applyPhotoEdit(const QImage& source, const TPhotoEdit& edit) {
    QImage picture = turnedAndStraightened(source, edit.quarterTurns, edit.straighten);
    if (picture.isNull())
        return picture;
    const QRect crop = cropPixels(edit.crop, picture.rect());
    if (crop != picture.rect())
        picture = picture.copy(crop);
    if (edit.brightness == 0 && edit.contrast == 0)
        return picture;
    return withLevels(picture, levels(edit.brightness, edit.contrast));
}

QByteArray storedPhoto(const QImage& edited) { return imageForStorage(edited); }

QRectF frameAround(QSizeF picture, double aspect, QPointF centre, double height) {
    if (!usable(picture, aspect))
        return {};
    const double largest = largestHeight(picture, aspect);
    const double h = std::isfinite(height) ? std::clamp(height, std::min(kMinFrameHeight, largest), largest) : largest;
    // Rounding may leave the width a hair beyond the picture's.
    const double w = std::min(h * aspect, picture.width());
    const double cx = std::isfinite(centre.x()) ? centre.x() : picture.width() / 2;
    const double cy = std::isfinite(centre.y()) ? centre.y() : picture.height() / 2;
    const double x = std::clamp(cx - w / 2, 0.0, std::max(0.0, picture.width() - w));
    const double y = std::clamp(cy - h / 2, 0.0, std::max(0.0, picture.height() - h));
    return {x, y, w, h};
}

QRectF movedFrame(const QRectF& frame, QPointF by, QSizeF picture) {
    if (frame.isEmpty())
        return frame;
    return frameAround(picture, frame.width() / frame.height(), frame.center() + by, frame.height());
}

QRectF resizedFrame(const QRectF& frame, double height, QSizeF picture) {
    if (frame.isEmpty())
        return frame;
    return frameAround(picture, frame.width() / frame.height(), frame.center(), height);
}

QRectF startFrame(QSizeF picture, double aspect, const std::optional<QRectF>& face) {
    if (!usable(picture, aspect))
        return {};
    const QRectF box = face ? face->normalized() & QRectF(QPointF(0, 0), picture) : QRectF();
    if (box.isEmpty())
        return frameAround(picture, aspect, {picture.width() / 2, picture.height() * kCentreWithoutFace},
                           largestHeight(picture, aspect));
    const double height = kHeadPerFaceBox * box.height() / kHeadInFrame;
    const double eyes = box.top() + kEyesInFaceBox * box.height();
    return frameAround(picture, aspect, {box.center().x(), eyes + (0.5 - kEyesFromFrameTop) * height}, height);
}

} // namespace wendolarka::photos
