#include "controls/image.h"
#include "controls/label.h"
#include "controls/multi_bevel.h"
#include "core/picture.h"
#include "controls/label_3d.h"
#include "designer/design_history.h"
#include "designer/fixed_elements_dialog.h"
#include "designer/pass_person.h"
#include "designer/pass_styling.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "sizer/size_control.h"
#include "support/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

TPicture photoOf(QRgb colour) {
    QImage image(48, 60, QImage::Format_RGB32);
    image.fill(colour);
    TImage holder;
    holder.setPicture(image);
    return holder.Picture();
}

TPersonTexts personNamed(const QString& first) {
    TPersonTexts texts;
    texts[1] = first;
    texts[2] = QStringLiteral("Nowak");
    return texts;
}

struct History : ::testing::Test {
    TForm1 form;
    History() {
        form.ShowCentred();
        QCoreApplication::processEvents();
        form.history().restart(); // as the commands that show a design do
    }
    void settle() { QCoreApplication::processEvents(); }
};

} // namespace

TEST_F(History, UndoAfterADragPutsTheElementBackToThePixelAndRedoMovesItAgain) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const QPoint windowAt = form.pos();
    // lblImie lies at 96, 8; pressed 4, 4 inside it and dragged 10 right, 20 down.
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(100, 12));
    settle();
    TSizeControl* sizer = form.SizeControl1.data();
    ASSERT_TRUE(sizer);
    ASSERT_EQ(sizer->Target(), form.lblImie);
    const QByteArray before = pass_template::writeFile(form);
    QTest::mouseMove(sizer, QPoint(14, 24));
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(14, 24));
    settle();
    ASSERT_EQ(form.lblImie->BoundsRect(), TRect::bounds(106, 28, 33, 13));
    EXPECT_EQ(form.history().steps(), 1);
    const QByteArray moved = pass_template::writeFile(form);

    QTest::keyClick(sizer, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(form.lblImie->BoundsRect(), TRect::bounds(96, 8, 33, 13));
    // Everything as before the drag, the pick and the window's place included.
    EXPECT_EQ(pass_template::writeFile(form), before);
    EXPECT_EQ(sizer->Target(), form.lblImie);
    EXPECT_EQ(sizer->geometry(), QRect(96, 8, 33, 13));
    EXPECT_EQ(form.pos(), windowAt);
    EXPECT_TRUE(form.Ponow1->isEnabled());
    EXPECT_FALSE(form.Cofnij1->isEnabled());

    QTest::keyClick(sizer, Qt::Key_Y, Qt::ControlModifier);
    settle();
    EXPECT_EQ(form.lblImie->BoundsRect(), TRect::bounds(106, 28, 33, 13));
    EXPECT_EQ(pass_template::writeFile(form), moved);
    EXPECT_EQ(form.history().steps(), 1);
}

TEST_F(History, UndoKeepsThePersonNowShownAndAPersonAloneIsNoStep) {
    showPersonOnPass(form, personNamed(QStringLiteral("Anna")), photoOf(qRgb(255, 0, 0)));
    form.history().checkpoint();
    EXPECT_EQ(form.history().steps(), 0); // another person is no change of the design

    setFrameWidth(form, 1, 7);
    form.history().checkpoint();
    ASSERT_EQ(form.history().steps(), 1);
    showPersonOnPass(form, personNamed(QString::fromUtf8("Bożena")), photoOf(qRgb(0, 0, 255)));
    form.history().checkpoint();
    EXPECT_EQ(form.history().steps(), 1);

    form.undoDesign();
    EXPECT_EQ(form.Ramka1->BorderWidth(), 3);
    EXPECT_EQ(form.lblImie->Caption(), QString::fromUtf8("Bożena"));
    EXPECT_EQ(form.Image11->Picture().image().pixel(10, 10), qRgb(0, 0, 255));
    form.redoDesign();
    EXPECT_EQ(form.Ramka1->BorderWidth(), 7);
    EXPECT_EQ(form.lblImie->Caption(), QString::fromUtf8("Bożena"));
    EXPECT_EQ(form.Image11->Picture().image().pixel(10, 10), qRgb(0, 0, 255));
}

TEST_F(History, AChangeAfterUndoEndsRedoAndRestartForgetsAll) {
    setFrameWidth(form, 2, 5);
    form.history().checkpoint();
    setElementVisible(form, QStringLiteral("Ramka2"), true);
    form.history().checkpoint();
    ASSERT_EQ(form.history().steps(), 2);
    form.undoDesign();
    EXPECT_FALSE(form.Ramka2->Visible());
    EXPECT_EQ(form.Ramka2->BorderWidth(), 5);
    // A change not yet kept is kept first, so undo takes that one back; showing Ramka2 is gone for good.
    setFrameWidth(form, 3, 9);
    form.undoDesign();
    EXPECT_EQ(form.Ramka3->BorderWidth(), 2);
    EXPECT_EQ(form.history().steps(), 2);
    form.undoDesign();
    EXPECT_EQ(form.Ramka2->BorderWidth(), 3);
    EXPECT_FALSE(form.history().canUndo());
    form.redoDesign();
    form.redoDesign();
    EXPECT_EQ(form.Ramka2->BorderWidth(), 5);
    EXPECT_EQ(form.Ramka3->BorderWidth(), 9);
    EXPECT_FALSE(form.Ramka2->Visible());
    EXPECT_FALSE(form.history().canRedo());

    form.undoDesign();
    form.history().restart();
    EXPECT_FALSE(form.history().canUndo());
    EXPECT_FALSE(form.history().canRedo());
    EXPECT_EQ(form.Ramka3->BorderWidth(), 2);
}

TEST_F(History, TheSizerFollowsNoElementThatIsGoneAndNoUndoRunsMidDrag) {
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(100, 12));
    settle();
    TSizeControl* sizer = form.SizeControl1.data();
    ASSERT_TRUE(sizer && sizer->Target() == form.lblImie);
    setFrameWidth(form, 1, 6);
    form.history().checkpoint();
    // Still dragging: the element under the pointer stays.
    ASSERT_EQ(sizer->dragMode(), TDragMode::Move);
    form.undoDesign();
    EXPECT_EQ(form.Ramka1->BorderWidth(), 6);
    QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(4, 4));
    settle();
    form.undoDesign();
    EXPECT_EQ(form.Ramka1->BorderWidth(), 3);
    EXPECT_EQ(sizer->Target(), form.lblImie);
}

TEST_F(History, WhatIsTypedIntoOneFieldInARowIsOneStepAndTheFixedElementsDialogFollowsUndo) {
    ScriptedDialogs dialogs;
    TFUkos fixed(dialogs);
    fixed.setPassWindow(&form);
    fixed.show();
    const QString caption = form.lbl1->Caption();
    const int shadow = form.lbl1->ShadowSize();
    fixed.edOpisu1->end(false);
    QTest::keyClicks(fixed.edOpisu1, QStringLiteral("Gosc"));
    settle();
    EXPECT_EQ(form.lbl1->Caption(), caption + QStringLiteral("Gosc"));
    QTest::keyClicks(fixed.SpinEdit1, QStringLiteral("3"));
    settle();
    EXPECT_EQ(form.history().steps(), 2); // the caption, then the shadow
    form.undoDesign();
    form.undoDesign();
    EXPECT_EQ(form.lbl1->Caption(), caption);
    EXPECT_EQ(fixed.edOpisu1->text(), caption);
    EXPECT_EQ(form.lbl1->ShadowSize(), shadow);
    EXPECT_EQ(fixed.SpinEdit1->Value(), shadow);
    // Typing again after an undo is a step of its own.
    QTest::keyClicks(fixed.edOpisu1, QStringLiteral("ab"));
    settle();
    form.undoDesign();
    EXPECT_EQ(form.lbl1->Caption(), caption);
    EXPECT_FALSE(form.history().canUndo());
}
