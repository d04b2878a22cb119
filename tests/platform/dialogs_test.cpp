#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(Dialogs, FiltersBecomeNamedFiltersOncePerEntry) {
    // Extensions match in either letter case; "*.*" is every file, with or without a dot.
    EXPECT_EQ(toNameFilters(QStringLiteral("Bazy danych|*.db|Wszystkie pliki|*.*")),
              QStringList({QStringLiteral("Bazy danych (*.db *.DB)"), QStringLiteral("Wszystkie pliki (*)")}));
    EXPECT_EQ(toNameFilters(QStringLiteral("Obrazy (*.jpg;*.bmp)|*.jpg;*.bmp")),
              QStringList({QStringLiteral("Obrazy (*.jpg;*.bmp) (*.jpg *.JPG *.bmp *.BMP)")}));
    EXPECT_EQ(toNameFilters(QStringLiteral("Wzorce (*.wzo *.WZO)|*.wzo")),
              QStringList({QStringLiteral("Wzorce (*.wzo *.WZO)")}));
    EXPECT_TRUE(toNameFilters(QString()).isEmpty());
}

TEST(Dialogs, TypedBoxesCarryThePlatformTitlesAndEscAnswersCancelOrNo) {
    ScriptedDialogs dialogs;
    EXPECT_EQ(dialogs.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(dialogs.MessageDlg(QStringLiteral("?"), TMsgDlgType::mtConfirmation,
                                 mbYes | mbNo | mbCancel),
              mrCancel);
    dialogs.messageAnswers.push_back(mrYes);
    EXPECT_EQ(dialogs.MessageDlg(QStringLiteral("!"), TMsgDlgType::mtWarning, mbOK), mrYes);
    dialogs.ShowMessage(QStringLiteral("plain"));
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Confirm"));
    EXPECT_EQ(dialogs.messages[2].title, QStringLiteral("Warning"));
    EXPECT_EQ(dialogs.messages[3].title, QStringLiteral("Wendolarka"));
    EXPECT_TRUE(dialogs.messages[3].plain);
    EXPECT_EQ(messageDlgTitle(TMsgDlgType::mtError), QStringLiteral("Error"));
    EXPECT_EQ(messageDlgTitle(TMsgDlgType::mtInformation), QStringLiteral("Information"));
}
