#include "widgets/color_panel.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(RadioGroup, ClickFollowsEveryChangeOfTheChoiceAndOnlyChanges) {
    TRadioGroup group;
    group.setColumns(3);
    group.setItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    int clicks = 0;
    QObject::connect(&group, &TRadioGroup::Click, [&] { ++clicks; });
    group.setItemIndex(2);
    group.setItemIndex(2);
    EXPECT_EQ(clicks, 1);
    group.resize(300, 100);
    group.show();
    QTest::mouseClick(group.button(0), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(clicks, 2);
    QTest::mouseClick(group.button(0), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(group.button(0)->isChecked());
    EXPECT_FALSE(group.button(2)->isChecked());
}

TEST(SpinEdit, ValueIsTheTextReadAsANumberAndEveryTextChangeIsReported) {
    TSpinEdit spin;
    spin.setValue(2);
    int changes = 0;
    QObject::connect(&spin, &TSpinEdit::Change, [&] { ++changes; });
    spin.setValue(-7);
    EXPECT_EQ(spin.Value(), -7);
    EXPECT_EQ(changes, 1);
    QLineEdit* edit = spin.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->clear();
    EXPECT_EQ(spin.Value(), 0);
    QTest::keyClicks(edit, QStringLiteral("-"));
    EXPECT_EQ(spin.Value(), 0);
    QTest::keyClicks(edit, QStringLiteral("12"));
    EXPECT_EQ(spin.Value(), -12);
    EXPECT_EQ(changes, 5);
    spin.setValue(100000);
    EXPECT_EQ(spin.Value(), 100000);
}

TEST(ColorPanel, ShowsItsColour) {
    TColorPanel panel(clBlue);
    panel.setColor(clTeal);
    EXPECT_EQ(panel.Color(), clTeal);
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(0, 128, 128));
}
