#include "printing/metafile_list.h"
#include "support/error_text.h"
#include "support/full_disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// A page whose recording grows with `lines`.
TRecordedPage page(int lines) {
    QPicture picture;
    QPainter painter(&picture);
    for (int i = 0; i < lines; ++i)
        painter.drawLine(i, 0, i, 100 + i);
    painter.end();
    TRecordedPage result;
    result.setPicture(picture);
    return result;
}

} // namespace

TEST(MetafileList, PagesFollowEachOtherAndOneIsDecodedAtATime) {
    TMetafileList list;
    int changes = 0;
    list.OnChange = [&](TMetafileList&) { ++changes; };
    list.Clear(); // an empty store still tells
    EXPECT_EQ(changes, 1);
    const QByteArray a = page(1).save(), b = page(5).save(), c = page(2).save();
    list.Add(page(1));
    list.Add(page(5));
    EXPECT_EQ(list.Add(page(2)), 2);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(list.PageOffsets(), (std::vector<qint64>{0, a.size(), a.size() + b.size()}));
    EXPECT_EQ(list.StreamSize(), a.size() + b.size() + c.size());
    EXPECT_EQ(list[1].save(), b);
    EXPECT_EQ(list.CachedIndex(), 1);
    EXPECT_EQ(&list[1], &list[1]);
    EXPECT_EQ(list[2].save(), c);
    EXPECT_TRUE(errorOf([&] { list[3]; }).startsWith(QStringLiteral("List index out of bounds")));

    // A page written back larger or smaller moves the pages behind it.
    int changedIndex = -1;
    list.OnItemChange = [&](TMetafileList&, int index) { changedIndex = index; };
    const QByteArray bigger = page(40).save();
    list[0].setPicture(page(40).Picture());
    EXPECT_EQ(changedIndex, 0);
    const qint64 grown = bigger.size() - a.size();
    EXPECT_EQ(list.PageOffsets(), (std::vector<qint64>{0, a.size() + grown, a.size() + b.size() + grown}));
    EXPECT_EQ(list[2].save(), c);
    EXPECT_EQ(list[1].save(), b);
    list[1].setPicture(page(1).Picture());
    EXPECT_EQ(list.StreamSize(), bigger.size() + a.size() + c.size());
    EXPECT_EQ(list[2].save(), c);
    EXPECT_EQ(list[0].save(), bigger);
}

TEST(MetafileList, TheTemporaryFileComesAndGoesWithThePages) {
    QString file;
    {
        TMetafileList list;
        list.Add(page(3));
        list.Add(page(4));
        list.Add(page(5));
        const QByteArray second = list[1].save();
        list.setUseTempFile(true);
        file = list.TempFileName();
        EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QStringLiteral("PP")));
        EXPECT_TRUE(QFile::exists(file));
        EXPECT_EQ(QFileInfo(file).size(), list.StreamSize());
        EXPECT_EQ(list[2].save(), page(5).save());
        list.setUseTempFile(false);
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_TRUE(list.TempFileName().isEmpty());
        EXPECT_EQ(list[1].save(), second);
        list.setUseTempFile(true);
        file = list.TempFileName();
        list.Clear();
        EXPECT_FALSE(QFile::exists(file));
        list.Add(page(1));
        file = list.TempFileName();
        EXPECT_TRUE(QFile::exists(file));
    }
    EXPECT_FALSE(QFile::exists(file)); // nothing left behind
}

TEST(MetafileList, AFullDiskUnderTheTemporaryFileIsAFileErrorAndThePagesStay) {
    test::FullDisk disk(256 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << test::FullDisk::skipReason();
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(disk.filePath(QString())));
    struct Restore {
        QByteArray value;
        ~Restore() { value.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", value); }
    } restore{tmp};

    TMetafileList list;
    list.setUseTempFile(true);
    for (int lines : {3, 4, 5})
        list.Add(page(lines));
    const QString file = list.TempFileName();
    ASSERT_TRUE(file.startsWith(disk.filePath(QString())));
    const std::vector<qint64> offsets = list.PageOffsets();
    const qint64 size = list.StreamSize();
    int itemChanges = 0, changes = 0;
    list.OnItemChange = [&](TMetafileList&, int) { ++itemChanges; };
    list.OnChange = [&](TMetafileList&) { ++changes; };
    disk.fill();

    // A page that grew past what the disk holds: the file error, and every page as it was.
    const QString error = QStringLiteral("Cannot write file %1").arg(file);
    EXPECT_EQ(errorOf([&] { list[0].setPicture(page(4000).Picture()); }), error);
    EXPECT_EQ(itemChanges, 0);
    EXPECT_EQ(list.PageOffsets(), offsets);
    EXPECT_EQ(list.StreamSize(), size);
    EXPECT_EQ(list[0].save(), page(3).save()); // the cached page too
    EXPECT_EQ(list[2].save(), page(5).save());
    EXPECT_EQ(list[1].save(), page(4).save());
    // A page added to the full disk is not added.
    EXPECT_EQ(errorOf([&] { list.Add(page(4000)); }), error);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.StreamSize(), size);
    EXPECT_EQ(changes, 0);
    // A page that shrank needs no room.
    list[1].setPicture(page(1).Picture());
    EXPECT_EQ(itemChanges, 1);
    EXPECT_EQ(list[2].save(), page(5).save());

    // Moving the pages onto the full disk leaves them in memory, and no file behind.
    list.setUseTempFile(false);
    EXPECT_FALSE(QFile::exists(file));
    disk.fill(); // the room the file left
    EXPECT_TRUE(errorOf([&] { list.setUseTempFile(true); }).startsWith(QStringLiteral("Cannot ")));
    EXPECT_FALSE(list.UseTempFile());
    EXPECT_EQ(list[2].save(), page(5).save());
    EXPECT_EQ(QDir(disk.filePath(QString())).entryList({QStringLiteral("PP*")}, QDir::Files), QStringList());
}
