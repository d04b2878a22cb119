#include "photo_storage.h"

#include "image_codecs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
            // Only the 0xFF bytes need a look, found a word at a time.
            for (;;) {
                const void* ff = i < n ? std::memchr(p + i, 0xFF, std::size_t(n - i)) : nullptr;
                if (!ff)
                    return layout;
                i = static_cast<const uchar*>(ff) - p;
                if (i + 1 >= n)
                    return layout;
                const uchar next = p[i + 1];
                if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                    break;
                i += 2;
            }
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
    const auto missing = [&] { return Exception(QStringLiteral("Nie ma pliku zdjęcia %1.").arg(shownName(path))); };
    const auto unreadableFile = [&] {
        return Exception(QStringLiteral("Nie można odczytać pliku zdjęcia %1.").arg(shownName(path)));
    };
    const auto oversized = [&] {
        return Exception(QStringLiteral("Plik zdjęcia %1 jest za duży: ma ponad %2 MB.")
                             .arg(shownName(path))
                             .arg(kMaxPhotoFileBytes / (1024 * 1024)));
    };
    // One open, one fstat and a read or two: a list brings thousands of photos.
    // Non-blocking, so a named pipe with no writer cannot hang the program.
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        struct stat info {};
        if (::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode))
            throw unreadableFile();
        throw missing();
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw unreadableFile();
    if (!S_ISREG(info.st_mode))
        throw missing();
    if (info.st_size > kMaxPhotoFileBytes)
        throw oversized();
    // Sized by the file: asking for the limit would make a buffer of the limit
    // for every photo. One still growing is read on up to the limit.
    const qsizetype limit = qsizetype(kMaxPhotoFileBytes) + 1;
    QByteArray bytes(std::min(qsizetype(info.st_size) + 1, limit), Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used >= limit)
                throw oversized(); // grew while being read
            bytes.resize(std::min(used * 2, limit));
        }
        const ssize_t got = ::read(fd, bytes.data() + used, std::size_t(bytes.size() - used));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw unreadableFile();
        }
        if (got == 0)
            break;
        used += got;
    }
    bytes.truncate(used);
    return photoForStorage(bytes, path);
}

} // namespace wendolarka
