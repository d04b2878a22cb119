#include "core/image_codecs.h"
#include "core/picture.h"
#include "support/error_text.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

#include <functional>
#include <random>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// The 16 x 8 test picture: red, lime / blue, white quadrants.
const QRgb kTopLeft = qRgb(255, 0, 0), kTopRight = qRgb(0, 255, 0), kBottomLeft = qRgb(0, 0, 255),
           kBottomRight = qRgb(255, 255, 255);

QRgb uprightAt(int x, int y) { // x < 16, y < 8
    if (y < 4)
        return x < 8 ? kTopLeft : kTopRight;
    return x < 8 ? kBottomLeft : kBottomRight;
}

bool near(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The centre of each quadrant of an upright 16 x 8 picture.
void expectUpright(const QImage& image, const char* what) {
    ASSERT_EQ(image.size(), QSize(16, 8)) << what;
    EXPECT_TRUE(near(image.pixel(3, 1), kTopLeft)) << what;
    EXPECT_TRUE(near(image.pixel(12, 1), kTopRight)) << what;
    EXPECT_TRUE(near(image.pixel(3, 6), kBottomLeft)) << what;
    EXPECT_TRUE(near(image.pixel(12, 6), kBottomRight)) << what;
}

QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// How the camera stored the picture for each EXIF orientation: the stored
// pixel (sx, sy) shows the upright pixel given here.
QImage storedFor(int orientation) {
    const bool swapped = orientation >= 5;
    QImage stored(swapped ? 8 : 16, swapped ? 16 : 8, QImage::Format_RGB32);
    for (int sy = 0; sy < stored.height(); ++sy)
        for (int sx = 0; sx < stored.width(); ++sx) {
            int x = sx, y = sy;
            switch (orientation) {
            case 2: x = 15 - sx; break;
            case 3: x = 15 - sx; y = 7 - sy; break;
            case 4: y = 7 - sy; break;
            case 5: x = sy; y = sx; break;
            case 6: x = 15 - sy; y = sx; break; // row 0 is the right side
            case 7: x = 15 - sy; y = 7 - sx; break;
            case 8: x = sy; y = 7 - sx; break; // row 0 is the left side
            default: break;
            }
            stored.setPixel(sx, sy, uprightAt(x, y));
        }
    return stored;
}

// An APP1 Exif segment holding only the orientation, in either byte order.
QByteArray withOrientation(const QByteArray& jpeg, int orientation, bool bigEndian) {
    QByteArray tiff(8 + 2 + 12 + 4, '\0');
    auto* t = reinterpret_cast<uchar*>(tiff.data());
    const auto put16 = [&](int at, quint16 v) { bigEndian ? qToBigEndian(v, t + at) : qToLittleEndian(v, t + at); };
    const auto put32 = [&](int at, quint32 v) { bigEndian ? qToBigEndian(v, t + at) : qToLittleEndian(v, t + at); };
    t[0] = t[1] = bigEndian ? 'M' : 'I';
    put16(2, 42);
    put32(4, 8);
    put16(8, 1);          // one entry
    put16(10, 0x0112);    // orientation
    put16(12, 3);         // SHORT
    put32(14, 1);
    put16(18, static_cast<quint16>(orientation));
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>((payload.size() + 2) >> 8));
    segment.append(static_cast<char>((payload.size() + 2) & 0xFF));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// Small hand-checked files: an enhanced metafile (header and end-of-file
// records, a 10 x 5 mm frame on a 1920 x 1080 device of 508 x 285 mm), a
// placeable metafile (2 x 1 inches at 1440 units per inch), and the quadrant
// picture as a 24-bit BMP and as an icon.
QByteArray smallEmf() { return fixture("small.emf"); }
QByteArray smallWmf() { return fixture("small.wmf"); }

// Whatever a reader makes of damaged bytes: a picture that can be drawn, or a
// failure with one of the loaders' own messages.
void expectCleanOutcome(const std::function<TPicture()>& read, const char* what, std::size_t round) {
    static const QRegularExpression known(QStringLiteral(
        "^(JPEG error #\\d+: .+|Bitmap image is not valid|Icon image is not valid|Metafile is not valid|"
        "Obraz ma wymiary, jakich nie ma żaden obraz: -?\\d+ × -?\\d+ pikseli\\.)$"));
    try {
        const TPicture picture = read();
        const bool raster = picture.Graphic()->ClassName() != QStringLiteral("TMetafile");
        if (raster) {
            EXPECT_EQ(picture.image().size(), QSize(picture.Width(), picture.Height())) << what << " round " << round;
        }
        EXPECT_FALSE(picture.isEmpty() && raster) << what << " round " << round;
    } catch (const Exception& e) {
        EXPECT_TRUE(known.match(e.message()).hasMatch()) << what << " round " << round << ": " << e.message().toStdString();
    }
}

} // namespace

TEST(Metafile, HeadersAreCheckedAndGiveTheSize) {
    // Placeable: 2 x 1 inches at 1440 units per inch.
    QByteArray wmf = smallWmf();
    const auto meta = TMetafile::fromFileData(wmf);
    EXPECT_EQ(meta->size(), QSize(192, 96));
    EXPECT_FALSE(meta->Enhanced());
    wmf[20] = static_cast<char>(wmf[20] ^ 1); // checksum
    EXPECT_THROW(TMetafile::fromFileData(wmf), Exception);

    // Enhanced: a 10 x 5 mm frame on a 1920 x 1080 device of 508 x 285 mm.
    const QByteArray emf = smallEmf();
    const auto enhanced = TMetafile::fromFileData(emf);
    EXPECT_TRUE(enhanced->Enhanced());
    EXPECT_EQ(enhanced->size(), QSize(37, 18));
    for (qsizetype cut = 0; cut < 88; ++cut)
        EXPECT_THROW(TMetafile::fromFileData(emf.left(cut)), Exception);
}

TEST(PhotoForms, CmykGreyProgressiveAndArithmeticJpegsDecode) {
    expectUpright(TPicture::FromStoredBytes(fixture("small.bmp")).image(), "BMP");
    expectUpright(TPicture::FromStoredBytes(fixture("small.ico")).image(), "icon");
    expectUpright(decodeJpeg(fixture("progressive.jpg")), "progressive");
    expectUpright(decodeJpeg(fixture("arithmetic.jpg")), "arithmetic");
    // Adobe's inverted CMYK, as print and scanning workflows write it.
    expectUpright(decodeJpeg(fixture("cmyk.jpg")), "CMYK");
    const QImage grey = decodeJpeg(fixture("grey.jpg"));
    ASSERT_EQ(grey.size(), QSize(16, 8));
    const QRgb darkest = grey.pixel(3, 6), brightest = grey.pixel(12, 6);
    EXPECT_EQ(qRed(brightest), qGreen(brightest));
    EXPECT_EQ(qRed(brightest), qBlue(brightest));
    EXPECT_LT(qRed(darkest), 60);   // blue is dark in grey
    EXPECT_GT(qRed(brightest), 240); // white stays white
}

TEST(PhotoForms, ExifOrientationTurnsThePictureUprightWithoutTouchingTheBytes) {
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (bool bigEndian : {false, true}) {
            const QByteArray jpeg = withOrientation(encodeJpeg(storedFor(orientation), 95), orientation, bigEndian);
            const std::string what = "orientation " + std::to_string(orientation) + (bigEndian ? " MM" : " II");
            expectUpright(decodeJpeg(jpeg), what.c_str());
            const auto photo = TJPEGImage::fromFileData(jpeg);
            EXPECT_EQ(photo->fileData(), jpeg); // stored bytes stay as they are
        }
    // A damaged or foreign orientation block changes nothing.
    EXPECT_EQ(exifOrientation(QByteArray("II*")), 1);
    EXPECT_EQ(exifOrientation(QByteArray("XX\0*\0\0\0\x08", 8)), 1);
    QByteArray runaway("II*\0\x08\0\0\0\xFF\xFF", 10); // 65535 entries, none there
    EXPECT_EQ(exifOrientation(runaway), 1);
}

TEST(PhotoForms, DecoderErrorsReadAsTextAndHostileSizesAreRefused) {
    const QString notJpeg = errorOf([] { decodeJpeg(QByteArray("not a jpeg")); });
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^JPEG error #\\d+: Not a JPEG file")).match(notJpeg).hasMatch())
        << notJpeg.toStdString();

    // A valid file whose frame header claims 60000 x 60000 pixels.
    QByteArray huge = encodeJpeg(storedFor(1));
    const qsizetype sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    auto* h = reinterpret_cast<uchar*>(huge.data()) + sof;
    qToBigEndian<quint16>(60000, h + 5);
    qToBigEndian<quint16>(60000, h + 7);
    EXPECT_EQ(errorOf([&] { decodeJpeg(huge); }),
              QStringLiteral("Obraz ma wymiary, jakich nie ma żaden obraz: 60000 × 60000 pikseli."));

    // Extreme metafile frames are computed wide and refused, never wrapped.
    QByteArray emf = smallEmf();
    auto* e = reinterpret_cast<uchar*>(emf.data());
    qToLittleEndian<qint32>(std::numeric_limits<qint32>::min(), e + 24);
    qToLittleEndian<qint32>(std::numeric_limits<qint32>::max(), e + 32);
    qToLittleEndian<qint32>(std::numeric_limits<qint32>::max(), e + 72);
    qToLittleEndian<qint32>(1, e + 80);
    EXPECT_TRUE(errorOf([&] { TMetafile::fromFileData(emf); }).startsWith(QStringLiteral("Obraz ma wymiary")));
    qToLittleEndian<qint32>(std::numeric_limits<qint32>::min(), e + 72);
    EXPECT_TRUE(errorOf([&] { TMetafile::fromFileData(emf); }).startsWith(QStringLiteral("Obraz ma wymiary")));
}

TEST(PhotoForms, DamagedJpegsFailWithTheirMessageOrDecodeToTheirSize) {
    for (const QByteArray& jpeg : {encodeJpeg(storedFor(1)), fixture("cmyk.jpg"), fixture("progressive.jpg")}) {
        for (qsizetype cut = 0; cut < jpeg.size(); ++cut) {
            try {
                // A cut-off scan may still decode, padded by the decoder.
                const QImage image = decodeJpeg(jpeg.left(cut));
                EXPECT_EQ(image.size(), QSize(16, 8)) << "cut at " << cut;
            } catch (const Exception& e) {
                EXPECT_TRUE(QRegularExpression(QStringLiteral("^JPEG error #\\d+: .+")).match(e.message()).hasMatch())
                    << e.message().toStdString();
            }
        }
        for (qsizetype i = 0; i < jpeg.size(); ++i) {
            QByteArray flipped = jpeg;
            flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
            expectCleanOutcome([&] { return TPicture(TJPEGImage::fromFileData(flipped)); }, "JPEG flip",
                               static_cast<std::size_t>(i));
        }
    }
}

// Random damage to a small file of each format: every reader fails with a
// message or gives a picture of a real size. Run under the sanitizers in CI.
TEST(PhotoForms, MutatedPicturesOfEveryFormatFailCleanly) {
    struct Format {
        const char* name;
        QByteArray bytes;
        std::function<TPicture(const QByteArray&)> read;
    };
    const std::vector<Format> formats = {
        {"JPEG", encodeJpeg(storedFor(6)), [](const QByteArray& d) { return TPicture(TJPEGImage::fromFileData(d)); }},
        {"BMP", fixture("small.bmp"), [](const QByteArray& d) { return TPicture(TBitmap::fromFileData(d)); }},
        {"ICO", fixture("small.ico"), [](const QByteArray& d) { return TPicture(TIcon::fromFileData(d)); }},
        {"EMF", smallEmf(), [](const QByteArray& d) { return TPicture(TMetafile::fromFileData(d)); }},
        {"WMF", smallWmf(), [](const QByteArray& d) { return TPicture(TMetafile::fromFileData(d)); }},
    };
    std::mt19937 random(20261208);
    for (const Format& format : formats) {
        ASSERT_FALSE(format.bytes.isEmpty()) << format.name;
        EXPECT_NO_THROW(format.read(format.bytes)) << format.name;
        for (std::size_t round = 0; round < 1500; ++round) {
            QByteArray damaged = format.bytes;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < changes; ++k) {
                const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(damaged.size()));
                // Header fields are where sizes live: favour extreme values.
                static constexpr char kExtremes[] = {'\x00', '\x7F', '\x80', '\xFF'};
                damaged[at] = (random() % 2) ? kExtremes[random() % 4] : static_cast<char>(random());
            }
            expectCleanOutcome([&] { return format.read(damaged); }, format.name, round);
        }
    }
}
