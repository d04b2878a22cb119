#pragma once

#include "exception.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wendolarka {

// The longest side of a photo taken in from a picture file: enough for any
// pass, small enough that a list of thousands stays a small database.
inline constexpr int kStoredPhotoSide = 1024;
// A picture file larger than this is no photo to take in.
inline constexpr qint64 kMaxPhotoFileBytes = qint64(512) * 1024 * 1024;

// A picture file's bytes as a person's photo is stored. A JPEG no larger than
// kStoredPhotoSide on either side is kept byte for byte (its EXIF orientation
// is honoured whenever it is shown). Anything else Qt or our JPEG decoder reads
// (JPEG, PNG, BMP, GIF's first frame; TIFF and WebP where Qt has the plugin) is
// turned upright by its orientation, laid on white where it is transparent,
// scaled smoothly to at most kStoredPhotoSide on its longer side and encoded as
// JPEG at quality 90. Sizes beyond the limits of image_codecs.h are refused
// before decoding. Throws Exception with a Polish message naming `fileName`.
QByteArray photoForStorage(const QByteArray& fileBytes, const QString& fileName);

// The same for a file on disk; a missing, unreadable or oversized file is an
// Exception naming it too.
QByteArray photoFileForStorage(const QString& path);

// A picture (an edited photo, a camera's) as a stored photo: laid on white
// where transparent, scaled smoothly to at most kStoredPhotoSide pixels on its
// longer side, JPEG quality 90. Empty for a null image.
QByteArray imageForStorage(const QImage& image);

} // namespace wendolarka
