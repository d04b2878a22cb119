#include "core/exception.h"
#include "platform/application.h"
#include "platform/error_handler.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(ErrorHandler, AFailedCommandIsShownAndTheProgramGoesOn) {
    ScriptedDialogs dialogs;
    const ErrorHandler errors(dialogs);
    bool after = false;
    errors.guard([] { throw Exception(QString::fromUtf8("Błąd zapisu")); });
    errors.guard([] { throw std::runtime_error("disk full"); });
    errors.guard([] { throw 42; });
    errors.guard([&] { after = true; });
    EXPECT_TRUE(after);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Błąd zapisu"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Wendolarka"));
    EXPECT_EQ(dialogs.messages[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(dialogs.messages[0].buttons, static_cast<TMsgDlgButtons>(mbOK));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("disk full"));
    EXPECT_EQ(dialogs.messages[2].text, QStringLiteral("Nieznany błąd."));
}

namespace {
class ThrowingWidget : public QWidget {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw Exception(QStringLiteral("z obsługi zdarzenia"));
        return QWidget::event(e);
    }
};
} // namespace

TEST(ErrorHandler, NothingThrownByAnEventHandlerLeavesTheEventLoop) {
    ScriptedDialogs dialogs;
    const ErrorHandler errors(dialogs);
    auto* app = qobject_cast<TApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    app->setErrorHandler(&errors);
    ThrowingWidget widget;
    QEvent event(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&widget, &event));
    QCoreApplication::postEvent(&widget, new QEvent(QEvent::User));
    EXPECT_NO_THROW(QCoreApplication::processEvents());
    app->setErrorHandler(nullptr);
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({QStringLiteral("z obsługi zdarzenia"), QStringLiteral("z obsługi zdarzenia")}));
}
