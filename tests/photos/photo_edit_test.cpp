#include "photos/photo_edit.h"

#include "core/image_codecs.h"
#include "core/photo_storage.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace wendolarka;
using namespace wendolarka::photos;

namespace {

constexpr double kPassAspect = 48.0 / 60.0;
constexpr double kEps = 1e-6;

::testing::AssertionResult insidePicture(const QRectF& frame, QSizeF picture) {
    if (frame.isEmpty())
        return ::testing::AssertionFailure() << "empty frame";
    if (frame.left() < -kEps || frame.top() < -kEps || frame.right() > picture.width() + kEps ||
        frame.bottom() > picture.height() + kEps)
        return ::testing::AssertionFailure() << "frame " << frame.x() << ',' << frame.y() << ' ' << frame.width()
                                             << 'x' << frame.height() << " leaves " << picture.width() << 'x'
                                             << picture.height();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult hasAspect(const QRectF& frame, double aspect) {
    const double got = frame.width() / frame.height();
    if (std::abs(got - aspect) > 1e-9 * aspect + 1e-12)
        return ::testing::AssertionFailure() << "aspect " << got << " instead of " << aspect;
    return ::testing::AssertionSuccess();
}

bool contains(const QRectF& outer, const QRectF& inner) {
    return inner.left() >= outer.left() - kEps && inner.top() >= outer.top() - kEps &&
           inner.right() <= outer.right() + kEps && inner.bottom() <= outer.bottom() + kEps;
}

// The largest frame: it touches both sides of the picture in one direction.
bool isLargest(const QRectF& frame, QSizeF picture) {
    return std::abs(frame.width() - picture.width()) < kEps || std::abs(frame.height() - picture.height()) < kEps;
}

QImage noise(int width, int height, QImage::Format format = QImage::Format_RGB32, unsigned seed = 7) {
    QImage image(width, height, format);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = format == QImage::Format_ARGB32 ? random() : (random() | 0xFF000000u);
    }
    return image;
}

// Red top-left, green top-right, blue bottom-left, yellow bottom-right.
QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::red);
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, Qt::green);
    painter.fillRect(0, height / 2, width / 2, height - height / 2, Qt::blue);
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::yellow);
    return image;
}

// Where a pixel of a w x h picture lands after `turns` clockwise quarter turns.
QPoint turnedPoint(QPoint p, int w, int h, int turns) {
    for (int i = 0; i < turns; ++i) {
        p = QPoint(h - 1 - p.y(), p.x());
        std::swap(w, h);
    }
    return p;
}

// The centre of the dark pixels.
QPointF darkCentre(const QImage& image) {
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 64) {
                sx += x;
                sy += y;
                ++n;
            }
    return n > 0 ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

} // namespace

TEST(CropFrame, StaysInsideWithItsAspectWhateverIsAsked) {
    const QSizeF pictures[] = {{1600, 1200}, {600, 800}, {1000, 1000}, {2000, 50}, {50, 2000}, {10, 12}, {3, 2}};
    const double aspects[] = {kPassAspect, 1.5, 1.0};
    const double heights[] = {-5, 0, 1, 16, 100, 799, 1e9, std::nan("")};
    for (QSizeF picture : pictures) {
        const QPointF centres[] = {{0, 0}, {picture.width(), picture.height()}, {-1e6, 1e6},
                                   {picture.width() / 2, picture.height() / 2}, {std::nan(""), 3}};
        for (double aspect : aspects) {
            const double largest = std::min(picture.height(), picture.width() / aspect);
            for (QPointF centre : centres) {
                for (double height : heights) {
                    SCOPED_TRACE(::testing::Message() << picture.width() << 'x' << picture.height() << " aspect "
                                                      << aspect << " height " << height << " centre "
                                                      << centre.x() << ',' << centre.y());
                    const QRectF frame = frameAround(picture, aspect, centre, height);
                    EXPECT_TRUE(insidePicture(frame, picture));
                    EXPECT_TRUE(hasAspect(frame, aspect));
                    EXPECT_LE(frame.height(), largest + kEps);
                    EXPECT_GE(frame.height(), std::min(kMinFrameHeight, largest) - kEps);
                    if (!(height < largest)) {
                        EXPECT_TRUE(isLargest(frame, picture));
                    }
                }
            }
        }
    }
}

TEST(CropFrame, CentredWhereThereIsRoomMovedAndResizedInside) {
    const QSizeF picture(800, 600);
    const QRectF frame = frameAround(picture, kPassAspect, {400, 300}, 200);
    EXPECT_EQ(frame.center(), QPointF(400, 300));
    EXPECT_NEAR(frame.height(), 200, kEps);
    // Pushed inside at a corner, keeping its size.
    EXPECT_EQ(frameAround(picture, kPassAspect, {790, 5}, 200), QRectF(800 - frame.width(), 0, frame.width(), 200));

    EXPECT_EQ(movedFrame(frame, {10, -3}, picture), frame.translated(10, -3));
    const QRectF far = movedFrame(frame, {5000, 5000}, picture);
    EXPECT_EQ(far, QRectF(QPointF(800, 600) - QPointF(frame.width(), 200), frame.size()));
    EXPECT_EQ(movedFrame(far, {-5000, -5000}, picture), QRectF(QPointF(0, 0), frame.size()));

    const QRectF larger = resizedFrame(frame, 300, picture);
    EXPECT_EQ(larger.center(), frame.center());
    EXPECT_NEAR(larger.height(), 300, kEps);
    EXPECT_TRUE(hasAspect(larger, kPassAspect));
    EXPECT_NEAR(resizedFrame(frame, 2, picture).height(), kMinFrameHeight, kEps);
    EXPECT_NEAR(resizedFrame(frame, 5000, picture).height(), 600, kEps);
    // Grown near an edge: pushed inside rather than cut.
    const QRectF grown = resizedFrame(frameAround(picture, kPassAspect, {40, 300}, 100), 400, picture);
    EXPECT_EQ(grown, QRectF(0, 100, 400 * kPassAspect, 400));

    EXPECT_TRUE(movedFrame(QRectF(), {5, 5}, picture).isEmpty());
    for (double aspect : {0.0, -1.0, std::nan("")})
        EXPECT_TRUE(frameAround({100, 100}, aspect, {0, 0}, 50).isEmpty());
    EXPECT_TRUE(frameAround({0, 100}, kPassAspect, {0, 0}, 50).isEmpty());
}

TEST(StartFrame, PlacesTheHeadAsPassportPhotosDo) {
    const QSizeF picture(1600, 1200);
    const QRectF face(700, 400, 200, 200); // forehead to chin, as a cascade finds it
    const QRectF frame = startFrame(picture, kPassAspect, face);
    EXPECT_TRUE(insidePicture(frame, picture));
    EXPECT_TRUE(hasAspect(frame, kPassAspect));
    EXPECT_TRUE(contains(frame, face));
    EXPECT_NEAR(frame.center().x(), face.center().x(), kEps) << "the face is centred across";
    // The face box is the lower part of the head: the head with its hair (crown
    // to chin) is about 1.6 to 1.8 box heights, and fills about 70 % of the frame.
    EXPECT_GT(1.6 * face.height() / frame.height(), 0.6);
    EXPECT_LT(1.8 * face.height() / frame.height(), 0.8);
    // The eyes, a little over a third down the box, a little above the frame's middle.
    const double eyes = (face.top() + 0.38 * face.height() - frame.top()) / frame.height();
    EXPECT_GT(eyes, 0.4);
    EXPECT_LT(eyes, 0.5);
    // Room above the box for forehead and hair, below it for the neck.
    EXPECT_GT(face.top() - frame.top(), 0.4 * face.height());
    EXPECT_GT(frame.bottom() - face.bottom(), 0.2 * face.height());
}

TEST(StartFrame, FaceNearAnEdgeOrTooLargeStaysInsideTheFrameAndThePicture) {
    struct Case {
        QSizeF picture;
        QRectF face;
    };
    const Case cases[] = {
        {{1600, 1200}, {0, 500, 150, 150}},     // at the left edge
        {{1600, 1200}, {1450, 0, 150, 150}},    // in the top right corner
        {{1600, 1200}, {700, 1050, 150, 150}},  // at the bottom
        {{600, 900}, {10, 10, 100, 100}},       // portrait, top left
        {{900, 600}, {780, 480, 120, 120}},     // landscape, bottom right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.face.x() << ',' << c.face.y() << " in " << c.picture.width());
        const QRectF frame = startFrame(c.picture, kPassAspect, c.face);
        EXPECT_TRUE(insidePicture(frame, c.picture));
        EXPECT_TRUE(hasAspect(frame, kPassAspect));
        EXPECT_TRUE(contains(frame, c.face));
    }
    // Too large for the ideal frame (a face filling a tiny picture too): the
    // largest frame of the aspect, over the face.
    for (const Case& c : {Case{{1600, 1200}, {600, 200, 700, 700}}, Case{{20, 20}, {2, 2, 16, 16}}}) {
        const QRectF frame = startFrame(c.picture, kPassAspect, c.face);
        EXPECT_TRUE(insidePicture(frame, c.picture));
        EXPECT_TRUE(hasAspect(frame, kPassAspect));
        EXPECT_TRUE(isLargest(frame, c.picture));
        EXPECT_TRUE(frame.contains(c.face.center()));
    }
    // A box reaching out of the picture is taken for the part inside it.
    EXPECT_TRUE(insidePicture(startFrame({1600, 1200}, kPassAspect, QRectF(-100, -100, 300, 300)), {1600, 1200}));
}

TEST(StartFrame, WithoutAFaceTheLargestFrameOnTheUpperPart) {
    const QSizeF landscape(1600, 1200);
    const QRectF wide = startFrame(landscape, kPassAspect, std::nullopt);
    EXPECT_NEAR(wide.height(), 1200, kEps);
    EXPECT_NEAR(wide.center().x(), 800, kEps);
    EXPECT_TRUE(hasAspect(wide, kPassAspect));

    const QSizeF tall(600, 1500);
    const QRectF upper = startFrame(tall, kPassAspect, std::nullopt);
    EXPECT_NEAR(upper.width(), 600, kEps);
    EXPECT_TRUE(insidePicture(upper, tall));
    EXPECT_LT(upper.center().y(), 1500 / 2.0 - 100);

    // A picture already in the element's shape is left whole.
    const QRectF whole = startFrame({480, 600}, kPassAspect, std::nullopt);
    EXPECT_NEAR(whole.width(), 480, kEps);
    EXPECT_NEAR(whole.height(), 600, kEps);
    // An empty box counts as no face.
    EXPECT_EQ(startFrame(tall, kPassAspect, QRectF()), upper);
    EXPECT_TRUE(startFrame({0, 0}, kPassAspect, std::nullopt).isEmpty());
}

TEST(PhotoTurns, QuarterTurnsMoveEveryPixelExactly) {
    const QImage source = noise(7, 4);
    for (int turns : {1, 2, 3, -1, 5, 4}) {
        SCOPED_TRACE(turns);
        const int clockwise = ((turns % 4) + 4) % 4;
        const QImage turned = turnedAndStraightened(source, turns, 0);
        const QSize expected = clockwise % 2 ? source.size().transposed() : source.size();
        ASSERT_EQ(turned.size(), expected);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                ASSERT_EQ(turned.pixel(turnedPoint({x, y}, source.width(), source.height(), clockwise)),
                          source.pixel(x, y))
                    << x << ',' << y;
    }
}

TEST(PhotoTurns, ClockwiseTurnTakesTheTopLeftQuadrantToTheTopRight) {
    const QImage turned = turnedAndStraightened(quadrants(80, 60), 1, 0);
    ASSERT_EQ(turned.size(), QSize(60, 80));
    EXPECT_EQ(QColor(turned.pixel(45, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(turned.pixel(15, 70)), QColor(Qt::yellow));
    EXPECT_EQ(QColor(turnedAndStraightened(quadrants(80, 60), -1, 0).pixel(15, 70)), QColor(Qt::red));
}

TEST(PhotoTurns, StraighteningTurnsAboutTheCentreAndFillsTheCornersWhite) {
    QImage source(201, 201, QImage::Format_RGB32);
    source.fill(QColor(200, 150, 100));
    QPainter(&source).fillRect(176, 96, 9, 9, Qt::black); // right of the centre
    const QImage straight = turnedAndStraightened(source, 0, 10);
    ASSERT_EQ(straight.size(), source.size());
    const QPointF dark = darkCentre(straight);
    const double angle = std::atan2(dark.y() - 100, dark.x() - 100) * 180 / M_PI;
    EXPECT_NEAR(angle, 10, 1.5) << "clockwise on the screen: the mark went down";
    EXPECT_NEAR(std::hypot(dark.x() - 100, dark.y() - 100), 80, 1.5);
    EXPECT_EQ(QColor(straight.pixel(0, 0)), QColor(Qt::white));
    EXPECT_EQ(QColor(straight.pixel(200, 200)), QColor(Qt::white));
    EXPECT_EQ(QColor(straight.pixel(100, 100)), QColor(200, 150, 100));

    const QImage other = turnedAndStraightened(source, 0, -10);
    EXPECT_LT(darkCentre(other).y(), 100);
    EXPECT_EQ(turnedAndStraightened(source, 0, 0), source);
    EXPECT_TRUE(turnedAndStraightened(QImage(), 1, 5).isNull());
}

TEST(PhotoEdit, NoEditLeavesThePixels) {
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage source = noise(33, 21, format);
        const QImage edited = applyPhotoEdit(source, {});
        EXPECT_EQ(edited, source);
        EXPECT_EQ(edited.format(), format);
    }
    QImage grey = noise(10, 10).convertToFormat(QImage::Format_Grayscale8);
    EXPECT_EQ(applyPhotoEdit(grey, {}), grey);
}

TEST(PhotoEdit, CropIsTakenInTheTurnedPicture) {
    const QImage source = noise(40, 30);
    TPhotoEdit edit;
    edit.crop = QRectF(3, 4, 10, 12);
    EXPECT_EQ(applyPhotoEdit(source, edit), source.copy(3, 4, 10, 12));
    // Edges rounded to whole pixels.
    edit.crop = QRectF(2.6, 3.6, 10, 12);
    EXPECT_EQ(applyPhotoEdit(source, edit), source.copy(3, 4, 10, 12));
    // Cut by the picture's edge; outside it the crop is ignored.
    edit.crop = QRectF(35, 25, 20, 20);
    EXPECT_EQ(applyPhotoEdit(source, edit), source.copy(35, 25, 5, 5));
    edit.crop = QRectF(100, 100, 10, 10);
    EXPECT_EQ(applyPhotoEdit(source, edit), source);

    edit.quarterTurns = 1;
    edit.crop = QRectF(0, 0, 30, 20); // the upper half of the 30 x 40 turned picture
    const QImage turned = turnedAndStraightened(source, 1, 0);
    EXPECT_EQ(applyPhotoEdit(source, edit), turned.copy(0, 0, 30, 20));
}

TEST(PhotoEdit, BrightnessAndContrastMoveLevelsTheWayTheyAreNamed) {
    // Every grey level once, in colour and in grey.
    QImage ramp(256, 1, QImage::Format_RGB32);
    for (int v = 0; v < 256; ++v)
        ramp.setPixel(v, 0, qRgb(v, v, 255 - v));
    const auto level = [](const QImage& image, int x) { return qRed(image.pixel(x, 0)); };
    const auto edited = [&](int brightness, int contrast) {
        TPhotoEdit edit;
        edit.brightness = brightness;
        edit.contrast = contrast;
        return applyPhotoEdit(ramp, edit);
    };
    const QImage brighter = edited(40, 0), darker = edited(-40, 0);
    const QImage sharper = edited(0, 50), flatter = edited(0, -50);
    for (const QImage* image : {&brighter, &darker, &sharper, &flatter})
        for (int v = 1; v < 256; ++v)
            ASSERT_GE(level(*image, v), level(*image, v - 1)) << "levels keep their order at " << v;
    for (int v = 0; v < 256; ++v) {
        EXPECT_GE(level(brighter, v), v);
        EXPECT_LE(level(darker, v), v);
        EXPECT_EQ(qBlue(brighter.pixel(v, 0)), level(brighter, 255 - v)) << "every channel alike";
    }
    EXPECT_GT(level(brighter, 128), 128 + 30);
    EXPECT_LT(level(darker, 128), 128 - 30);
    EXPECT_LT(level(sharper, 60), 60);
    EXPECT_GT(level(sharper, 200), 200);
    EXPECT_GT(level(flatter, 60), 60);
    EXPECT_LT(level(flatter, 200), 200);
    EXPECT_GT(level(flatter, 255) - level(flatter, 0), 0) << "no contrast setting flattens the picture";
    EXPECT_EQ(level(edited(500, 0), 0), level(edited(100, 0), 0)) << "clamped to the range";

    QImage grey(256, 1, QImage::Format_Grayscale8);
    for (int v = 0; v < 256; ++v)
        grey.scanLine(0)[v] = uchar(v);
    TPhotoEdit edit;
    edit.brightness = 40;
    const QImage greyBrighter = applyPhotoEdit(grey, edit);
    EXPECT_EQ(greyBrighter.format(), QImage::Format_Grayscale8);
    for (int v = 0; v < 256; v += 15)
        EXPECT_EQ(greyBrighter.constScanLine(0)[v], level(brighter, v)) << "grey as any channel";

    QImage see(4, 1, QImage::Format_ARGB32);
    see.fill(qRgba(100, 100, 100, 60));
    EXPECT_EQ(qAlpha(applyPhotoEdit(see, edit).pixel(0, 0)), 60) << "transparency is kept";
}

TEST(StoredPhoto, AJpegOfAtMostTheStoredSide) {
    struct Case {
        QSize size;
        QSize stored;
    };
    const Case cases[] = {{{3000, 2000}, {1024, 683}}, {{700, 2100}, {341, 1024}}, {{1024, 1024}, {1024, 1024}},
                          {{5000, 3}, {1024, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size.width() << 'x' << c.size.height());
        QImage image(c.size, QImage::Format_RGB32);
        image.fill(QColor(30, 120, 200));
        const QByteArray stored = storedPhoto(image);
        ASSERT_TRUE(stored.startsWith("\xFF\xD8\xFF"));
        const QImage decoded = decodeJpeg(stored);
        EXPECT_EQ(decoded.size(), c.stored);
        EXPECT_LE(std::max(decoded.width(), decoded.height()), kStoredPhotoSide);
        const QColor middle = decoded.pixelColor(decoded.width() / 2, decoded.height() / 2);
        EXPECT_NEAR(middle.blue(), 200, 4);
    }
    QImage clear(50, 50, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_GT(qGray(decodeJpeg(storedPhoto(clear)).pixel(25, 25)), 250) << "laid on white";
    EXPECT_TRUE(storedPhoto(QImage()).isEmpty());
}
