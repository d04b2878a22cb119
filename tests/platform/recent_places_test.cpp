#include "platform/recent_places.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct RecentPlaces : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("ustawienia.ini"));
    QSettings settings{ini, QSettings::IniFormat};
    TRecentPlaces recent{settings};

    QString file(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(RecentPlaces, TemplatesComeMostRecentFirstOnceEachAndFiveAtMost) {
    for (const char* name : {"a.wzo", "b.wzo", "c.wzo"})
        recent.templateUsed(file(QLatin1String(name)));
    // The same file by another spelling is the same entry, moved to the front.
    recent.templateUsed(dir.path() + QStringLiteral("/./sub/../a.wzo"));
    EXPECT_EQ(recent.recentTemplates(), QStringList({file("a.wzo"), file("c.wzo"), file("b.wzo")}));
    for (const char* name : {"d.wzo", "e.wzo", "f.wzo"})
        recent.templateUsed(file(QLatin1String(name)));
    EXPECT_EQ(recent.recentTemplates(),
              QStringList({file("f.wzo"), file("e.wzo"), file("d.wzo"), file("a.wzo"), file("c.wzo")}));
    recent.forgetTemplate(file("d.wzo"));
    recent.forgetTemplate(file("nigdy.wzo"));
    // Another run reads what this one kept.
    QSettings again(ini, QSettings::IniFormat);
    EXPECT_EQ(TRecentPlaces(again).recentTemplates(),
              QStringList({file("f.wzo"), file("e.wzo"), file("a.wzo"), file("c.wzo")}));
}

TEST_F(RecentPlaces, TheLastDatabaseIsForgottenOnlyByItsOwnName) {
    EXPECT_TRUE(recent.lastDatabase().isEmpty());
    recent.databaseUsed(file("stara.db"));
    recent.databaseUsed(QStringLiteral("%1/./osoby.db").arg(dir.path()));
    EXPECT_EQ(recent.lastDatabase(), file("osoby.db"));
    recent.forgetDatabase(file("stara.db"));
    EXPECT_EQ(recent.lastDatabase(), file("osoby.db"));
    recent.forgetDatabase(file("osoby.db"));
    EXPECT_TRUE(recent.lastDatabase().isEmpty());
}

TEST_F(RecentPlaces, EachKindOfFileHasItsOwnLastFolderWhileItExists) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("wzory")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bazy")));
    recent.folderUsed(TFilePlace::Templates, file("wzory/projekt.wzo")); // a file to be written there
    recent.folderUsed(TFilePlace::Databases, file("bazy"));              // a folder chosen as such
    recent.folderUsed(TFilePlace::None, file("bazy/osoby.db"));
    EXPECT_EQ(recent.startFolder(TFilePlace::Templates), file("wzory"));
    EXPECT_EQ(recent.startFolder(TFilePlace::Databases), file("bazy"));
    EXPECT_TRUE(recent.startFolder(TFilePlace::Exports).isEmpty());
    EXPECT_TRUE(recent.startFolder(TFilePlace::None).isEmpty());
    // A folder removed since is no place to start in.
    ASSERT_TRUE(QDir(file("wzory")).removeRecursively());
    EXPECT_TRUE(recent.startFolder(TFilePlace::Templates).isEmpty());
    EXPECT_EQ(recent.startFolder(TFilePlace::Databases), file("bazy"));
}

TEST(WindowPlaces, AKeptPlaceCountsOnlyWhollyOnThePresentScreens) {
    const QRect left(0, 0, 1920, 1080), right(1920, 0, 1280, 1024);
    EXPECT_TRUE(onPresentScreen(QRect(1279, 791, 601, 239), {left}));
    EXPECT_TRUE(onPresentScreen(QRect(1800, 100, 400, 300), {left, right})); // across both monitors
    EXPECT_FALSE(onPresentScreen(QRect(2559, 791, 601, 239), {left}));        // the right monitor is gone
    EXPECT_FALSE(onPresentScreen(QRect(1800, 900, 400, 300), {left, right})); // below the smaller one
    EXPECT_FALSE(onPresentScreen(QRect(-5, 0, 100, 100), {left}));
    EXPECT_FALSE(onPresentScreen(QRect(), {left}));
}
