#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace wendolarka::photos {

// What the user did to a photo in the photo editor. Applied in this order:
// quarter turns, the fine straightening, the crop, brightness and contrast.
struct TPhotoEdit {
    int quarterTurns = 0;    // clockwise, 0..3
    double straighten = 0;   // degrees, clockwise positive, -10..10
    int brightness = 0;      // -100..100, 0 leaves the picture as it is
    int contrast = 0;        // -100..100, 0 leaves the picture as it is
    QRectF crop;             // in the turned and straightened picture's pixels; empty: all of it
};

// The picture the quarter turns and the straightening make: the space the crop
// frame lives in. Quarter turns move pixels exactly (any count, taken modulo 4).
// Straightening turns smoothly about the centre and keeps the size; the
// corners it uncovers are white, as the background of a pass photo.
QImage turnedAndStraightened(const QImage& source, int quarterTurns, double straighten);

// The edited photo: turned, straightened, cropped (the crop's edges rounded to
// whole pixels; a crop outside the picture is ignored), brightness and
// contrast applied. Contrast scales every channel about mid grey by
// 4^(contrast / 100) (a quarter to four times), then brightness adds
// brightness / 100 of half the range (-127.5..127.5), clamped to 0..255;
// both are clamped to -100..100. With both 0 the pixels are the source's.
QImage applyPhotoEdit(const QImage& source, const TPhotoEdit& edit);

// A photo as a person's photo is stored: laid on white where transparent,
// scaled smoothly to at most kStoredPhotoSide pixels on its longer side,
// JPEG quality 90. Empty for a null image.
QByteArray storedPhoto(const QImage& edited);

// ---- the crop frame, locked to the proportions (width / height) of the pass's photo element
// Frames are never larger than the picture allows and never smaller than
// kMinFrameHeight unless the picture itself is. An empty picture or an aspect
// that is not a positive number gives an empty frame.

// A frame of that aspect inside the picture, centred on `centre` and `height`
// tall where the picture allows (at most the largest that fits), moved inside otherwise.
QRectF frameAround(QSizeF picture, double aspect, QPointF centre, double height);
// The frame moved by `by`, kept inside the picture.
QRectF movedFrame(const QRectF& frame, QPointF by, QSizeF picture);
// The frame made `height` tall about its centre, with its aspect, kept inside
// the picture; never smaller than kMinFrameHeight.
QRectF resizedFrame(const QRectF& frame, double height, QSizeF picture);
inline constexpr double kMinFrameHeight = 16;

// Where the frame starts: around the face as passport photos place it (the
// head about 70 % of the frame's height, the eyes a little above the middle)
// when one is given (`face` as faces() gives it: forehead to chin), else the
// largest frame, centred across the picture and on its upper third.
QRectF startFrame(QSizeF picture, double aspect, const std::optional<QRectF>& face);

} // namespace wendolarka::photos
