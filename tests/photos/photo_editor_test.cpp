#include "photos/photo_editor.h"

#include "core/image_codecs.h"
#include "photos/crop_view.h"
#include "photos/face_finder.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace wendolarka;
using namespace wendolarka::photos;

namespace {

constexpr double kPassAspect = 48.0 / 60.0;

// A landscape picture with no face in it: a gradient and a few blocks, so
// turns and crops show in the pixels.
QImage landscape(int width = 800, int height = 600) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 96));
    QPainter painter(&picture);
    painter.fillRect(0, 0, width / 8, height / 8, Qt::black);
    painter.fillRect(width - width / 8, height - height / 8, width / 8, height / 8, Qt::white);
    return picture;
}

::testing::AssertionResult inside(const QRectF& frame, QSizeF picture) {
    constexpr double eps = 1e-6;
    if (frame.isEmpty() || frame.left() < -eps || frame.top() < -eps || frame.right() > picture.width() + eps ||
        frame.bottom() > picture.height() + eps)
        return ::testing::AssertionFailure() << "frame " << frame.x() << ',' << frame.y() << ' ' << frame.width()
                                             << 'x' << frame.height() << " in " << picture.width() << 'x'
                                             << picture.height();
    return ::testing::AssertionSuccess();
}

double aspectOf(const QRectF& frame) { return frame.width() / frame.height(); }

// The editor shown and active, as the user meets it.
std::unique_ptr<TFZdjecie> shownEditor(const QImage& picture) {
    auto editor = std::make_unique<TFZdjecie>(picture, kPassAspect);
    editor->show();
    editor->activateWindow();
    if (!QTest::qWaitForWindowActive(editor.get()))
        ADD_FAILURE() << "the editor did not become active";
    return editor;
}

QPoint onScreen(QPointF point) { return point.toPoint(); }

} // namespace

TEST(PhotoEditor, OpensWithTheLargestFrameOfTheAspectOnALandscapePicture) {
    TFZdjecie editor(landscape(), kPassAspect);
    EXPECT_EQ(editor.windowTitle(), QString::fromUtf8("Przytnij zdjęcie"));
    const QRectF frame = editor.view->frame();
    EXPECT_TRUE(inside(frame, QSizeF(800, 600)));
    EXPECT_NEAR(aspectOf(frame), kPassAspect, 1e-9);
    EXPECT_NEAR(frame.height(), 600, 1e-6) << "no face: the largest frame";
    EXPECT_NEAR(frame.center().x(), 400, 1e-6);
    EXPECT_EQ(editor.edit().crop, frame);
    EXPECT_EQ(editor.lblRozmiar->text(), QString::fromUtf8("Wynik: 480 × 600 pikseli"));
    // Fits a 1280 x 1024 screen with its frame.
    EXPECT_LE(editor.width(), 1240);
    EXPECT_LE(editor.height(), 960);
}

TEST(PhotoEditor, ArrowsMoveTheFrameUntilAnEdgeAndPlusMinusResizeIt) {
    auto editor = shownEditor(landscape());
    TCropView* view = editor->view;
    ASSERT_TRUE(view->hasFocus()) << "the view has the keys when the editor opens";
    const double step = view->pixelStep();
    ASSERT_GE(step, 1.0);

    const QRectF start = view->frame();
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_NEAR(view->frame().left(), start.left() - step, 1e-6);
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_NEAR(view->frame().left(), start.left() + 9 * step, 1e-6);
    EXPECT_EQ(view->frame().size(), start.size());

    for (int i = 0; i < 100; ++i)
        QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NEAR(view->frame().left(), 0, 1e-6) << "stops at the left edge";
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_NEAR(view->frame().right(), 800, 1e-6) << "stops at the right edge";
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_NEAR(view->frame().top(), 0, 1e-6) << "a frame the picture's height cannot move down";

    QTest::keyClick(view, Qt::Key_Minus);
    const QRectF smaller = view->frame();
    EXPECT_LT(smaller.height(), 600);
    EXPECT_NEAR(aspectOf(smaller), kPassAspect, 1e-9);
    EXPECT_TRUE(inside(smaller, QSizeF(800, 600)));
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_LT(view->frame().height(), smaller.height());
    QTest::keyClick(view, Qt::Key_Plus);
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_GT(view->frame().height(), smaller.height());

    for (int i = 0; i < 100; ++i)
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_NEAR(view->frame().bottom(), 600, 1e-6) << "stops at the bottom edge";
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(view, Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_NEAR(view->frame().height(), 600, 1e-6) << "grows no larger than the picture";
    EXPECT_TRUE(inside(view->frame(), QSizeF(800, 600)));
    EXPECT_EQ(editor->edit().crop, view->frame());
}

TEST(PhotoEditor, TheMouseMovesTheFrameAndItsCornerResizesIt) {
    auto editor = shownEditor(landscape());
    TCropView* view = editor->view;
    const double scale = view->pictureArea().width() / 800;
    ASSERT_GT(scale, 0.2);
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(view, Qt::Key_Minus);
    const QRectF before = view->frame();

    // Dragged from inside: the frame follows the pointer.
    const QPoint from = onScreen(view->frameOnScreen().center());
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, from + QPoint(-30, -10));
    QTest::mouseMove(view, from + QPoint(-60, -20));
    QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(-60, -20));
    const QRectF moved = view->frame();
    EXPECT_NEAR(moved.left() - before.left(), -60 / scale, 1.5 / scale);
    EXPECT_NEAR(moved.top() - before.top(), -20 / scale, 1.5 / scale);
    EXPECT_EQ(moved.size(), before.size());

    // Dragged far past the edge: it stops there.
    const QPoint again = onScreen(view->frameOnScreen().center());
    QTest::mousePress(view, Qt::LeftButton, {}, again);
    QTest::mouseMove(view, again + QPoint(2000, 0));
    QTest::mouseRelease(view, Qt::LeftButton, {}, again + QPoint(2000, 0));
    EXPECT_NEAR(view->frame().right(), 800, 1e-6);
    const QRectF atEdge = view->frame();

    // The top-left handle pulled inwards: smaller, the bottom-right corner stays, the aspect holds.
    const QPoint corner = onScreen(view->frameOnScreen().topLeft());
    QTest::mousePress(view, Qt::LeftButton, {}, corner);
    QTest::mouseMove(view, corner + QPoint(10, 40));
    QTest::mouseRelease(view, Qt::LeftButton, {}, corner + QPoint(10, 40));
    const QRectF resized = view->frame();
    EXPECT_LT(resized.height(), atEdge.height() - 20 / scale);
    EXPECT_NEAR(aspectOf(resized), kPassAspect, 1e-6);
    EXPECT_NEAR(resized.right(), atEdge.right(), 1e-6);
    EXPECT_NEAR(resized.bottom(), atEdge.bottom(), 1e-6);

    // And pulled far out: as large as the picture allows from that corner.
    const QPoint out = onScreen(view->frameOnScreen().topLeft());
    QTest::mousePress(view, Qt::LeftButton, {}, out);
    QTest::mouseMove(view, out - QPoint(3000, 3000));
    QTest::mouseRelease(view, Qt::LeftButton, {}, out - QPoint(3000, 3000));
    EXPECT_TRUE(inside(view->frame(), QSizeF(800, 600)));
    EXPECT_NEAR(view->frame().top(), 0, 1e-6);
    EXPECT_NEAR(view->frame().bottom(), resized.bottom(), 1e-6);
    EXPECT_EQ(editor->edit().crop, view->frame());

    // The wheel resizes about the centre; two half notches are one notch.
    const auto wheel = [view](int delta) {
        const QPointF at = view->frameOnScreen().center();
        QWheelEvent event(at, view->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(view, &event);
    };
    const QRectF large = view->frame();
    wheel(-120);
    const QRectF notch = view->frame();
    EXPECT_LT(notch.height(), large.height());
    EXPECT_NEAR(notch.center().y(), large.center().y(), 1e-6);
    wheel(120);
    wheel(-60);
    EXPECT_EQ(view->frame(), large);
    wheel(-60);
    EXPECT_EQ(view->frame(), notch);
}

TEST(PhotoEditor, TurnsSwapTheWorkingPictureAndPlaceTheFrameAnew) {
    auto editor = shownEditor(landscape());
    QTest::keyClick(editor->view, Qt::Key_Minus);
    editor->btnObrocPrawo->click();
    EXPECT_EQ(editor->view->pictureSize(), QSizeF(600, 800));
    EXPECT_EQ(editor->edit().quarterTurns, 1);
    const QRectF frame = editor->view->frame();
    EXPECT_TRUE(inside(frame, QSizeF(600, 800)));
    EXPECT_NEAR(frame.width(), 600, 1e-6) << "placed anew: the largest frame of the turned picture";
    EXPECT_NEAR(aspectOf(frame), kPassAspect, 1e-9);

    // The result is the turned picture's crop: the black corner block is now at the top right.
    editor->btnOK->click();
    const QImage turned = editor->result();
    EXPECT_EQ(turned.size(), QSize(600, 750));
    EXPECT_EQ(QColor(turned.pixel(turned.width() - 5, 5)), QColor(Qt::black));

    editor->btnObrocLewo->click();
    editor->btnObrocLewo->click();
    EXPECT_EQ(editor->edit().quarterTurns, 3) << "left of no turn is three right";
    EXPECT_EQ(editor->view->pictureSize(), QSizeF(600, 800));
}

TEST(PhotoEditor, ValuesAreWrittenInPolishWhateverTheSystemLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    auto editor = shownEditor(landscape());
    editor->sldProstowanie->setValue(-25);
    QStringList values;
    for (const QLabel* label : editor->findChildren<QLabel*>())
        values << label->text();
    QLocale::setDefault(before);
    EXPECT_TRUE(values.contains(QString::fromUtf8("-2,5°"))) << values.join(u'|').toStdString();
}

TEST(PhotoEditor, OkGivesAStoredJpegOfTheFrameWithinTheStorageLimit) {
    // Larger than the view's preview copy, so the frame is in the full picture's pixels.
    auto editor = shownEditor(landscape(3000, 2000));
    editor->sldJasnosc->setValue(60);
    editor->sldProstowanie->setValue(-25);
    EXPECT_EQ(editor->edit().brightness, 60);
    EXPECT_DOUBLE_EQ(editor->edit().straighten, -2.5);
    QTest::keyClick(editor->view, Qt::Key_Minus);
    const QRectF frame = editor->view->frame();
    EXPECT_TRUE(inside(frame, QSizeF(3000, 2000)));
    EXPECT_GT(frame.height(), 1024) << "large enough to be scaled down for storage";

    editor->btnOK->click();
    EXPECT_EQ(editor->QDialog::result(), QDialog::Accepted);
    const QImage stored = decodeJpeg(editor->storedResult());
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.height(), 1024);
    EXPECT_NEAR(stored.width(), 1024 * kPassAspect, 1.0);
    EXPECT_EQ(editor->lblRozmiar->text(),
              QString::fromUtf8("Wynik: %1 × %2 pikseli").arg(stored.width()).arg(stored.height()))
        << "the size shown is the size stored";
    // Brighter than the source at the same place: the slider reached the result.
    const QImage full = editor->result();
    const QPoint middle(full.width() / 2, full.height() / 2);
    const QPoint source = (frame.topLeft() + QPointF(middle)).toPoint();
    EXPECT_GT(qGray(full.pixel(middle)), qGray(landscape(3000, 2000).pixel(source)) + 40);
}

TEST(PhotoEditor, EnterIsOkAndEscOrAnulujLeaveNothingToStore) {
    auto accepted = shownEditor(landscape());
    QTest::keyClick(accepted->view, Qt::Key_Right);
    QTest::keyClick(accepted->view, Qt::Key_Return);
    EXPECT_EQ(accepted->QDialog::result(), QDialog::Accepted);
    EXPECT_FALSE(accepted->storedResult().isEmpty());

    auto escaped = shownEditor(landscape());
    escaped->btnObrocPrawo->click();
    QTest::keyClick(escaped->view, Qt::Key_Escape);
    EXPECT_EQ(escaped->QDialog::result(), QDialog::Rejected);
    EXPECT_FALSE(escaped->isVisible());
    EXPECT_TRUE(escaped->storedResult().isEmpty());

    auto cancelled = shownEditor(landscape());
    cancelled->btnAnuluj->click();
    EXPECT_EQ(cancelled->QDialog::result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled->storedResult().isEmpty());
}

TEST(PhotoEditor, TabReachesEveryControlInOrder) {
    auto editor = shownEditor(landscape());
    const QWidget* expected[] = {editor->btnObrocLewo, editor->btnObrocPrawo, editor->sldProstowanie,
                                 editor->sldJasnosc,   editor->sldKontrast,   editor->btnDopasuj,
                                 editor->btnOK,        editor->btnAnuluj,     editor->view};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << qPrintable(next->objectName());
    }
}

TEST(PhotoEditor, FittingToAFaceWithoutOneLeavesTheFrameAndSaysWhy) {
    auto editor = shownEditor(landscape());
    QTest::keyClick(editor->view, Qt::Key_Minus);
    const QRectF before = editor->view->frame();
    editor->btnDopasuj->click();
    EXPECT_EQ(editor->view->frame(), before);
    EXPECT_EQ(editor->lblUwaga->text(), faceFinderAvailable()
                                            ? QString::fromUtf8("Nie znaleziono twarzy.")
                                            : QString::fromUtf8("Wykrywanie twarzy nie jest dostępne."));
}

TEST(PhotoEditor, OpensWithTheFrameOnTheFaceOfALargePhotograph) {
    if (!faceFinderAvailable())
        GTEST_SKIP() << "faces cannot be found here: built without OpenCV or no cascade of opencv-data found";
    QFile file(QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no messi5.jpg: install opencv-doc";
    // About a camera's size: found on the full picture, not on the view's smaller copy.
    const QImage photo = decodeJpeg(file.readAll()).scaled(548 * 7, 342 * 7, Qt::IgnoreAspectRatio,
                                                           Qt::SmoothTransformation);
    // The footballer's face, brows to chin, seen by eye in the file and scaled likewise.
    const QRectF face(222 * 7, 90 * 7, 44 * 7, 44 * 7);

    TFZdjecie editor(photo, kPassAspect);
    const QRectF frame = editor.view->frame();
    EXPECT_TRUE(inside(frame, photo.size()));
    EXPECT_TRUE(frame.contains(face)) << frame.x() << ',' << frame.y() << ' ' << frame.width() << 'x'
                                      << frame.height();
    EXPECT_LT(frame.height(), photo.height() * 0.8) << "a frame about the head, not the largest one";
    EXPECT_NEAR(frame.center().x(), face.center().x(), face.width() / 3);

    // Moved away, then fitted again.
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(editor.view, Qt::Key_Right, Qt::ShiftModifier);
    editor.btnDopasuj->click();
    EXPECT_TRUE(editor.lblUwaga->text().isEmpty());
    EXPECT_NEAR(editor.view->frame().center().x(), frame.center().x(), 1e-6);
    EXPECT_NEAR(editor.view->frame().height(), frame.height(), 1e-6);
}
