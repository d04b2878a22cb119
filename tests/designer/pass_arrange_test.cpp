#include "controls/image.h"
#include "controls/label.h"
#include "controls/multi_bevel.h"
#include "designer/design_history.h"
#include "designer/design_pick.h"
#include "designer/pass_arrange.h"
#include "designer/pass_context_menu.h"
#include "designer/pass_design.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "designer/position_dialog.h"
#include "sizer/size_control.h"

#include <QAction>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;
using pass_arrange::Axis;
using pass_arrange::Line;

namespace {

std::vector<QString> stackingOrder(const TPassDesign& design) {
    std::vector<QString> names;
    for (const TControl* c : design.client().Controls())
        names.push_back(c->Name());
    return names;
}

std::size_t indexIn(const std::vector<QString>& order, const char* name) {
    return static_cast<std::size_t>(std::find(order.begin(), order.end(), QLatin1String(name)) - order.begin());
}

} // namespace

TEST(PassArrange, LinesUpOnTheAnchorKeepingSizes) {
    const std::vector<TRect> boxes = {TRect::bounds(10, 20, 30, 10), TRect::bounds(50, 5, 21, 40),
                                      TRect::bounds(0, 0, 5, 5)};
    const auto on = [&](Line line) { return pass_arrange::aligned(boxes, 1, line); };
    EXPECT_EQ(on(Line::Left)[0], TRect::bounds(50, 20, 30, 10));
    EXPECT_EQ(on(Line::Right)[0], TRect::bounds(41, 20, 30, 10));
    EXPECT_EQ(on(Line::Top)[2], TRect::bounds(0, 5, 5, 5));
    EXPECT_EQ(on(Line::Bottom)[2], TRect::bounds(0, 40, 5, 5));
    // The anchor's middle is 60 (50 + 21 / 2) and 25; the others' middles land there.
    EXPECT_EQ(on(Line::CentreX)[0], TRect::bounds(45, 20, 30, 10));
    EXPECT_EQ(on(Line::CentreY)[0], TRect::bounds(10, 20, 30, 10));
    EXPECT_EQ(on(Line::CentreY)[2], TRect::bounds(0, 23, 5, 5));
    for (Line line : {Line::Left, Line::Right, Line::Top, Line::Bottom, Line::CentreX, Line::CentreY})
        EXPECT_EQ(on(line)[1], boxes[1]);
    EXPECT_EQ(pass_arrange::aligned(boxes, 7, Line::Left), boxes); // no anchor: nothing moves
}

TEST(PassArrange, SpreadsWithEqualGapsBetweenTheOuterTwo) {
    // Given out of order; along x they are 0-10, 12-32, 40-45 and 90-100: 100 wide, 45 of boxes.
    const std::vector<TRect> boxes = {TRect::bounds(40, 0, 5, 5), TRect::bounds(0, 3, 10, 5),
                                      TRect::bounds(90, 7, 10, 5), TRect::bounds(12, 1, 20, 5)};
    const std::vector<TRect> spread = pass_arrange::distributed(boxes, Axis::Horizontal);
    EXPECT_EQ(spread[1], boxes[1]);
    EXPECT_EQ(spread[2], boxes[2]);
    // 55 pixels of gaps in three, 18.3 each: 18, 19 and 18 whole pixels.
    EXPECT_EQ(spread[3], TRect::bounds(28, 1, 20, 5));
    EXPECT_EQ(spread[0], TRect::bounds(67, 0, 5, 5));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(spread[i].Width(), boxes[i].Width());
        EXPECT_EQ(spread[i].Top, boxes[i].Top);
    }
    const std::vector<TRect> down = pass_arrange::distributed(
        {TRect::bounds(0, 0, 5, 10), TRect::bounds(3, 11, 5, 10), TRect::bounds(6, 60, 5, 10)}, Axis::Vertical);
    EXPECT_EQ(down[1], TRect::bounds(3, 30, 5, 10));
    const std::vector<TRect> two = {TRect::bounds(0, 0, 5, 5), TRect::bounds(50, 0, 5, 5)};
    EXPECT_EQ(pass_arrange::distributed(two, Axis::Horizontal), two);
}

TEST(PassArrange, MillimetresAndPixels) {
    EXPECT_DOUBLE_EQ(pass_arrange::toMillimetres(96, 96), 25.4);
    EXPECT_NEAR(pass_arrange::toMillimetres(376, 96), 99.4833, 1e-4);
    EXPECT_DOUBLE_EQ(pass_arrange::toMillimetres(300, 300), 25.4);
    EXPECT_EQ(pass_arrange::toPixels(10.0, 96), 38); // 37.8
    EXPECT_EQ(pass_arrange::toPixels(85.6, 96), 324); // a card's width, 323.5 rounded up
    EXPECT_EQ(pass_arrange::toPixels(-2.0, 96), -8); // 7.56 left of the window
    for (int px : {0, 1, 13, 48, 376, 1000})
        EXPECT_EQ(pass_arrange::toPixels(pass_arrange::toMillimetres(px, 96), 96), px);
}

TEST(PassArrange, ThePhotosFrameIsTheSmallestVisibleOneAroundIt) {
    TPassDesign design;
    design.LoadStandardLayout();
    EXPECT_EQ(pass_arrange::frameAround(design, design.Image11->BoundsRect()), design.Ramka1);
    design.Ramka1->setVisible(false);
    EXPECT_EQ(pass_arrange::frameAround(design, design.Image11->BoundsRect()), nullptr);
    design.Ramka1->setVisible(true);
    design.Ramka2->setBoundsRect(TRect::bounds(0, 0, 200, 150));
    design.Ramka2->setVisible(true);
    EXPECT_EQ(pass_arrange::frameAround(design, design.Image11->BoundsRect()), design.Ramka1);
    // Moved 5 right and made 10 taller at the bottom: the frame keeps its margins.
    EXPECT_EQ(pass_arrange::followed(TRect::bounds(24, 40, 65, 76), TRect::bounds(32, 48, 48, 60),
                                     TRect::bounds(37, 48, 48, 70)),
              TRect::bounds(29, 40, 65, 86));
}

namespace {

struct PassMenu : ::testing::Test {
    TForm1 form;
    PassMenu() {
        form.ShowCentred();
        QCoreApplication::processEvents();
        form.history().restart();
    }
    TSizeControl& sizer() { return *form.SizeControl1; }
};

} // namespace

TEST_F(PassMenu, TheRightButtonPicksWithoutADragAndNaSpodIsOneStep) {
    const std::vector<QString> order = stackingOrder(form);
    QTest::mousePress(&form, Qt::RightButton, {}, QPoint(200, 12)); // on lblNazwisko
    QCoreApplication::processEvents();
    EXPECT_EQ(sizer().Target(), form.lblNazwisko);
    EXPECT_EQ(sizer().dragMode(), TDragMode::None);
    EXPECT_TRUE(form.contextMenu().menu().isVisible());
    EXPECT_TRUE(form.contextMenu().NaSpod1->isEnabled());
    form.contextMenu().menu().close();
    const QByteArray before = pass_template::writeFile(form);

    form.contextMenu().NaSpod1->trigger();
    EXPECT_EQ(stackingOrder(form).front(), QStringLiteral("lblNazwisko"));
    EXPECT_EQ(form.history().steps(), 1);
    form.contextMenu().NaWierzch1->trigger();
    EXPECT_EQ(stackingOrder(form).back(), QStringLiteral("lblNazwisko"));
    // Saved and read back, the order holds: it is the order of the template's elements.
    TPassDesign copy;
    pass_template::loadFile(copy, pass_template::writeFile(form));
    EXPECT_EQ(stackingOrder(copy), stackingOrder(form));

    form.undoDesign();
    form.undoDesign();
    EXPECT_EQ(stackingOrder(form), order);
    EXPECT_EQ(pass_template::writeFile(form), before);

    // On bare ground the menu is about nothing: no stacking to change.
    QTest::mousePress(&form, Qt::RightButton, {}, QPoint(300, 170));
    EXPECT_EQ(sizer().Target(), nullptr);
    form.contextMenu().menu().close();
    form.contextMenu().openFor(nullptr, form.mapToGlobal(QPoint(300, 170)));
    EXPECT_FALSE(form.contextMenu().NaWierzch1->isEnabled());
    form.contextMenu().menu().close();
}

TEST_F(PassMenu, AnElementDroppedOntoAnotherKeepsItsPlaceInTheStack) {
    const std::vector<QString> order = stackingOrder(form);
    ASSERT_LT(indexIn(order, "lblImie"), indexIn(order, "lblNazwisko"));
    // lblImie (96, 8) is dragged onto lblNazwisko (192, 8): it stays beneath it.
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(100, 12));
    QCoreApplication::processEvents();
    ASSERT_EQ(sizer().Target(), form.lblImie);
    QTest::mouseMove(&sizer(), QPoint(104, 4));
    QTest::mouseRelease(&sizer(), Qt::LeftButton, {}, QPoint(104, 4));
    ASSERT_EQ(form.lblImie->Left(), 196);
    EXPECT_EQ(stackingOrder(form), order);
    EXPECT_EQ(form.controlAt(QPoint(200, 12)), form.lblNazwisko); // the one that showed still shows
}

// Dropped onto an element that was below it, an element goes under it: what
// showed still shows. A move onto nothing changes no order.
TEST_F(PassMenu, AnElementDroppedOverAShownOneGoesUnderIt) {
    const std::vector<QString> order = stackingOrder(form);
    for (TControl* element : form.client().Controls()) {
        element->setLeft(element->Left() + 1);
        EXPECT_FALSE(pass_arrange::keepCoveredShown(*element)) << element->Name().toStdString();
        element->setLeft(element->Left() - 1);
    }
    EXPECT_EQ(stackingOrder(form), order);
    // lblNazwisko (192, 8) is dragged onto lblImie (96, 8), which lies beneath it.
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(200, 12));
    QCoreApplication::processEvents();
    ASSERT_EQ(sizer().Target(), form.lblNazwisko);
    QTest::mouseMove(&sizer(), QPoint(-84, 4));
    QTest::mouseRelease(&sizer(), Qt::LeftButton, {}, QPoint(-84, 4));
    ASSERT_EQ(form.lblNazwisko->Left(), 100);
    const std::vector<QString> after = stackingOrder(form);
    EXPECT_EQ(indexIn(after, "lblNazwisko") + 1, indexIn(after, "lblImie"));
    EXPECT_EQ(form.controlAt(QPoint(100, 12)), form.lblImie);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.history().steps(), 1); // the move and the order: one step
}

TEST_F(PassMenu, ShiftClickAddsToThePickWhichLinesUpOnTheLastAsOneStep) {
    const auto click = [this](QPoint at, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(&form, Qt::LeftButton, mods, at);
        QCoreApplication::processEvents();
        QTest::mouseRelease(&sizer(), Qt::LeftButton, mods, sizer().mapFrom(&form, at));
        QCoreApplication::processEvents();
    };
    click({100, 12});                          // lblImie
    click({180, 60}, Qt::ShiftModifier);       // lblPriorytet
    click({30, 124}, Qt::ShiftModifier);       // lblTelefon1
    const std::vector<TControl*> picked = {form.lblImie, form.lblPriorytet, form.lblTelefon1};
    ASSERT_EQ(form.pick().elements(), picked);
    EXPECT_EQ(sizer().Target(), form.lblTelefon1);
    // The others are marked in the sizer's colour at their corners; unpicked ones are not.
    const QImage shown = form.grab().toImage();
    EXPECT_EQ(shown.pixel(96, 8), toQColor(sizer().Color()).rgb());
    EXPECT_NE(shown.pixel(192, 8), toQColor(sizer().Color()).rgb());

    QList<QAction*> items = form.contextMenu().Wyrownaj1->actions();
    items.removeIf([](QAction* a) { return a->isSeparator(); });
    ASSERT_EQ(items.size(), 8);
    items[0]->trigger(); // Do lewej
    for (const TControl* element : picked)
        EXPECT_EQ(element->Left(), 24);
    EXPECT_EQ(form.history().steps(), 1);
    items[7]->trigger(); // Rozłóż w pionie: 8, 56 and 120 with 13 high boxes, gaps of 35 and 51 become 43
    EXPECT_EQ(form.lblPriorytet->Top(), 64);
    EXPECT_EQ(form.history().steps(), 2);
    form.undoDesign();
    form.undoDesign();
    EXPECT_EQ(form.lblImie->Left(), 96);
    EXPECT_EQ(form.lblPriorytet->BoundsRect(), TRect::bounds(176, 56, 65, 13));
    // The pick survives undo, on the elements it brought back.
    EXPECT_EQ(form.pick().elements(), (std::vector<TControl*>{form.lblImie, form.lblPriorytet, form.lblTelefon1}));

    click({180, 60}, Qt::ShiftModifier); // taken out again
    EXPECT_EQ(form.pick().elements(), (std::vector<TControl*>{form.lblImie, form.lblTelefon1}));
    click({200, 12}); // a click without Shift picks one alone
    EXPECT_EQ(form.pick().elements(), std::vector<TControl*>{form.lblNazwisko});
}

TEST_F(PassMenu, ThePhotoLinkedToItsFrameTakesItAlongInTheSameStep) {
    form.contextMenu().PolaczZRamka1->setChecked(true);
    ASSERT_TRUE(form.photoLinked());
    // The photo (32, 48) dragged 10 right and 4 down.
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(50, 70));
    QCoreApplication::processEvents();
    ASSERT_EQ(sizer().Target(), form.Image11);
    QTest::mouseMove(&sizer(), QPoint(28, 26));
    QTest::mouseRelease(&sizer(), Qt::LeftButton, {}, QPoint(28, 26));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Image11->BoundsRect(), TRect::bounds(42, 52, 48, 60));
    EXPECT_EQ(form.Ramka1->BoundsRect(), TRect::bounds(34, 44, 65, 76));
    EXPECT_EQ(form.history().steps(), 1);
    // Sizing the frame sizes the photo, margins kept.
    form.Ramka1->setBoundsRect(TRect::bounds(34, 44, 75, 76));
    form.history().checkpoint();
    EXPECT_EQ(form.Image11->BoundsRect(), TRect::bounds(42, 52, 58, 60));
    form.undoDesign();
    form.undoDesign();
    EXPECT_EQ(form.Image11->BoundsRect(), TRect::bounds(32, 48, 48, 60));
    EXPECT_EQ(form.Ramka1->BoundsRect(), TRect::bounds(24, 40, 65, 76));
    // Unlinked, each goes alone.
    form.contextMenu().PolaczZRamka1->setChecked(false);
    form.Image11->setLeft(20);
    form.history().checkpoint();
    EXPECT_EQ(form.Ramka1->Left(), 24);
}

TEST_F(PassMenu, PositionAndSizeAreTypedInPixelsOrMillimetresAndApplyAsOneStep) {
    TFPolozenie dialog(QStringLiteral("lblImie"), form.lblImie->BoundsRect(), 96);
    EXPECT_DOUBLE_EQ(dialog.Milimetry[2]->value(), 8.73); // 33 px
    dialog.Milimetry[2]->clear();
    QTest::keyClicks(dialog.Milimetry[2], QStringLiteral("10"));
    EXPECT_EQ(dialog.Piksele[2]->value(), 38);
    EXPECT_DOUBLE_EQ(dialog.Milimetry[2]->value(), 10.0); // as typed, not what 38 px would be
    dialog.Piksele[0]->setValue(48);
    EXPECT_DOUBLE_EQ(dialog.Milimetry[0]->value(), 12.7);
    dialog.Piksele[1]->setValue(-5); // partly off the pass is allowed
    EXPECT_EQ(dialog.bounds(), TRect::bounds(48, -5, 38, 13));
    TFPolozenie fine(QStringLiteral("x"), TRect::bounds(0, 0, 300, 10), 300);
    EXPECT_DOUBLE_EQ(fine.Milimetry[2]->value(), 25.4);

    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(100, 12));
    QCoreApplication::processEvents();
    QTest::mouseRelease(&sizer(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_EQ(sizer().Target(), form.lblImie);
    applyPositionAndSize(form, *form.lblImie, dialog.bounds());
    EXPECT_EQ(form.lblImie->BoundsRect(), TRect::bounds(48, -5, 38, 13));
    EXPECT_EQ(sizer().geometry(), QRect(48, -5, 38, 13));
    EXPECT_EQ(form.history().steps(), 1);
    form.undoDesign();
    EXPECT_EQ(form.lblImie->BoundsRect(), TRect::bounds(96, 8, 33, 13));
    EXPECT_EQ(sizer().geometry(), QRect(96, 8, 33, 13));
}

TEST_F(PassMenu, PickedElementsMoveTogetherByMouseAndKeysAsOneStepEach) {
    const auto click = [this](QPoint at, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(&form, Qt::LeftButton, mods, at);
        QCoreApplication::processEvents();
        QTest::mouseRelease(&sizer(), Qt::LeftButton, mods, sizer().mapFrom(&form, at));
        QCoreApplication::processEvents();
    };
    click({100, 12});                    // lblImie (96, 8)
    click({180, 60}, Qt::ShiftModifier); // lblPriorytet (176, 56), the anchor
    ASSERT_EQ(sizer().Target(), form.lblPriorytet);
    form.history().restart();
    const TRect imie = form.lblImie->BoundsRect(), priorytet = form.lblPriorytet->BoundsRect();
    const TRect unpicked = form.lblNazwisko->BoundsRect();

    // Dragged 10 right and 20 down; Shift let go half way.
    QTest::mousePress(&sizer(), Qt::LeftButton, {}, QPoint(4, 4));
    QCoreApplication::processEvents();
    QTest::mouseMove(&sizer(), QPoint(9, 14));
    QTest::keyRelease(&sizer(), Qt::Key_Shift);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.lblImie->BoundsRect(), imie.translated(5, 10)); // goes along while dragged
    QTest::mouseMove(&sizer(), QPoint(14, 24));
    QTest::mouseRelease(&sizer(), Qt::LeftButton, {}, QPoint(14, 24));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.lblPriorytet->BoundsRect(), priorytet.translated(10, 20));
    EXPECT_EQ(form.lblImie->BoundsRect(), imie.translated(10, 20));
    EXPECT_EQ(form.lblNazwisko->BoundsRect(), unpicked);
    EXPECT_EQ(form.history().steps(), 1);
    form.undoDesign();
    EXPECT_EQ(form.lblImie->BoundsRect(), imie);
    EXPECT_EQ(form.lblPriorytet->BoundsRect(), priorytet);
    form.redoDesign();
    EXPECT_EQ(form.lblImie->BoundsRect(), imie.translated(10, 20));
    form.undoDesign();

    // The keys move both, a press at a time; Shift with them sizes the anchor only.
    ASSERT_EQ(form.pick().elements(), (std::vector<TControl*>{form.lblImie, form.lblPriorytet}));
    sizer().setFocus();
    for (const auto& [key, mods] : {std::pair{Qt::Key_Right, Qt::NoModifier}, {Qt::Key_Up, Qt::NoModifier},
                                    {Qt::Key_Right, Qt::NoModifier}, {Qt::Key_Down, Qt::ShiftModifier}}) {
        QTest::keyClick(&sizer(), key, mods);
        QCoreApplication::processEvents(); // each key let go is a step
    }
    EXPECT_EQ(form.lblImie->BoundsRect(), imie.translated(2, -1));
    EXPECT_EQ(form.lblPriorytet->BoundsRect(), TRect::bounds(178, 55, 65, 14));
    form.undoDesign();
    form.undoDesign();
    EXPECT_EQ(form.lblImie->BoundsRect(), imie.translated(1, -1));

    // A drag may start on the marked one: all go; a click on it without Shift picks it alone.
    const TRect before = form.lblPriorytet->BoundsRect();
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(form.lblImie->Left() + 8, form.lblImie->Top() + 6));
    QCoreApplication::processEvents();
    ASSERT_EQ(sizer().Target(), form.lblImie);
    QTest::mouseMove(&sizer(), QPoint(11, 6));
    QTest::mouseRelease(&sizer(), Qt::LeftButton, {}, QPoint(11, 6));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.lblPriorytet->BoundsRect(), before.translated(3, 0));
    EXPECT_EQ(form.pick().elements().size(), 2u);
    click(QPoint(form.lblPriorytet->Left() + 4, form.lblPriorytet->Top() + 4));
    EXPECT_EQ(form.pick().elements(), std::vector<TControl*>{form.lblPriorytet});
}
