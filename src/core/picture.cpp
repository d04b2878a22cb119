#include "picture.h"

#include "safe_file.h"

#include "arithmetic.h"

#include "image_codecs.h"
#include "metafile_player.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <cstdlib>

namespace wendolarka {
namespace {

QImage readWithQt(const QByteArray& data, const char* format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

template <typename T>
T readLE(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<T>(reinterpret_cast<const uchar*>(data.constData()) + offset);
}

} // namespace

std::unique_ptr<TBitmap> TBitmap::fromFileData(const QByteArray& bmp) {
    QImage image;
    if (bmp.startsWith("BM"))
        image = readWithQt(bmp, "BMP");
    if (image.isNull())
        throw Exception(QStringLiteral("Bitmap image is not valid"));
    if (!pictureSizeAllowed(image.width(), image.height()))
        throw pictureSizeError(image.width(), image.height());
    auto bitmap = std::make_unique<TBitmap>(std::move(image));
    bitmap->m_data = bmp;
    return bitmap;
}

QByteArray TBitmap::fileData() const {
    if (!m_data.isEmpty())
        return m_data;
    return m_image.isNull() ? QByteArray() : encodeBmp24(m_image);
}

std::unique_ptr<TJPEGImage> TJPEGImage::fromFileData(const QByteArray& jpeg, int maxSide) {
    auto picture = std::make_unique<TJPEGImage>();
    picture->m_image = decodeJpeg(jpeg, maxSide);
    picture->m_data = jpeg;
    return picture;
}

std::unique_ptr<TJPEGImage> TJPEGImage::fromImage(const QImage& image, int quality) {
    auto picture = std::make_unique<TJPEGImage>();
    picture->m_data = encodeJpeg(image, quality);
    picture->m_image = decodeJpeg(picture->m_data);
    return picture;
}

std::unique_ptr<TIcon> TIcon::fromFileData(const QByteArray& ico) {
    // An icon directory: reserved 0, type 1, at least one entry.
    QImage image;
    if (ico.size() >= 6 && readLE<quint16>(ico, 0) == 0 && readLE<quint16>(ico, 2) == 1 &&
        readLE<quint16>(ico, 4) > 0)
        image = readWithQt(ico, "ICO");
    if (image.isNull())
        throw Exception(QStringLiteral("Icon image is not valid"));
    if (!pictureSizeAllowed(image.width(), image.height()))
        throw pictureSizeError(image.width(), image.height());
    auto icon = std::make_unique<TIcon>();
    icon->m_data = ico;
    icon->m_image = std::move(image);
    return icon;
}

std::unique_ptr<TIcon> TIcon::fromImage(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ICO");
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32)))
        throw Exception(QStringLiteral("Icon image is not valid"));
    return fromFileData(buffer.data());
}

std::unique_ptr<TMetafile> TMetafile::fromFileData(const QByteArray& data) {
    auto meta = std::make_unique<TMetafile>();
    meta->m_data = data;
    // Enhanced: the header record (type 1) carries " EMF" at byte 40 and the
    // frame in hundredths of a millimetre at byte 24.
    if (data.size() >= 88 && readLE<quint32>(data, 0) == 1 && data.mid(40, 4) == " EMF") {
        const qint32 left = readLE<qint32>(data, 24), top = readLE<qint32>(data, 28);
        const qint32 right = readLE<qint32>(data, 32), bottom = readLE<qint32>(data, 36);
        const qint32 devWidth = readLE<qint32>(data, 72), devHeight = readLE<qint32>(data, 76);
        const qint32 mmWidth = readLE<qint32>(data, 80), mmHeight = readLE<qint32>(data, 84);
        if (mmWidth > 0 && mmHeight > 0) {
            // Wide enough for any header a file may claim; an inverted frame has its size too.
            const qint64 width =
                std::abs((static_cast<qint64>(right) - left) * devWidth / (static_cast<qint64>(mmWidth) * 100));
            const qint64 height =
                std::abs((static_cast<qint64>(bottom) - top) * devHeight / (static_cast<qint64>(mmHeight) * 100));
            if (!pictureSizeAllowed(width, height))
                throw pictureSizeError(width, height);
            meta->m_size = QSize(static_cast<int>(width), static_cast<int>(height));
            meta->m_enhanced = true;
            return meta;
        }
    }
    // Placeable: key, handle 0, bounding box, units per inch, reserved, checksum.
    if (data.size() >= 22 + 18 && readLE<quint32>(data, 0) == 0x9AC6CDD7u) {
        quint16 checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= readLE<quint16>(data, i * 2);
        // A picture without units per inch counts 96, as it is written.
        const quint16 inch = readLE<quint16>(data, 14) ? readLE<quint16>(data, 14) : 96;
        if (checksum == readLE<quint16>(data, 20)) {
            const qint64 w = static_cast<qint64>(readLE<qint16>(data, 10)) - readLE<qint16>(data, 6);
            const qint64 h = static_cast<qint64>(readLE<qint16>(data, 12)) - readLE<qint16>(data, 8);
            // Files drawn with the y axis upwards store the box upside down.
            const qint64 width = std::abs(w) * 96 / inch, height = std::abs(h) * 96 / inch;
            if (!pictureSizeAllowed(width, height))
                throw pictureSizeError(width, height);
            meta->m_size = QSize(static_cast<int>(width), static_cast<int>(height));
            return meta;
        }
    }
    throw Exception(QStringLiteral("Metafile is not valid"));
}

QImage TMetafile::image() const {
    if (!m_isPlayed) {
        m_played = renderMetafile(m_data, m_size);
        m_isPlayed = true;
    }
    return m_played;
}

TPicture& TPicture::operator=(const TPicture& other) {
    if (this != &other)
        m_graphic = other.m_graphic ? other.m_graphic->clone() : nullptr;
    return *this;
}

TPicture TPicture::LoadFromFile(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    const QString ext = extension.toLower();
    const bool known = ext == u"bmp" || ext == u"ico" || ext == u"emf" || ext == u"wmf" ||
                       ext == u"jpg" || ext == u"jpeg";
    if (!known)
        throw Exception(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file %1").arg(fileName));
    const QByteArray data = file.readAll();
    if (ext == u"bmp")
        return TPicture(TBitmap::fromFileData(data));
    if (ext == u"ico")
        return TPicture(TIcon::fromFileData(data));
    if (ext == u"emf" || ext == u"wmf")
        return TPicture(TMetafile::fromFileData(data));
    return TPicture(TJPEGImage::fromFileData(data));
}

TPicture TPicture::FromStoredBytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    if (bytes.startsWith("\xFF\xD8")) // held no larger than any pass shows it; the stored bytes stay as they are
        return TPicture(TJPEGImage::fromFileData(bytes, kMaxPhotoSide));
    if (bytes.startsWith("BM"))
        return TPicture(TBitmap::fromFileData(bytes));
    if (bytes.startsWith(QByteArray("\0\0\1\0", 4)))
        return TPicture(TIcon::fromFileData(bytes));
    if (bytes.startsWith(QByteArray("\x01\0\0\0", 4)) || bytes.startsWith("\xD7\xCD\xC6\x9A"))
        return TPicture(TMetafile::fromFileData(bytes));
    throw Exception(QStringLiteral("Zapisane dane nie są obrazem w żadnym ze znanych formatów."));
}

namespace {

QByteArray withLength(const QByteArray& data, quint32 extra = 0) {
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(static_cast<quint32>(data.size()) + extra, reinterpret_cast<uchar*>(out.data()));
    return out + data;
}

[[noreturn]] void invalidPictureData() { throw Exception(QStringLiteral("Picture data is not valid")); }

// A placeable metafile as a template carries it: the bounding box at 0, 0 with
// its size passed through hundredths of a millimetre at the file's units per
// inch (96 when it has none), handle and reserved words 0, a fresh checksum;
// the records as they came.
QByteArray placeableForStream(const QByteArray& wmf) {
    const int inch = readLE<quint16>(wmf, 14) ? readLE<quint16>(wmf, 14) : 96;
    const auto extent = [&wmf, inch](qsizetype from, qsizetype to) {
        const qint32 units = static_cast<qint32>(readLE<qint16>(wmf, to)) - readLE<qint16>(wmf, from);
        return MulDiv(MulDiv(units, 2540, inch), inch, 2540);
    };
    const qint32 width = extent(6, 10), height = extent(8, 12);
    // A box wider than a 16-bit number reaches from 0 keeps the place it had.
    const auto fits = [](qint32 v) { return v >= INT16_MIN && v <= INT16_MAX; };
    if (!fits(width) || !fits(height))
        return wmf;
    QByteArray out = wmf;
    auto* p = reinterpret_cast<uchar*>(out.data());
    qToLittleEndian<quint16>(0, p + 4);
    qToLittleEndian<qint16>(0, p + 6);
    qToLittleEndian<qint16>(0, p + 8);
    qToLittleEndian<qint16>(static_cast<qint16>(width), p + 10);
    qToLittleEndian<qint16>(static_cast<qint16>(height), p + 12);
    qToLittleEndian<quint16>(static_cast<quint16>(inch), p + 14);
    qToLittleEndian<quint32>(0, p + 16);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= readLE<quint16>(out, i * 2);
    qToLittleEndian<quint16>(checksum, p + 20);
    return out;
}

} // namespace

QByteArray pictureToStreamData(const TPicture& picture) {
    const TGraphic* graphic = picture.Graphic();
    if (!graphic || graphic->Empty())
        return {};
    const QByteArray className = graphic->ClassName().toLatin1();
    QByteArray out;
    out.append(static_cast<char>(className.size()));
    out.append(className);
    const QByteArray data = graphic->fileData();
    if (className == "TIcon")
        return out + data;
    if (className == "TMetafile") {
        const bool enhanced = static_cast<const TMetafile*>(graphic)->Enhanced();
        return out + withLength(enhanced ? data : placeableForStream(data), 4); // the length counts itself
    }
    return out + withLength(data);
}

TPicture pictureFromStreamData(const QByteArray& data) {
    if (data.isEmpty())
        return {};
    const qsizetype nameLength = static_cast<uchar>(data[0]);
    if (1 + nameLength > data.size())
        invalidPictureData();
    const QByteArray className = data.mid(1, nameLength);
    const QByteArray rest = data.mid(1 + nameLength);
    if (className == "TIcon")
        return TPicture(TIcon::fromFileData(rest));
    const bool known = className == "TBitmap" || className == "TJPEGImage" || className == "TMetafile";
    if (!known)
        return {}; // a picture class this program does not know
    if (rest.size() < 4)
        invalidPictureData();
    const quint32 length = qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(rest.constData()));
    if (className == "TMetafile") {
        if (length <= 4)
            return {};
        if (length > static_cast<quint64>(rest.size()))
            invalidPictureData();
        return TPicture(TMetafile::fromFileData(rest.mid(4, length - 4)));
    }
    if (length > static_cast<quint64>(rest.size() - 4))
        invalidPictureData();
    const QByteArray bytes = rest.mid(4, length);
    if (className == "TBitmap")
        return TPicture(TBitmap::fromFileData(bytes));
    return TPicture(TJPEGImage::fromFileData(bytes));
}

void writeFileOrThrow(const QString& fileName, const QByteArray& data) { writeFileSafely(fileName, data); }

void TPicture::SaveToFile(const QString& fileName) const {
    writeFileOrThrow(fileName, m_graphic ? m_graphic->fileData() : QByteArray());
}

} // namespace wendolarka
