#pragma once

#include "exception.h"

#include <QByteArray>
#include <QImage>

namespace wendolarka {

// Decodes JPEG file data; throws Exception("JPEG error #n") with the decoder's
// message number when the data is not a JPEG it can read.
QImage decodeJpeg(const QByteArray& data);

// Baseline sequential JFIF, three colour components, at the given quality.
QByteArray encodeJpeg(const QImage& image, int quality = 90);

// An uncompressed 24-bit BMP file: file header, 40-byte information header,
// rows bottom-up, each padded to a multiple of four bytes.
QByteArray encodeBmp24(const QImage& image);

} // namespace wendolarka
