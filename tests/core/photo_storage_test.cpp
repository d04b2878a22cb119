#include "core/photo_storage.h"

#include "core/image_codecs.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// An APP1 "Exif" segment holding only the orientation, put after the JFIF header.
QByteArray withOrientation(const QByteArray& jpeg, int orientation) {
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    tiff += QByteArray("\0\x01", 2);                                     // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);                   // orientation, SHORT, one
    tiff += char(0) + QByteArray(1, char(orientation)) + QByteArray(2, '\0');
    tiff += QByteArray(4, '\0'); // no next directory
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    const quint16 length = quint16(payload.size() + 2);
    segment += char(length >> 8) + QByteArray(1, char(length & 0xFF)) + payload;
    const int app0End = 4 + (uchar(jpeg[4]) << 8 | uchar(jpeg[5]));
    return jpeg.left(app0End) + segment + jpeg.mid(app0End);
}

// Left part blue, right part green, a red square in the top left corner.
QImage sample(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height, Qt::blue);
    painter.fillRect(width / 2, 0, width - width / 2, height, Qt::green);
    painter.fillRect(0, 0, width / 6, width / 6, Qt::red);
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

bool near(QRgb pixel, QColor expected) {
    return std::abs(qRed(pixel) - expected.red()) < 40 && std::abs(qGreen(pixel) - expected.green()) < 40 &&
           std::abs(qBlue(pixel) - expected.blue()) < 40;
}

std::string messageOf(const QByteArray& bytes, const QString& fileName) {
    try {
        photoForStorage(bytes, fileName);
    } catch (const Exception& error) {
        return error.message().toStdString();
    }
    return "(accepted)";
}

} // namespace

TEST(PhotoStorage, ASmallJpegIsKeptByteForByteEvenWithItsOrientation) {
    const QByteArray plain = encodeJpeg(sample(1024, 700), 75);
    EXPECT_EQ(photoForStorage(plain, QStringLiteral("a.jpg")), plain);
    const QByteArray turned = withOrientation(encodeJpeg(sample(300, 1024), 75), 6);
    ASSERT_EQ(decodeJpeg(turned).size(), QSize(1024, 300)); // the segment is read as meant
    EXPECT_EQ(photoForStorage(turned, QStringLiteral("b.jpg")), turned);
}

TEST(PhotoStorage, ALargeJpegIsScaledToTheStoredSide) {
    const QByteArray large = encodeJpeg(sample(3000, 2000), 90);
    const QImage stored = decodeJpeg(photoForStorage(large, QStringLiteral("duże.jpg")));
    EXPECT_EQ(stored.size(), QSize(1024, 683));
    EXPECT_TRUE(near(stored.pixel(60, 60), Qt::red));
    EXPECT_TRUE(near(stored.pixel(300, 500), Qt::blue));
    EXPECT_TRUE(near(stored.pixel(900, 500), Qt::green));
    // Just above the side, where the decoder cannot scale by an eighth.
    EXPECT_EQ(decodeJpeg(photoForStorage(encodeJpeg(sample(1025, 40)), QStringLiteral("c.jpg"))).size(),
              QSize(1024, 40));
}

TEST(PhotoStorage, TheOrientationIsAppliedOnceWhenAJpegIsEncodedAgain) {
    // Stored lying down (1200 x 800) with orientation 6: seen standing, the
    // stored top left corner at the top right.
    const QByteArray lying = withOrientation(encodeJpeg(sample(1200, 800), 90), 6);
    const QImage stored = decodeJpeg(photoForStorage(lying, QStringLiteral("d.jpg")));
    ASSERT_EQ(stored.size(), QSize(683, 1024));
    EXPECT_TRUE(near(stored.pixel(640, 60), Qt::red));
    EXPECT_FALSE(near(stored.pixel(40, 60), Qt::red));
    EXPECT_TRUE(near(stored.pixel(340, 200), Qt::blue));
    EXPECT_TRUE(near(stored.pixel(340, 900), Qt::green));
}

TEST(PhotoStorage, OtherPicturesBecomeJpegsLaidOnWhite) {
    QImage alpha(40, 20, QImage::Format_ARGB32);
    alpha.fill(Qt::transparent);
    QPainter(&alpha).fillRect(20, 0, 20, 20, Qt::red);
    const QImage fromPng = decodeJpeg(photoForStorage(encoded(alpha, "PNG"), QStringLiteral("e.png")));
    ASSERT_EQ(fromPng.size(), QSize(40, 20));
    EXPECT_TRUE(near(fromPng.pixel(5, 10), Qt::white));
    EXPECT_TRUE(near(fromPng.pixel(35, 10), Qt::red));

    const QByteArray stored = photoForStorage(encodeBmp24(sample(2048, 1000)), QStringLiteral("f.bmp"));
    EXPECT_TRUE(stored.startsWith("\xFF\xD8\xFF"));
    const QImage fromBmp = decodeJpeg(stored);
    EXPECT_EQ(fromBmp.size(), QSize(1024, 500));
    EXPECT_TRUE(near(fromBmp.pixel(200, 300), Qt::blue));
}

TEST(PhotoStorage, WhatIsNoPictureIsRefusedNamingTheFile) {
    const std::string unreadable = "Plik zdjęcia x/zły.jpg nie jest obrazem, który program umie odczytać.";
    EXPECT_EQ(messageOf("to nie jest obraz", QStringLiteral("x/zły.jpg")), unreadable);
    EXPECT_EQ(messageOf(QByteArray(), QStringLiteral("x/zły.jpg")), unreadable);
    EXPECT_EQ(messageOf(QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\0", 11) + QByteArray(50, 'x'),
                        QStringLiteral("g.jpg")),
              "Plik zdjęcia g.jpg jest uszkodzony albo niepełny.");
}

TEST(PhotoStorage, APictureCutOffAnywhereIsRefused) {
    const QByteArray jpeg = encodeJpeg(sample(64, 48), 90);
    const QByteArray png = encoded(sample(64, 48), "PNG");
    // The readers' complaints are expected here.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    for (qsizetype length = 0; length < jpeg.size() - 1; ++length)
        EXPECT_NE(messageOf(jpeg.left(length), QStringLiteral("h")), "(accepted)") << "jpeg " << length;
    // A PNG's last twelve bytes are its end chunk, which holds no picture.
    for (qsizetype length = 0; length < png.size() - 12; ++length)
        EXPECT_NE(messageOf(png.left(length), QStringLiteral("h")), "(accepted)") << "png " << length;
    qInstallMessageHandler(previous);
}

TEST(PhotoStorage, SizesNoPictureHasAreRefusedBeforeDecoding) {
    QByteArray jpeg = encodeJpeg(sample(16, 16), 90);
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    qToBigEndian<quint16>(60000, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(60000, jpeg.data() + frame + 7);
    EXPECT_EQ(messageOf(jpeg, QStringLiteral("i.jpg")),
              "Zdjęcie w pliku i.jpg ma 60000 × 60000 pikseli, więcej, niż program przyjmuje.");

    QByteArray bmp = encodeBmp24(sample(16, 16));
    qToLittleEndian<qint32>(12000, bmp.data() + 18);
    qToLittleEndian<qint32>(12000, bmp.data() + 22);
    EXPECT_EQ(messageOf(bmp, QStringLiteral("j.bmp")),
              "Zdjęcie w pliku j.bmp ma 12000 × 12000 pikseli, więcej, niż program przyjmuje.");
}

TEST(PhotoStorage, AFileIsReadOrItsAbsenceNamed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("k.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray png = encoded(sample(30, 10), "PNG");
    file.write(png);
    file.close();
    EXPECT_EQ(photoFileForStorage(path), photoForStorage(png, path));
    try {
        photoFileForStorage(dir.filePath(QStringLiteral("brak.png")));
        FAIL() << "a missing file must be refused";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Nie ma pliku zdjęcia %1.").arg(dir.filePath(QStringLiteral("brak.png"))));
    }
}
