#include "core/exception.h"
#include "help/help_window.h"
#include "platform/error_handler.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

QString shippedHelpFile() { return QStringLiteral(HELP_FILE); }

} // namespace

TEST(HelpWindow, WithoutTheFileTheBuiltInMessageStays) {
    QTemporaryDir dir;
    TFhelp help;
    help.setHelpFiles({dir.filePath(QStringLiteral("wendolarka.rtf"))});
    help.resize(760, 440);
    help.FormShow();
    EXPECT_TRUE(help.loadedFile().isEmpty());
    EXPECT_EQ(help.RichEdit1->toPlainText(),
              QString::fromUtf8(" \n                 Nie widzę  w katalogu programu pliku pomocy - ''wendolarka.rtf''.\n\n"
                                "                                           Proszę dostarczyć mi ten plik!"));
    EXPECT_TRUE(help.RichEdit1->isReadOnly());
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Plik pomocy"));
}

TEST(HelpWindow, TheShippedFileShowsFormattedPolishTextAndAResizeStartsItAgain) {
    ASSERT_TRUE(QFile::exists(shippedHelpFile()));
    TFhelp help;
    help.setHelpFiles({QStringLiteral("/nonexistent/wendolarka.rtf"), shippedHelpFile()});
    help.resize(744, 415);
    help.show();
    EXPECT_EQ(help.loadedFile(), shippedHelpFile());
    const QString text = help.RichEdit1->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Wendolarka")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Znajdź frazę")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("przepustk")));
    EXPECT_FALSE(text.contains(QStringLiteral("\\'"))); // every escape decoded
    // Some text is bold: the headings.
    bool bold = false;
    for (QTextBlock block = help.RichEdit1->document()->begin(); block.isValid() && !bold; block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().fontWeight() >= QFont::Bold && it.fragment().text().trimmed().size() > 3)
                bold = true;
    EXPECT_TRUE(bold);

    QScrollBar* bar = help.RichEdit1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    help.resize(700, 400);
    EXPECT_EQ(bar->value(), 0);

    QTest::keyClick(help.RichEdit1, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
    EXPECT_EQ(help.result(), QDialog::Accepted);
}

TEST(HelpWindow, ABadFileIsReportedOnceAndTheViewKeepsItsText) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wendolarka.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("To nie jest RTF");
    file.close();
    ScriptedDialogs dialogs;
    ErrorHandler errors(dialogs);
    TFhelp help;
    help.setErrorHandler(&errors);
    help.setHelpFiles({path});
    help.show();
    help.resize(700, 400);
    help.resize(650, 380);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().text, QStringLiteral("Plik pomocy nie jest poprawnym plikiem RTF."));
    EXPECT_TRUE(help.RichEdit1->toPlainText().contains(QStringLiteral("Proszę dostarczyć mi ten plik!")));
}

TEST(HelpWindow, ACutOffFileShowsItsBeginningAndIsReportedOnce) {
    QFile shipped(shippedHelpFile());
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray whole = shipped.readAll();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wendolarka.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(whole.left(whole.size() / 2)); // groups left open at the end
    file.close();
    ScriptedDialogs dialogs;
    ErrorHandler errors(dialogs);
    TFhelp help;
    help.setErrorHandler(&errors);
    help.setHelpFiles({path});
    help.show();
    help.resize(700, 400); // every resize reads the file again
    help.resize(650, 380);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().text,
              QString::fromUtf8("Plik pomocy %1 jest uszkodzony: urywa się przed końcem.").arg(path));
    EXPECT_EQ(help.loadedFile(), path);
    EXPECT_TRUE(help.RichEdit1->toPlainText().contains(QString::fromUtf8("Spis treści")));
    EXPECT_EQ(help.RichEdit1->textCursor().position(), 0);
}
