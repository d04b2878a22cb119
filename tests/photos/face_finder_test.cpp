#include "photos/face_finder.h"
#include "photos/photo_edit.h"

#include "core/image_codecs.h"

#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

using namespace wendolarka;
using namespace wendolarka::photos;

namespace {

// Debian's opencv-doc ships a photograph of one footballer; it is read from
// there, not kept with the tests.
const QString kPhotoFolder = QStringLiteral("/usr/share/doc/opencv-doc/examples/data/");

// Where the footballer's face is in messi5.jpg (548 x 342), seen by eye: hairline
// to chin, ear to ear; and the rows of the top of his hair, his eyes and his chin.
const QRectF kMessiFace(222, 90, 44, 44);
constexpr double kMessiCrown = 62, kMessiEyes = 107.5, kMessiChin = 131;

QImage photo(const QString& name) {
    QFile file(kPhotoFolder + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

#define REQUIRE_FACE_FINDER()                                                                          \
    if (!faceFinderAvailable())                                                                       \
    GTEST_SKIP() << "faces cannot be found here: built without OpenCV or no cascade of opencv-data found"

#define REQUIRE_PHOTO(image, name)                                                                     \
    const QImage image = photo(name);                                                                 \
    if (image.isNull())                                                                               \
    GTEST_SKIP() << "no " << qPrintable(kPhotoFolder + name) << ": install opencv-doc"

::testing::AssertionResult isTheFace(const QRectF& found, const QRectF& face) {
    const QPointF offset = found.center() - face.center();
    if (std::abs(offset.x()) > face.width() / 3 || std::abs(offset.y()) > face.height() / 3 ||
        found.height() < face.height() * 0.6 || found.height() > face.height() * 1.5)
        return ::testing::AssertionFailure() << "found " << found.x() << ',' << found.y() << ' ' << found.width()
                                             << 'x' << found.height();
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(FaceFinder, FindsTheOneFaceOfAPhotograph) {
    REQUIRE_FACE_FINDER();
    REQUIRE_PHOTO(messi, "messi5.jpg");
    const std::vector<QRectF> found = faces(messi);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(isTheFace(found.front(), kMessiFace));
    ASSERT_TRUE(largestFace(messi));
    EXPECT_EQ(*largestFace(messi), found.front());

    // The first crop frame around it: the whole face inside, in the pass photo's proportions.
    const double aspect = 48.0 / 60.0;
    const QRectF frame = startFrame(messi.size(), aspect, found.front());
    EXPECT_TRUE(frame.contains(found.front()));
    EXPECT_TRUE(frame.contains(kMessiFace));
    EXPECT_NEAR(frame.width() / frame.height(), aspect, 1e-9);
    EXPECT_TRUE(QRectF(0, 0, messi.width(), messi.height()).contains(frame));
    EXPECT_LT(frame.height(), messi.height()) << "a frame about the head, not the whole picture";
    // As passport photos: the head with its hair about 70 % of the frame's height,
    // the eyes a little above the middle, the crown inside.
    EXPECT_NEAR((kMessiChin - kMessiCrown) / frame.height(), 0.70, 0.04);
    const double eyes = (kMessiEyes - frame.top()) / frame.height();
    EXPECT_GT(eyes, 0.4);
    EXPECT_LT(eyes, 0.49);
    EXPECT_LT(frame.top(), kMessiCrown + 2);
}

TEST(FaceFinder, FindsTheFaceMirroredAndStretched) {
    REQUIRE_FACE_FINDER();
    REQUIRE_PHOTO(messi, "messi5.jpg");
    const QImage mirrored = messi.mirrored(true, false);
    const QRectF mirroredFace(messi.width() - kMessiFace.right(), kMessiFace.y(), kMessiFace.width(), kMessiFace.height());
    ASSERT_TRUE(largestFace(mirrored));
    EXPECT_TRUE(isTheFace(*largestFace(mirrored), mirroredFace));
    // A photo stored at other proportions than it was taken: a quarter wider or taller.
    for (const QSizeF stretch : {QSizeF(1.25, 1), QSizeF(1, 1.25)}) {
        for (const auto& [picture, face] : {std::pair(messi, kMessiFace), std::pair(mirrored, mirroredFace)}) {
            const QImage stretched = picture.scaled(int(picture.width() * stretch.width()),
                                                    int(picture.height() * stretch.height()), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation);
            const std::optional<QRectF> found = largestFace(stretched);
            ASSERT_TRUE(found) << stretch.width() << 'x' << stretch.height();
            EXPECT_NEAR(found->center().x(), face.center().x() * stretch.width(), face.width() / 3);
            EXPECT_NEAR(found->center().y(), face.center().y() * stretch.height(), face.height() / 2);
        }
    }
}

TEST(FaceFinder, FindsTheFaceAtAnySizeAndInOtherPictureFormats) {
    REQUIRE_FACE_FINDER();
    REQUIRE_PHOTO(messi, "messi5.jpg");
    // A camera's picture, three times as large: searched at a smaller scale, answered in its pixels.
    const QImage large = messi.scaled(messi.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::optional<QRectF> inLarge = largestFace(large);
    ASSERT_TRUE(inLarge);
    EXPECT_TRUE(isTheFace(*inLarge, QRectF(kMessiFace.topLeft() * 3, kMessiFace.size() * 3)));
    // Laid, four times as large, in a picture away from its middle, before a
    // green wall and before a skin-coloured one (skin all over the picture).
    const QImage larger = messi.scaled(messi.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect part(600, 200, 900, 800);
    const QPoint at(650, 380);
    for (const QColor wall : {QColor(90, 110, 80), QColor(224, 172, 140)}) {
        QImage placed(1600, 1200, QImage::Format_RGB32);
        placed.fill(wall);
        QPainter(&placed).drawImage(at, larger.copy(part));
        const std::optional<QRectF> inPlaced = largestFace(placed);
        ASSERT_TRUE(inPlaced) << qPrintable(wall.name());
        EXPECT_TRUE(
            isTheFace(*inPlaced, QRectF(kMessiFace.topLeft() * 4 - part.topLeft() + at, kMessiFace.size() * 4)));
    }
    // Too small for a pass photo there: a tenth of the picture is the least looked for.
    QImage distant(1600, 1200, QImage::Format_RGB32);
    distant.fill(QColor(90, 110, 80));
    QPainter(&distant).drawImage(900, 700, messi);
    EXPECT_FALSE(largestFace(distant));
    // Other pixel formats read the same picture.
    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_ARGB32_Premultiplied}) {
        const std::optional<QRectF> face = largestFace(messi.convertToFormat(format));
        ASSERT_TRUE(face) << format;
        EXPECT_TRUE(isTheFace(*face, kMessiFace));
    }
    // In colour a face is skin-coloured: with red and blue swapped it is none.
    EXPECT_TRUE(faces(messi.rgbSwapped()).empty());
    // A greyscale photo has no colour to tell skin by; its face is still found.
    const std::vector<QRectF> inGrey = faces(messi.convertToFormat(QImage::Format_Grayscale8));
    EXPECT_TRUE(std::any_of(inGrey.begin(), inGrey.end(), [](const QRectF& f) { return isTheFace(f, kMessiFace); }));
}

TEST(FaceFinder, PicturesWithoutAFaceHaveNone) {
    REQUIRE_FACE_FINDER();
    QImage plain(800, 600, QImage::Format_RGB32);
    plain.fill(QColor(224, 172, 140)); // skin-coloured, yet no face
    EXPECT_TRUE(faces(plain).empty());

    QImage noisy(800, 600, QImage::Format_RGB32);
    std::mt19937 random(3);
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, random() | 0xFF000000u);
    EXPECT_TRUE(faces(noisy).empty());

    QImage gradient(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y)
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 1199, y * 255 / 899, 128));
    EXPECT_TRUE(faces(gradient).empty());

    EXPECT_FALSE(largestFace(QImage()));
    EXPECT_FALSE(largestFace(QImage(3, 2, QImage::Format_RGB32)));

    // Photographs of things: fruit and a building.
    for (const char* name : {"fruits.jpg", "building.jpg"}) {
        const QImage picture = photo(QString::fromLatin1(name));
        if (!picture.isNull()) {
            EXPECT_TRUE(faces(picture).empty()) << name;
        }
    }
}

TEST(FaceFinder, WithoutTheFinderNoFaceIsEverClaimed) {
    if (faceFinderAvailable())
        GTEST_SKIP() << "faces can be found here";
    REQUIRE_PHOTO(messi, "messi5.jpg");
    EXPECT_TRUE(faces(messi).empty());
    EXPECT_FALSE(largestFace(messi));
}
