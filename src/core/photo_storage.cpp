#include "photo_storage.h"

#include "image_codecs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace wendolarka {
namespace {

QString shownName(const QString& fileName) { return QDir::toNativeSeparators(fileName); }

Exception unreadable(const QString& fileName) {
    return Exception(QStringLiteral("Plik zdjęcia %1 nie jest obrazem, który program umie odczytać.")
                         .arg(shownName(fileName)));
}

Exception damaged(const QString& fileName, const QString& cause = {}) {
    QString message = QStringLiteral("Plik zdjęcia %1 jest uszkodzony albo niepełny").arg(shownName(fileName));
    return Exception(cause.isEmpty() ? message + u'.' : message + QStringLiteral(": ") + cause);
}

Exception tooLarge(const QString& fileName, qint64 width, qint64 height) {
    return Exception(QStringLiteral("Zdjęcie w pliku %1 ma %2 × %3 pikseli, więcej, niż program przyjmuje.")
                         .arg(shownName(fileName))
                         .arg(width)
                         .arg(height));
}

// What the markers of a JPEG file say before anything is decoded: the frame's
// size, and whether the data runs up to the end marker (a file cut off in its
// scan would decode with its lower part grey, and such a photo is not taken in).
struct TJpegLayout {
    int width = 0;
    int height = 0;
    bool hasFrame = false;
    bool complete = false;
};

TJpegLayout jpegLayout(const QByteArray& data) {
    TJpegLayout layout;
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 2; // after the start marker
    while (i < n) {
        if (p[i] != 0xFF)
            return layout;
        while (i < n && p[i] == 0xFF) // fill bytes
            ++i;
        if (i >= n)
            return layout;
        const uchar marker = p[i++];
        if (marker == 0xD9) {
            layout.complete = true;
            return layout;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a segment
        if (i + 2 > n)
            return layout;
        const qsizetype length = qsizetype(p[i]) << 8 | p[i + 1];
        if (length < 2 || i + length > n)
            return layout;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 7 && !layout.hasFrame) {
            layout.height = int(p[i + 3]) << 8 | p[i + 4];
            layout.width = int(p[i + 5]) << 8 | p[i + 6];
            layout.hasFrame = true;
        }
        i += length;
        if (marker == 0xDA) {
            // Entropy-coded data: a 0xFF in it is followed by 0 or a restart marker.
            while (i + 1 < n && !(p[i] == 0xFF && p[i + 1] != 0x00 && !(p[i + 1] >= 0xD0 && p[i + 1] <= 0xD7)))
                ++i;
            if (i + 1 >= n)
                return layout;
        }
    }
    return layout;
}

bool looksLikeJpeg(const QByteArray& data) { return data.startsWith("\xFF\xD8\xFF"); }

// The stored size of a picture of the given size: the longer side at most
// kStoredPhotoSide, the other rounded to the nearest pixel.
QSize storedSize(int width, int height) {
    const int longer = std::max(width, height);
    if (longer <= kStoredPhotoSide)
        return {width, height};
    const auto shorter = [&](int side) { return std::max(1, int(qRound64(double(side) * kStoredPhotoSide / longer))); };
    return width >= height ? QSize(kStoredPhotoSide, shorter(height)) : QSize(shorter(width), kStoredPhotoSide);
}

QImage scaledForStorage(const QImage& image, QSize size) {
    return image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QByteArray jpegForStorage(const QByteArray& data, const QString& fileName) {
    const TJpegLayout layout = jpegLayout(data);
    if (!layout.hasFrame || layout.width == 0 || layout.height == 0)
        throw damaged(fileName);
    if (!pictureSizeAllowed(layout.width, layout.height))
        throw tooLarge(fileName, layout.width, layout.height);
    if (!layout.complete)
        throw damaged(fileName);
    const int longer = std::max(layout.width, layout.height);
    // Kept as it is: its markers were walked to the end above, which is what
    // the program needs of it; a fault inside the coded data shows when it is
    // drawn, as for any stored photo, and decoding each of thousands here
    // would cost most of a list's import.
    if (longer <= kStoredPhotoSide)
        return data;
    // The decoder scales by eighths: the smallest that still leaves the stored
    // size to scale down to, so a huge photo never lies in memory whole.
    int eighths = 1;
    while (eighths < 8 && (qint64(longer) * eighths + 7) / 8 < kStoredPhotoSide)
        ++eighths;
    const int decodedSide = int((qint64(longer) * eighths + 7) / 8);
    QImage image;
    try {
        image = decodeJpeg(data, decodedSide);
    } catch (const Exception& error) {
        throw damaged(fileName, error.message());
    }
    // The EXIF orientation may have turned the picture a quarter.
    const bool turned = (image.width() > image.height()) != (layout.width > layout.height);
    const QSize size = turned ? storedSize(layout.height, layout.width) : storedSize(layout.width, layout.height);
    return encodeJpeg(scaledForStorage(image, size), 90);
}

// Qt's readers refuse to allocate more than a set amount; a picture within our
// own limits must not be refused by that, so the amount is raised to what the
// largest allowed picture needs at four bytes a pixel.
void allowLargestPicture() {
    constexpr int kNeededMegabytes = int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;
    const int current = QImageReader::allocationLimit();
    if (current != 0 && current < kNeededMegabytes)
        QImageReader::setAllocationLimit(kNeededMegabytes);
}

QImage onWhite(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

QByteArray otherForStorage(const QByteArray& data, const QString& fileName) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        throw unreadable(fileName);
    const QSize claimed = reader.size();
    if (claimed.isValid() && !pictureSizeAllowed(claimed.width(), claimed.height()))
        throw tooLarge(fileName, claimed.width(), claimed.height());
    allowLargestPicture();
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        if (reader.error() == QImageReader::UnsupportedFormatError)
            throw unreadable(fileName);
        throw damaged(fileName);
    }
    return imageForStorage(image);
}

} // namespace

QByteArray imageForStorage(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage flat = onWhite(image);
    return encodeJpeg(scaledForStorage(flat, storedSize(flat.width(), flat.height())), 90);
}

QByteArray photoForStorage(const QByteArray& fileBytes, const QString& fileName) {
    return looksLikeJpeg(fileBytes) ? jpegForStorage(fileBytes, fileName) : otherForStorage(fileBytes, fileName);
}

QByteArray photoFileForStorage(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        throw Exception(QStringLiteral("Nie ma pliku zdjęcia %1.").arg(shownName(path)));
    if (info.size() > kMaxPhotoFileBytes)
        throw Exception(QStringLiteral("Plik zdjęcia %1 jest za duży: ma ponad %2 MB.")
                            .arg(shownName(path))
                            .arg(kMaxPhotoFileBytes / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Nie można odczytać pliku zdjęcia %1.").arg(shownName(path)));
    // Asked for by the size the file has: asking for the limit makes a buffer
    // of the limit for every photo. One still growing is read on up to the limit.
    const qint64 limit = kMaxPhotoFileBytes + 1;
    qint64 wanted = std::min(file.size() + 1, limit);
    QByteArray bytes = file.read(wanted);
    while (bytes.size() == wanted && wanted < limit && file.error() == QFileDevice::NoError) {
        wanted = std::min(wanted * 2, limit);
        bytes += file.read(wanted - bytes.size());
    }
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Nie można odczytać pliku zdjęcia %1.").arg(shownName(path)));
    if (bytes.size() > kMaxPhotoFileBytes) // grew while being read
        throw Exception(QStringLiteral("Plik zdjęcia %1 jest za duży: ma ponad %2 MB.")
                            .arg(shownName(path))
                            .arg(kMaxPhotoFileBytes / (1024 * 1024)));
    return photoForStorage(bytes, path);
}

} // namespace wendolarka
