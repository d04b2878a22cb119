#include "core/picture.h"
#include "persons/record_edit_window.h"
#include "platform/desktop.h"
#include "support/error_text.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

void type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &key);
    }
}

} // namespace

TEST(RecordEditWindow, LaidOutAsTheStoredWindowAndPlacedAboveTheMainWindow) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Edycja rekordu"));
    EXPECT_EQ(window.lblBaza->text(), QStringLiteral("brak"));
    EXPECT_EQ(window.lblRekordy->text(), QStringLiteral("00"));
    EXPECT_EQ(window.edNazwisko->geometry(), QRect(256, 122, 177, 21));
    EXPECT_EQ(window.edUsluga2->geometry(), QRect(80, 426, 353, 21));
    EXPECT_EQ(window.bitZeruj->geometry(), QRect(216, 224, 217, 25));
    EXPECT_EQ(window.btnZamknij->geometry(), QRect(320, 8, 82, 25));
    EXPECT_EQ(window.bitDelete->toolTip(), QStringLiteral("Usuwa widoczny rekord"));
    EXPECT_FALSE(window.edID->isVisibleTo(&window));
    EXPECT_TRUE(window.edID->isReadOnly());
    EXPECT_EQ(window.placeholder().Graphic()->ClassName(), QStringLiteral("TJPEGImage"));
    EXPECT_EQ(window.placeholder().Width(), 3);

    EXPECT_EQ(TFEdycja::placement(QRect(0, 0, 1920, 1080), 239), QPoint(1368, 193));
    FixedDesktop desktop(QRect(0, 0, 1280, 1024));
    window.setPlacement(&desktop, 239);
    window.show();
    EXPECT_EQ(window.pos(), QPoint(1280 - 482 - 70, 1024 - 548 - 239 - 100));
}

TEST(RecordEditWindow, TypingTurnsDoubleQuotesIntoSingleOnesAndRefusesForeignLetters) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    for (QLineEdit* edit : window.textEdits()) {
        type(edit, QString::fromUtf8("„A\"b\"Ж ł"));
        EXPECT_EQ(edit->text(), QString::fromUtf8("„A'b' ł")) << edit->objectName().toStdString();
    }
}

TEST(RecordEditWindow, PhotoButtonsAndClearing) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    QTemporaryDir dir;
    QImage image(200, 300, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString jpg = dir.filePath(QStringLiteral("duze.JPG"));
    TPicture(TJPEGImage::fromImage(image)).SaveToFile(jpg);

    dialogs.openAnswers.push_back(FileDialogResult{jpg, 1});
    window.btnFotoClick();
    EXPECT_EQ(dialogs.openRequests.back().title, QStringLiteral("Pobranie pliku graficznego dla bazy"));
    EXPECT_TRUE(dialogs.openRequests.back().filter.isEmpty());
    EXPECT_EQ(window.photo().Width(), 200);
    EXPECT_EQ(window.Image1->size(), QSize(200, 300)); // bigger than the box: it scrolls
    EXPECT_TRUE(window.photoChangedByUser());

    const QString gif = dir.filePath(QStringLiteral("x.gif"));
    dialogs.openAnswers.push_back(FileDialogResult{gif, 1});
    EXPECT_EQ(errorOf([&] { window.btnFotoClick(); }), QStringLiteral("Unknown picture file extension (.gif)"));
    EXPECT_EQ(window.photo().Width(), 200);

    window.btnUsuwaClick(); // Esc: Cancel
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Usunąć to zdjęcie z bazy?"));
    EXPECT_EQ(dialogs.messages.back().buttons, mbOK | mbCancel);
    EXPECT_EQ(window.photo().Width(), 200);
    dialogs.messageAnswers.push_back(mrOk);
    window.btnUsuwaClick();
    EXPECT_EQ(window.photo().Width(), 3);

    window.edImie->setText(QStringLiteral("Ala"));
    window.edID->setText(QStringLiteral("42"));
    window.btnZerujClick();
    for (const QString& text : window.texts())
        EXPECT_EQ(text, QStringLiteral(" "));
    EXPECT_EQ(window.edID->text(), QStringLiteral("42"));
    EXPECT_EQ(window.photoToStore().Graphic()->fileData(), window.placeholder().Graphic()->fileData());
}

TEST(RecordEditWindow, TheRecordButtonsRunTheMainWindowsCommands) {
    struct Log : IRecordCommands {
        QStringList calls;
        void mnuDodajRekordClick() override { calls << QStringLiteral("add"); }
        void mnuWstawRekordClick() override { calls << QStringLiteral("overwrite"); }
        void mnuDeleteRekordClick() override { calls << QStringLiteral("delete"); }
        void mnuPierwszyClick() override { calls << QStringLiteral("first"); }
        void mnuPoprzedniClick() override { calls << QStringLiteral("previous"); }
        void mnuNastepnyClick() override { calls << QStringLiteral("next"); }
        void mnuOstatniClick() override { calls << QStringLiteral("last"); }
    } log;
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    window.setCommands(&log);
    for (QPushButton* b : {window.bitDodaj, window.btnWstaw, window.bitDelete, window.bitPierwszy,
                           window.bitPoprzedni, window.bitNastepny, window.bitOstatni})
        b->click();
    EXPECT_EQ(log.calls, QStringList({QStringLiteral("add"), QStringLiteral("overwrite"), QStringLiteral("delete"),
                                      QStringLiteral("first"), QStringLiteral("previous"), QStringLiteral("next"),
                                      QStringLiteral("last")}));
    window.show();
    window.btnZamknij->click();
    EXPECT_FALSE(window.isVisible());
}

TEST(RecordEditWindow, TypingIntoAClearedFieldReplacesItsBlank) {
    ScriptedDialogs dialogs;
    TFEdycja editor(dialogs);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    editor.btnZerujClick();
    QTest::mouseClick(editor.edNazwisko, Qt::LeftButton, {}, QPoint(30, 5));
    QCoreApplication::processEvents();
    QTest::keyClicks(editor.edNazwisko, QStringLiteral("Kowalski"));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Kowalski"));
    // A box holding more than the blank is entered as it always was.
    editor.edImie->setText(QStringLiteral("Jan"));
    QTest::mouseClick(editor.edImie, Qt::LeftButton, {}, QPoint(60, 5));
    QCoreApplication::processEvents();
    QTest::keyClicks(editor.edImie, QStringLiteral("ek"));
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Janek"));
    // What is stored has no surrounding blanks, and a blank for none.
    EXPECT_EQ(storedPersonText(QStringLiteral("  Nowak ")), QStringLiteral("Nowak"));
    EXPECT_EQ(storedPersonText(QString()), QStringLiteral(" "));
    EXPECT_EQ(storedPersonText(QStringLiteral("   ")), QStringLiteral(" "));
}
