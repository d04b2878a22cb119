#pragma once

#include <optional>

#include "exception.h"

#include <QByteArray>
#include <QImage>

namespace wendolarka {

// The largest pictures the program takes: larger claims in a header are damage
// or hostility, and are refused before anything is allocated.
inline constexpr qint64 kMaxPictureSide = 65535;
inline constexpr qint64 kMaxPicturePixels = 100'000'000;
bool pictureSizeAllowed(qint64 width, qint64 height);
// JPEG data cannot describe more than about a thousand pixels a byte (half a bit
// per 8 x 8 block); below a million pixels any claim is believed.
inline constexpr qint64 kPixelsPerByte = 1024;
inline constexpr qint64 kPixelsAlwaysBelieved = 1'000'000;
Exception pictureSizeError(qint64 width, qint64 height);

// Decodes JPEG file data, RGB, greyscale and CMYK/YCCK alike, turned upright by
// its EXIF orientation. Throws Exception("JPEG error #n: <decoder's text>")
// when the data is not a JPEG it can read, and the size error for a header
// claiming a size no picture has. With `maxSide` the decoder scales by itself
// (by eighths, down to one eighth) so that the longer side stays within it: a huge photo never
// takes more memory than a pass can show.
QImage decodeJpeg(const QByteArray& data, int maxSide = 0);

// The longest side of a stored person's photo as it is held for showing.
inline constexpr int kMaxPhotoSide = 2048;

// The EXIF orientation (1-8) of the TIFF block of an APP1 "Exif" segment; 1 when absent.
int exifOrientation(const QByteArray& tiff);
// Turns an image as stored into the image as seen, by its EXIF orientation.
QImage applyOrientation(const QImage& image, int orientation);

// The size and components of a JPEG file read from its headers; empty when the
// file is not one a document may carry as it is (a baseline or progressive
// JPEG of one or three components, upright by its EXIF data).
struct TJpegFacts {
    QSize pixels;
    int components = 0;
};
std::optional<TJpegFacts> documentJpegFacts(const QByteArray& jpeg);

// Baseline sequential JFIF, three colour components, at the given quality.
// With dotsPerInch above 0 the JFIF header states it; else it keeps the encoder's default.
QByteArray encodeJpeg(const QImage& image, int quality = 90, int dotsPerInch = 0);

// An uncompressed 24-bit BMP file: file header, 40-byte information header,
// rows bottom-up, each padded to a multiple of four bytes.
QByteArray encodeBmp24(const QImage& image, int dotsPerInch = 96);

} // namespace wendolarka
