#include "widgets/color_panel.h"
#include "core/cp1250_validator.h"
#include "widgets/font_dialog.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
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

TEST(FontDialog, OpensOnTheGivenFontAndOkWithoutChangesChangesNothing) {
    for (TFontStyles style : {TFontStyles{0}, TFontStyles{fsBold}, TFontStyles{fsItalic},
                              TFontStyles{fsBold | fsItalic | fsUnderline}}) {
        TFont initial(QStringLiteral("Arial Black"), 10, style, clRed, EASTEUROPE_CHARSET);
        initial.setHeight(-13);
        TFontDialog dialog(initial);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Czcionka"));
        EXPECT_EQ(dialog.lstNazwa->currentItem()->text(), QStringLiteral("Arial Black"));
        EXPECT_EQ(dialog.lstStyl->currentRow(), ((style & fsBold) ? 1 : 0) + ((style & fsItalic) ? 2 : 0));
        EXPECT_EQ(dialog.cbKolor->currentText(), QStringLiteral("Czerwony"));
        EXPECT_EQ(dialog.chPodkreslenie->isChecked(), (style & fsUnderline) != 0);
        EXPECT_EQ(dialog.selectedFont(), initial);
    }
    // Colours beyond the sixteen and system colours are kept as they are.
    const TFont system(QStringLiteral("MS Sans Serif"), 8, 0, clWindowText, DEFAULT_CHARSET);
    TFontDialog keeps(system);
    EXPECT_EQ(keeps.cbKolor->currentText(), QStringLiteral("Własny"));
    EXPECT_EQ(keeps.selectedFont(), system);
}

TEST(FontDialog, ReturnsWhatTheUserChose) {
    TFontDialog dialog(TFont(QStringLiteral("Arial"), 8, 0, clBlack, EASTEUROPE_CHARSET));
    dialog.lstStyl->setCurrentRow(3);
    dialog.edRozmiar->setText(QStringLiteral("14"));
    dialog.chPrzekreslenie->setChecked(true);
    dialog.cbKolor->setCurrentIndex(dialog.cbKolor->findText(QStringLiteral("Niebieski")));
    dialog.cbSkrypt->setCurrentIndex(dialog.cbSkrypt->findData(0));
    const TFont chosen = dialog.selectedFont();
    EXPECT_EQ(chosen.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(chosen.Style(), fsBold | fsItalic | fsStrikeOut);
    EXPECT_EQ(chosen.Size(), 14);
    EXPECT_EQ(chosen.Color(), clBlue);
    EXPECT_EQ(chosen.Charset(), ANSI_CHARSET);
    EXPECT_EQ(dialog.lstRozmiar->currentItem()->text(), QStringLiteral("14"));
    EXPECT_TRUE(dialog.lstRozmiar->currentItem()->isSelected());
    // A size the list lacks highlights none of it; typing on to one it has highlights that.
    dialog.edRozmiar->setText(QStringLiteral("13"));
    EXPECT_TRUE(dialog.lstRozmiar->selectedItems().isEmpty());
    dialog.edRozmiar->setText(QStringLiteral("1"));
    dialog.edRozmiar->setText(QStringLiteral("12"));
    ASSERT_EQ(dialog.lstRozmiar->selectedItems().size(), 1);
    EXPECT_EQ(dialog.lstRozmiar->selectedItems().front()->text(), QStringLiteral("12"));
    EXPECT_EQ(dialog.selectedFont().Size(), 12);
}

TEST(Cp1250Validator, RefusesWhatTheCodePageCannotHold) {
    TCp1250Validator validator;
    int pos = 0;
    QString polish = QString::fromUtf8("Zażółć gęślą jaźń „cytat” – €");
    EXPECT_EQ(validator.validate(polish, pos), QValidator::Acceptable);
    QString cyrillic = QString::fromUtf8("Жук");
    EXPECT_EQ(validator.validate(cyrillic, pos), QValidator::Invalid);
    QLineEdit edit;
    edit.setValidator(&validator);
    for (const QString& typed : {QString::fromUtf8("Ł"), QString::fromUtf8("ó"), QString::fromUtf8("日"),
                                 QString::fromUtf8("d"), QString::fromUtf8("ź")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.text(), QString::fromUtf8("Łódź"));
}
