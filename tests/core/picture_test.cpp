#include "core/image_codecs.h"
#include "core/picture.h"
#include "support/error_text.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

QImage gradientImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    return image;
}

// The marker codes of a JPEG stream up to the start of scan.
std::vector<int> markers(const QByteArray& jpeg) {
    std::vector<int> found;
    qsizetype i = 2;
    while (i + 4 <= jpeg.size() && static_cast<uchar>(jpeg[i]) == 0xFF) {
        const int code = static_cast<uchar>(jpeg[i + 1]);
        found.push_back(code);
        if (code == 0xDA)
            break;
        i += 2 + qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(jpeg.constData()) + i + 2);
    }
    return found;
}

struct Files : ::testing::Test {
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& data) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(data);
        return path;
    }
};

} // namespace

TEST(ImageCodecs, JpegIsBaselineJfifWithThreeComponentsAndDecodesBack) {
    const QImage source = gradientImage(64, 40);
    const QByteArray jpeg = encodeJpeg(source);
    ASSERT_GT(jpeg.size(), 100);
    EXPECT_EQ(jpeg.left(2), QByteArray("\xFF\xD8", 2));
    EXPECT_EQ(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
    const std::vector<int> found = markers(jpeg);
    EXPECT_NE(std::find(found.begin(), found.end(), 0xC0), found.end()); // baseline frame
    EXPECT_EQ(std::find(found.begin(), found.end(), 0xC2), found.end()); // never progressive
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    EXPECT_EQ(static_cast<uchar>(jpeg[sof + 9]), 3); // components

    const QImage back = decodeJpeg(jpeg);
    ASSERT_EQ(back.size(), source.size());
    int worst = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb a = source.pixel(x, y), b = back.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 12);
}

TEST(ImageCodecs, AStoredPhotoIsHeldNoLargerThanAPassShowsItsBytesWhole) {
    // A photo of 9000 x 600: the decoder takes an eighth that keeps within the bound.
    QImage wide(9000, 600, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    const QByteArray jpeg = encodeJpeg(wide);
    const TPicture stored = TPicture::FromStoredBytes(jpeg);
    EXPECT_LE(std::max(stored.Width(), stored.Height()), kMaxPhotoSide);
    EXPECT_EQ(stored.Width(), 1125); // one eighth
    EXPECT_EQ(stored.Height(), 75);
    EXPECT_EQ(stored.Graphic()->fileData(), jpeg); // stored again as it came
    // Within the bound nothing is scaled; a picture loaded for other use keeps every pixel.
    QImage bound(kMaxPhotoSide, 100, QImage::Format_RGB32);
    bound.fill(Qt::white);
    EXPECT_EQ(TPicture::FromStoredBytes(encodeJpeg(bound)).Width(), kMaxPhotoSide);
    EXPECT_EQ(decodeJpeg(jpeg).width(), 9000);
}

TEST(ImageCodecs, BmpWriterBytes) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(4, 5, 6));
    image.setPixel(0, 1, qRgb(7, 8, 9));
    image.setPixel(1, 1, qRgb(10, 11, 12));
    const QByteArray bmp = encodeBmp24(image);
    ASSERT_EQ(bmp.size(), 14 + 40 + 2 * 8);
    const auto* p = reinterpret_cast<const uchar*>(bmp.constData());
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 2), 70u);
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 10), 54u);
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 14), 40u);
    EXPECT_EQ(qFromLittleEndian<qint32>(p + 18), 2);
    EXPECT_EQ(qFromLittleEndian<qint32>(p + 22), 2); // positive: bottom-up
    EXPECT_EQ(qFromLittleEndian<quint16>(p + 28), 24);
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 30), 0u);
    // First stored row is the bottom one, blue-green-red, padded to 8 bytes.
    EXPECT_EQ(bmp.mid(54, 8), QByteArray("\x09\x08\x07\x0C\x0B\x0A\x00\x00", 8));
    EXPECT_EQ(bmp.mid(62, 8), QByteArray("\x03\x02\x01\x06\x05\x04\x00\x00", 8));
    const auto bitmap = TBitmap::fromFileData(bmp);
    EXPECT_EQ(bitmap->image().pixel(1, 1), qRgb(10, 11, 12));
    EXPECT_EQ(bitmap->fileData(), bmp);
}

TEST_F(Files, PicturesLoadByExtensionAndReportEachFailure) {
    const QByteArray jpeg = encodeJpeg(gradientImage(20, 10));
    const TPicture photo = TPicture::LoadFromFile(write(QStringLiteral("Foto.JPG"), jpeg));
    EXPECT_EQ(photo.Graphic()->ClassName(), QStringLiteral("TJPEGImage"));
    EXPECT_EQ(photo.Width(), 20);
    EXPECT_EQ(photo.Graphic()->fileData(), jpeg); // the original bytes, unchanged
    const QString copy = dir.filePath(QStringLiteral("copy.jpeg"));
    photo.SaveToFile(copy);
    EXPECT_EQ(TPicture::LoadFromFile(copy).Graphic()->fileData(), jpeg);

    const TPicture icon(TIcon::fromImage(gradientImage(32, 32)));
    const QString icoPath = write(QStringLiteral("a.ico"), icon.Graphic()->fileData());
    EXPECT_EQ(TPicture::LoadFromFile(icoPath).Width(), 32);

    EXPECT_EQ(errorOf([&] { TPicture::LoadFromFile(write(QStringLiteral("x.gif"), "GIF89a")); }),
              QStringLiteral("Unknown picture file extension (.gif)"));
    EXPECT_EQ(errorOf([&] { TPicture::LoadFromFile(write(QStringLiteral("noext"), "x")); }),
              QStringLiteral("Unknown picture file extension (.)"));
    const QString missing = dir.filePath(QStringLiteral("missing.bmp"));
    EXPECT_EQ(errorOf([&] { TPicture::LoadFromFile(missing); }),
              QStringLiteral("Cannot open file ") + missing);
    EXPECT_EQ(errorOf([&] { TPicture::LoadFromFile(write(QStringLiteral("bad.bmp"), "BMxxxx")); }),
              QStringLiteral("Bitmap image is not valid"));
    EXPECT_EQ(errorOf([&] { TPicture::LoadFromFile(write(QStringLiteral("bad.ico"), QByteArray("\0\0\1\0\1\0", 6))); }),
              QStringLiteral("Icon image is not valid"));
    EXPECT_EQ(errorOf([&] { TPicture::LoadFromFile(write(QStringLiteral("bad.wmf"), "metafile?")); }),
              QStringLiteral("Metafile is not valid"));
    EXPECT_TRUE(errorOf([&] { TPicture::LoadFromFile(write(QStringLiteral("bad.jpg"), "xx")); })
                    .startsWith(QStringLiteral("JPEG error #")));
    EXPECT_EQ(errorOf([&] { photo.SaveToFile(dir.filePath(QStringLiteral("no/folder/x.jpg"))); }),
              QString::fromUtf8("Nie mogę zapisać pliku %1: nie ma takiego folderu.")
                  .arg(dir.filePath(QStringLiteral("no/folder/x.jpg"))));
}

