#include "controls/image.h"
#include "controls/host_form.h"
#include "controls/label.h"
#include "controls/panel.h"
#include "core/exception.h"
#include "sizer/size_control.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// A window with two labels and a panel holding a third label.
struct SizerHost : ::testing::Test {
    THostForm form;
    TLabel* a = nullptr;
    TLabel* b = nullptr;
    TPanel* panel = nullptr;
    TLabel* inner = nullptr;
    TSizeControl* sizer = nullptr;
    std::vector<std::string> log;

    SizerHost() {
        form.resize(300, 200);
        form.client().setColor(clWhite);
        a = label(QStringLiteral("a"), nullptr, TRect::bounds(10, 10, 50, 20));
        b = label(QStringLiteral("b"), nullptr, TRect::bounds(10, 150, 50, 20));
        panel = form.createControl<TPanel>(QStringLiteral("panel"));
        panel->setBoundsRect(TRect::bounds(100, 50, 120, 80));
        inner = label(QStringLiteral("inner"), panel, TRect::bounds(10, 10, 40, 20));
        sizer = new TSizeControl(&form);
        sizer->OnMoved = [this](TSizeControl&, const TRect& r) { record("moved", r); };
        sizer->OnResized = [this](TSizeControl&, const TRect& r) { record("resized", r); };
        form.show();
    }

    TLabel* label(const QString& name, TWinControl* parent, TRect bounds) {
        auto* l = form.createControl<TLabel>(name, parent);
        l->setAutoSize(false);
        l->setBoundsRect(bounds);
        return l;
    }

    void record(const char* what, const TRect& r) {
        log.push_back(std::string(what) + " " + std::to_string(r.Left) + "," + std::to_string(r.Top) +
                      "," + std::to_string(r.Width()) + "x" + std::to_string(r.Height()));
    }

    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(&form, button, {}, at);
        QCoreApplication::processEvents();
    }
    void key(int k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(sizer, static_cast<Qt::Key>(k), mods); }
};

} // namespace

TEST(SizeControl, OnlyAHostWindowCanOwnIt) {
    QObject notAForm;
    try {
        TSizeControl sizer(&notAForm);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("TSizeControl.create - Owner must be a TCustomFrom"));
    }
}

TEST(SizeControl, SnappingGoesToTheNearestLineFromTheClientOrigin) {
    EXPECT_EQ(TSizeControl::snapEdge(108, 100, 19), 100);
    EXPECT_EQ(TSizeControl::snapEdge(109, 100, 19), 119);
    EXPECT_EQ(TSizeControl::snapEdge(114, 100, 19), 119);
    EXPECT_EQ(TSizeControl::snapEdge(100, 100, 19), 100);
    EXPECT_EQ(TSizeControl::snapEdge(95, 100, 19), 100);
}

TEST_F(SizerHost, APressPicksAnElementAndDraggingMovesIt) {
    EXPECT_EQ(sizer->Color(), 3368703);
    EXPECT_EQ(sizer->GridSize(), 8);
    press({20, 15});
    ASSERT_EQ(sizer->Target(), a);
    EXPECT_TRUE(sizer->isVisible());
    EXPECT_EQ(sizer->geometry(), QRect(10, 10, 50, 20));
    EXPECT_EQ(sizer->dragMode(), TDragMode::Move); // the same press started a move
    // Pressed at (10, 5) of the element; the pointer goes 10 right and 5 down.
    QTest::mouseMove(sizer, QPoint(20, 10));
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(20, 15, 50, 20));
    EXPECT_EQ(sizer->geometry(), QRect(20, 15, 50, 20));
    EXPECT_EQ(log, std::vector<std::string>{"moved 20,15,50x20"});

    press({150, 250 - 100}); // the bare form
    EXPECT_EQ(sizer->Target(), nullptr);
    EXPECT_FALSE(sizer->isVisible());
}

TEST_F(SizerHost, AQuickClickSelectsWithoutStartingADrag) {
    // Press and release both arrive before the posted pick is handled.
    for (int round = 0; round < 3; ++round) {
        QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(20, 15));
        QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(20, 15));
        QCoreApplication::processEvents();
        ASSERT_EQ(sizer->Target(), a);
        EXPECT_EQ(sizer->dragMode(), TDragMode::None);
        EXPECT_NE(QWidget::mouseGrabber(), sizer);
        QTest::mouseMove(sizer, QPoint(30, 12));
        EXPECT_FALSE(form.feedbackRect().has_value());
        EXPECT_EQ(a->BoundsRect(), TRect::bounds(10, 10, 50, 20));
        press({150, 150}); // the bare form deselects
        ASSERT_EQ(sizer->Target(), nullptr);
    }
    // A slow press still picks and drags at once.
    press({20, 15});
    EXPECT_EQ(sizer->dragMode(), TDragMode::Move);
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(10, 5));
}

TEST_F(SizerHost, ResizingStopsAtTheMinimumWidth) {
    press({20, 15});
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(10, 5));
    // Grab the right edge (x = 48 of 50) and pull it far to the left.
    QTest::mousePress(sizer, Qt::LeftButton, {}, QPoint(48, 10));
    EXPECT_EQ(sizer->hitKind(), THitKind::Right);
    QTest::mouseMove(sizer, QPoint(-100, 10));
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(-100, 10));
    // The pointer stops at left + MinWidth, so the right edge at 15 + (50 - 48).
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(10, 10, 7, 20));
    EXPECT_EQ(log.back(), "resized 10,10,7x20");
}

TEST_F(SizerHost, ButtonsOutsideMouseButtonsNeitherPickNorDrag) {
    sizer->setMouseButtons(mouseButtons({mbLeft}));
    press({20, 15}, Qt::RightButton);
    EXPECT_EQ(sizer->Target(), nullptr);
    press({20, 15});
    ASSERT_EQ(sizer->Target(), a);
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mousePress(sizer, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_EQ(sizer->dragMode(), TDragMode::None);
}

TEST_F(SizerHost, WithoutAllowTabTheTargetStaysButCanStillBeDragged) {
    sizer->setTarget(a);
    sizer->setAllowTab(false);
    press({20, 155});
    EXPECT_EQ(sizer->Target(), a);
    key(Qt::Key_Tab);
    key(Qt::Key_Escape);
    EXPECT_EQ(sizer->Target(), a);
    QTest::mousePress(sizer, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(sizer, QPoint(25, 12));
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(25, 12));
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(15, 12, 50, 20));
}

TEST_F(SizerHost, TabWalksInOrderAndWrapsEscClimbs) {
    key(Qt::Key_Tab); // no target yet: the first element
    sizer->setFocus();
    EXPECT_EQ(sizer->Target(), a);
    key(Qt::Key_Tab);
    EXPECT_EQ(sizer->Target(), b);
    key(Qt::Key_Tab);
    EXPECT_EQ(sizer->Target(), panel);
    key(Qt::Key_Tab);
    EXPECT_EQ(sizer->Target(), inner);
    key(Qt::Key_Tab); // last: back to the first
    EXPECT_EQ(sizer->Target(), a);
    key(Qt::Key_Backtab);
    EXPECT_EQ(sizer->Target(), inner);
    EXPECT_EQ(sizer->geometry(), QRect(110, 60, 40, 20));

    key(Qt::Key_Escape);
    EXPECT_EQ(sizer->Target(), panel);
    key(Qt::Key_Escape);
    EXPECT_EQ(sizer->Target(), nullptr);

    b->setVisible(false);
    sizer->setTarget(a);
    key(Qt::Key_Tab);
    EXPECT_EQ(sizer->Target(), panel); // hidden elements are passed over
}

TEST_F(SizerHost, RefusedTargetsArePassedOver) {
    sizer->OnTargetChanging = [this](TSizeControl&, TControl* t, bool& ok) { ok = t != b; };
    sizer->setTarget(a);
    key(Qt::Key_Tab);
    EXPECT_EQ(sizer->Target(), panel);
    press({20, 155});
    EXPECT_EQ(sizer->Target(), panel);
}

TEST_F(SizerHost, ArrowKeysMoveAndResizeByOnePixel) {
    sizer->setTarget(a);
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(11, 11, 50, 20));
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(11, 11, 49, 20));
    for (int i = 0; i < 20; ++i)
        key(Qt::Key_Up, Qt::ShiftModifier); // never below MinHeight
    EXPECT_EQ(a->Height(), 5);
    log.clear();
    sizer->setControlActions(caSizeOnly);
    key(Qt::Key_Right);
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(11, 11, 50, 5));
    EXPECT_EQ(log, std::vector<std::string>{"resized 11,11,50x5"});
}

TEST_F(SizerHost, AlignedTargetsChangeOnlyOnTheirFreeSide) {
    auto* bar = form.createControl<TPanel>(QStringLiteral("bar"));
    bar->setHeight(30);
    bar->setAlign(alTop);
    sizer->setTarget(bar);
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(bar->BoundsRect(), (TRect{0, 0, 300, 29}));
    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Down);
    EXPECT_EQ(bar->BoundsRect(), (TRect{0, 0, 300, 29}));
    form.resize(250, 200);
    EXPECT_EQ(sizer->geometry(), QRect(0, 0, 250, 29)); // follows the window's realignment
}

TEST_F(SizerHost, GridDotsOnTheWindowButNeverInTheCard) {
    sizer->setGridSize(19);
    sizer->setGridSize(51);
    EXPECT_EQ(sizer->GridSize(), 19);
    const QImage screen = form.grab().toImage();
    EXPECT_EQ(screen.pixelColor(19, 19), QColor(128, 128, 128));
    EXPECT_EQ(screen.pixelColor(20, 19), QColor(255, 255, 255));
    EXPECT_EQ(form.Snapshot().pixelColor(19, 19), QColor(255, 255, 255));
    // A picture shows as it prints: no dots over it.
    auto* picture = form.createControl<TImage>(QStringLiteral("picture"));
    picture->SetBounds(0, 0, 60, 60);
    QImage white(60, 60, QImage::Format_RGB32);
    white.fill(Qt::white);
    picture->setPicture(white);
    EXPECT_EQ(form.grab().toImage().pixelColor(19, 19), QColor(255, 255, 255));
    EXPECT_EQ(form.grab().toImage().pixelColor(76, 76), QColor(128, 128, 128));
    sizer->setGridSize(0);
    EXPECT_EQ(form.grab().toImage().pixelColor(19, 19), QColor(255, 255, 255));
}

TEST_F(SizerHost, SnappingAppliesToMouseDrops) {
    sizer->setGridSize(10);
    sizer->setSnapToGrid(true);
    sizer->setTarget(a);
    QTest::mousePress(sizer, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(sizer, QPoint(24, 13));
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(24, 13));
    EXPECT_EQ(a->BoundsRect(), TRect::bounds(10, 10, 50, 20)); // 14,13 .. 64,33 snaps back
}

TEST_F(SizerHost, FreeingTheTargetLeavesTheSizerEmpty) {
    sizer->setTarget(inner);
    form.destroyControl(panel); // the target's container goes first
    form.destroyControl(inner);
    EXPECT_EQ(sizer->Target(), nullptr);
    EXPECT_FALSE(sizer->isVisible());
    key(Qt::Key_Right);
    key(Qt::Key_Tab);
    EXPECT_EQ(sizer->Target(), a);
}
