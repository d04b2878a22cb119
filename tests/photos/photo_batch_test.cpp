#include "core/image_codecs.h"
#include "database/person_table.h"
#include "photos/contact_sheet.h"
#include "photos/photo_batch.h"
#include "photos/photo_editor.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace wendolarka;
using namespace wendolarka::photos;

namespace {

QByteArray jpegOf(int width, int height, QColor color = Qt::darkCyan) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encodeJpeg(image);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct PhotoBatch : ::testing::Test {
    QTemporaryDir dir;
    QString database = dir.filePath(QStringLiteral("osoby.db"));
    std::shared_ptr<ISQLiteDatabase> db;
    std::int64_t wide = 0, fitting = 0, none = 0, tall = 0;

    PhotoBatch() {
        person_table::CreateDatabase(database);
        db = person_table::OpenExisting(database);
        person_table::Delete(*db, 1);
        TPersonTexts texts;
        texts.fill(QStringLiteral(" "));
        const auto add = [&](const char* surname, const QByteArray& photo) {
            texts[1] = QStringLiteral("Anna");
            texts[2] = QString::fromUtf8(surname);
            return person_table::Insert(*db, texts, photo);
        };
        wide = add("Szeroka", jpegOf(800, 600));
        fitting = add("Pasująca", jpegOf(48, 60));
        none = add("Bez", QByteArray());
        tall = add("Wysoka", jpegOf(300, 1200));
    }
    QByteArray photoOf(std::int64_t id) {
        return person_table::ReadRow(*person_table::SelectById(*db, id)).picture.value_or(QByteArray());
    }
};

} // namespace

TEST_F(PhotoBatch, OnlyPhotosWithoutThePassProportionsAreProposedAndWrittenAsAccepted) {
    EXPECT_TRUE(hasAspect(QSize(48, 60), 0.8));
    EXPECT_TRUE(hasAspect(QSize(481, 600), 0.8));
    EXPECT_FALSE(hasAspect(QSize(800, 600), 0.8));
    std::vector<TCropProposal> proposals = proposeCrops(*db, {}, 0.8);
    ASSERT_EQ(proposals.size(), 2u);
    EXPECT_EQ(proposals[0].id, wide); // surname order: Szeroka, then Wysoka
    EXPECT_EQ(proposals[0].name, QStringLiteral("Anna Szeroka"));
    for (const TCropProposal& proposal : proposals) {
        EXPECT_NEAR(proposal.edit.crop.width() / proposal.edit.crop.height(), 0.8, 0.01);
        EXPECT_TRUE(QRectF(QPointF(), QSizeF(proposal.pictureSize)).contains(proposal.edit.crop));
        // Only a thumbnail of the crop is kept, not the decoded photo.
        EXPECT_LE(std::max(proposal.thumbnail.width(), proposal.thumbnail.height()), kThumbnailSide);
        EXPECT_NEAR(double(proposal.thumbnail.width()) / proposal.thumbnail.height(), 0.8, 0.02);
    }
    const QByteArray tallBefore = photoOf(tall);
    proposals[1].accepted = false;
    const TCropWrite written = writeCrops(*db, proposals);
    EXPECT_EQ(written.written, 1);
    const QImage stored = decodeJpeg(photoOf(wide));
    EXPECT_EQ(stored.height(), 600);
    EXPECT_NEAR(stored.width(), 480, 1);
    EXPECT_EQ(photoOf(tall), tallBefore);
    EXPECT_TRUE(photoOf(none).isEmpty());
    // Only the persons asked for.
    EXPECT_EQ(proposeCrops(*db, {tall, fitting}, 0.8).size(), 1u);
}

TEST_F(PhotoBatch, ACancelLeavesEveryPhotoAsItWas) {
    const std::vector<TCropProposal> proposals = proposeCrops(*db, {}, 0.8);
    const QByteArray before = fileBytes(database);
    const TCropWrite written = writeCrops(*db, proposals, [](int done, int) { return done < 2; });
    EXPECT_TRUE(written.cancelled);
    EXPECT_EQ(written.written, 0);
    EXPECT_EQ(fileBytes(database), before);
    EXPECT_FALSE(db->IsInTransaction());
}

TEST_F(PhotoBatch, TheContactSheetKeepsTheTicksAndAnAdjustedCrop) {
    TFDopasujZdjecia sheet(proposeCrops(*db, {}, 0.8), 0.8, [this](std::int64_t id) { return storedPicture(*db, id); });
    ASSERT_EQ(sheet.lstZdjecia->count(), 2);
    sheet.lstZdjecia->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(sheet.proposals()[1].accepted);
    EXPECT_TRUE(sheet.btnZapisz->isEnabled());
    sheet.btnZadne->click();
    EXPECT_FALSE(sheet.btnZapisz->isEnabled()); // nothing to write
    // The editor opens where the proposal left the frame; its OK takes the new crop and the tick.
    const QRectF proposed = sheet.proposals()[0].edit.crop;
    const QImage thumbnail = sheet.proposals()[0].thumbnail;
    QTimer::singleShot(0, [] {
        auto* editor = dynamic_cast<TFZdjecie*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->sldJasnosc->setValue(40);
        editor->btnOK->click();
    });
    EXPECT_TRUE(sheet.adjust(0));
    EXPECT_EQ(sheet.proposals()[0].edit.crop, proposed);
    EXPECT_EQ(sheet.proposals()[0].edit.brightness, 40);
    EXPECT_GT(qGray(sheet.proposals()[0].thumbnail.pixel(10, 10)), qGray(thumbnail.pixel(10, 10)));
    EXPECT_TRUE(sheet.proposals()[0].accepted);
    EXPECT_EQ(sheet.lstZdjecia->item(0)->checkState(), Qt::Checked);
}
