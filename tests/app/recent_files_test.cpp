#include "app/main_window.h"
#include "app/wendolarka_app.h"
#include "app/window_places.h"
#include "controls/label.h"
#include "database/person_table.h"
#include "designer/pass_window.h"
#include "persons/person_commands.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "platform/recent_places.h"
#include "support/scripted_dialogs.h"
#include "widgets/form_setup.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// One run of the program, remembering into settings of the test's own.
struct ProgramRun {
    explicit ProgramRun(const QString& ini) : settings(ini, QSettings::IniFormat) { main.setRecentPlaces(&recent); }
    QSettings settings;
    TRecentPlaces recent{settings};
    ScriptedDialogs dialogs;
    FixedDesktop desktop{QRect(0, 0, 1920, 1080)};
    ErrorHandler errors{dialogs};
    WendolarkaApp app{dialogs, desktop, errors};
    TForm2& main = *app.mainWindow();
    TForm1& pass = *app.windows().Form1;

    QStringList recentEntries() {
        main.refreshRecentItems();
        QStringList texts;
        for (QAction* item : main.OstatnieWzorce1->actions())
            texts << item->text();
        return texts;
    }
};

struct RecentFiles : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("ustawienia.ini"));
    QString file(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(RecentFiles, TemplatesSavedAndOpenedAreOfferedAndAVanishedOneLeavesWithAWord) {
    ProgramRun run(ini);
    EXPECT_FALSE(run.main.OstatnieWzorce1->menuAction()->isEnabled());
    run.main.Nowy1->trigger();
    run.pass.lblImie->setCaption(QStringLiteral("Pierwszy"));
    run.dialogs.saveAnswers.push_back(FileDialogResult{file(QStringLiteral("a.wzo")), 1});
    run.main.ZapiszJakoWzorzec1->trigger();
    run.pass.lblImie->setCaption(QStringLiteral("Drugi"));
    run.dialogs.saveAnswers.push_back(FileDialogResult{file(QStringLiteral("b.wzo")), 1});
    run.main.ZapiszJakoWzorzec1->trigger();
    ASSERT_EQ(run.dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(run.dialogs.saveRequests[0].place, TFilePlace::Templates);
    run.dialogs.openAnswers.push_back(FileDialogResult{file(QStringLiteral("a.wzo")), 1});
    run.main.Otworz1->trigger();
    EXPECT_EQ(run.recentEntries(), QStringList({QStringLiteral("&1 a.wzo"), QStringLiteral("&2 b.wzo")}));
    EXPECT_TRUE(run.main.OstatnieWzorce1->menuAction()->isEnabled());

    // The entry of a file removed meanwhile: said so, gone from the list, the design as it was.
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("b.wzo"))));
    run.main.OstatnieWzorce1->actions().at(1)->trigger();
    ASSERT_EQ(run.dialogs.messages.size(), 1u);
    EXPECT_TRUE(run.dialogs.messages[0].text.startsWith(QString::fromUtf8("Nie ma już pliku wzorca")));
    EXPECT_TRUE(run.dialogs.messages[0].text.contains(QStringLiteral("b.wzo")));
    EXPECT_EQ(run.pass.lblImie->Caption(), QStringLiteral("Pierwszy"));
    EXPECT_EQ(run.recentEntries(), QStringList({QStringLiteral("&1 a.wzo")}));

    // The next run opens the one left straight from the menu.
    run.main.ZamknijForm1->trigger();
    ProgramRun next(ini);
    next.main.OstatnieWzorce1->actions().at(0)->trigger();
    EXPECT_TRUE(next.pass.isVisible());
    EXPECT_EQ(next.pass.lblImie->Caption(), QStringLiteral("Pierwszy"));
    EXPECT_TRUE(next.main.Druk1->isEnabled());
    EXPECT_TRUE(next.dialogs.openRequests.empty());
}

TEST_F(RecentFiles, TheLastDatabaseOpensInTheNextRunWhileItsFileIsThere) {
    const QString path = file(QStringLiteral("osoby.db"));
    person_table::CreateDatabase(path);
    {
        ProgramRun run(ini);
        EXPECT_FALSE(run.main.OtworzOstatniaBaze1->isEnabled());
        run.dialogs.openAnswers.push_back(FileDialogResult{path, 1});
        run.main.OtworzBaze1->trigger();
        EXPECT_EQ(run.dialogs.openRequests.at(0).place, TFilePlace::Databases);
    }
    ProgramRun next(ini);
    EXPECT_TRUE(next.main.OtworzOstatniaBaze1->isEnabled());
    EXPECT_EQ(next.main.OtworzOstatniaBaze1->text(), QString::fromUtf8("O&twórz ostatnią bazę (osoby.db)"));
    next.main.OtworzOstatniaBaze1->trigger();
    EXPECT_EQ(next.main.persons()->DbFileName(), path);
    EXPECT_TRUE(next.main.persons()->Db());
    EXPECT_TRUE(next.dialogs.messages.empty());

    ASSERT_TRUE(QFile::remove(path));
    next.main.refreshRecentItems();
    EXPECT_FALSE(next.main.OtworzOstatniaBaze1->isEnabled());
    EXPECT_TRUE(next.main.OtworzOstatniaBaze1->statusTip().contains(QStringLiteral("osoby.db")));
}

TEST_F(RecentFiles, AWindowComesBackWhereItWasLeftOnlyOnThePresentScreens) {
    QSettings settings(ini, QSettings::IniFormat);
    TRecentPlaces recent(settings);
    const QList<QRect> screen = {QRect(0, 0, 1920, 1080)};
    {
        QWidget window;
        keepWindowPlace(window, recent, QStringLiteral("okno"), TKeptPart::PlaceAndSize, screen);
        window.setGeometry(300, 200, 500, 400);
        window.show();
        window.hide();
    }
    const QRect kept = recent.windowPlace(QStringLiteral("okno"))->frame;
    QWidget again;
    again.move(10, 10);
    keepWindowPlace(again, recent, QStringLiteral("okno"), TKeptPart::PlaceAndSize, screen);
    EXPECT_EQ(again.size(), QSize(500, 400));
    EXPECT_EQ(again.pos(), kept.topLeft());

    // Placed by the program at each showing: only the size comes back.
    QWidget sized;
    sized.move(10, 10);
    keepWindowPlace(sized, recent, QStringLiteral("okno"), TKeptPart::SizeOnly, screen);
    EXPECT_EQ(sized.size(), QSize(500, 400));
    EXPECT_EQ(sized.pos(), QPoint(10, 10));

    // Kept on a monitor that is gone: the window keeps the place it was given.
    QWidget elsewhere;
    elsewhere.setGeometry(10, 10, 200, 100);
    keepWindowPlace(elsewhere, recent, QStringLiteral("okno"), TKeptPart::PlaceAndSize, {QRect(0, 0, 640, 480)});
    EXPECT_EQ(elsewhere.geometry(), QRect(10, 10, 200, 100));
}
