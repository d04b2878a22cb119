#include "app/main_window.h"
#include "app/wendolarka_app.h"
#include "controls/image.h"
#include "core/image_codecs.h"
#include "designer/pass_window.h"
#include "imageset/image_set_window.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "sizer/size_control.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct ImageSet : ::testing::Test {
    ScriptedDialogs dialogs;
    FixedDesktop desktop{QRect(-1280, 0, 3200, 1080), QRect(0, 0, 1920, 1080)};
    ErrorHandler errors{dialogs};
    WendolarkaApp app{dialogs, desktop, errors};
    TForm2& main = *app.mainWindow();
    TForm3& set = *app.windows().Form3;
    TForm1& pass = *app.windows().Form1;
    QTemporaryDir dir;

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void load(int k, const QString& path) {
        dialogs.openAnswers.push_back(FileDialogResult{path, 1});
        main.Dla[static_cast<std::size_t>(k - 1)]->trigger();
    }
    static QImage filled(int w, int h, QColor color) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }
};

} // namespace

TEST_F(ImageSet, ShowingHidesThePassWindowAndAppliesTheBoxes) {
    EXPECT_FALSE(main.ZapiszForme2jakoJPG->isEnabled());
    main.Nowy1->trigger();
    ASSERT_TRUE(pass.isVisible());
    main.PokazForme2->trigger();
    EXPECT_FALSE(pass.isVisible());
    ASSERT_TRUE(set.isVisible());
    EXPECT_EQ(set.pos(), QPoint(-1280, 0)); // the virtual desktop's corner
    EXPECT_TRUE(set.windowTitle().startsWith(QStringLiteral("Szer.  ")));
    for (QAction* item : {main.ZapiszForme2jakoJPG, main.Zamknij1, main.DrukFormatki2, main.PoziomyDruk2})
        EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(main.LadujObraz2->menuAction()->isEnabled());
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(set.picture(k)->Visible(), k <= 4) << k;
        EXPECT_EQ(main.Dla[static_cast<std::size_t>(k - 1)]->isVisible(), k <= 4) << k;
    }
    ASSERT_TRUE(set.SizeControl3);
    EXPECT_EQ(set.SizeControl3->GridSize(), 19);
    EXPECT_FALSE(set.SizeControl3->SnapToGrid());
    EXPECT_FALSE(set.Image_z_BMP->Visible());

    // Showing the pass window closes this one.
    main.Nowy1->trigger();
    EXPECT_TRUE(pass.isVisible());
    EXPECT_FALSE(set.isVisible());
}

TEST_F(ImageSet, PicturesLoadHideAndComeBackAsPlaceholders) {
    main.PokazForme2->trigger();
    set.picture(1)->SetBounds(50, 60, 16, 16);
    load(1, writeFile(QStringLiteral("wide.jpg"), encodeJpeg(filled(200, 100, Qt::red))));
    EXPECT_EQ(set.picture(1)->BoundsRect(), (TRect{50, 60, 250, 160}));
    const QString bmp = writeFile(QStringLiteral("blue.BMP"), encodeBmp24(filled(30, 20, Qt::blue)));
    load(3, bmp);
    EXPECT_EQ(set.picture(3)->Width(), 30);

    // A picture hidden while picked is let go of: no frame stays around an empty place.
    set.SizeControl3->setTarget(set.picture(3));
    ASSERT_EQ(set.SizeControl3->Target(), set.picture(3));
    main.cb[2]->setChecked(false);
    EXPECT_EQ(set.SizeControl3->Target(), nullptr);
    EXPECT_FALSE(set.picture(3)->Visible());
    EXPECT_FALSE(main.Dla[2]->isVisible());
    const QImage card = set.Snapshot();
    EXPECT_EQ(card.size(), set.size());
    EXPECT_GT(card.pixelColor(100, 100).red(), 240); // picture 1 is drawn...
    EXPECT_LT(card.pixelColor(100, 100).green(), 20);
    EXPECT_EQ(card.pixelColor(72 + 5, 8 + 5), QColor(Qt::white));     // ...picture 3 is not
    main.cb[2]->setChecked(true);
    EXPECT_TRUE(set.picture(3)->Visible());
    EXPECT_EQ(set.picture(3)->Width(), 30); // kept while hidden

    // A failed load keeps the picture and reports the error.
    load(3, writeFile(QStringLiteral("bad.gif"), "GIF89a"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Unknown picture file extension (.gif)"));
    EXPECT_EQ(set.picture(3)->Width(), 30);

    // Closing throws the pictures away but keeps the places.
    main.Zamknij1->trigger();
    EXPECT_FALSE(set.isVisible());
    EXPECT_FALSE(set.SizeControl3);
    EXPECT_FALSE(main.ZapiszForme2jakoJPG->isEnabled());
    main.PokazForme2->trigger();
    EXPECT_EQ(set.picture(1)->BoundsRect(), (TRect{50, 60, 66, 76}));
    EXPECT_EQ(set.picture(1)->Picture().image(), TForm3::placeholderPicture().image());
}

TEST_F(ImageSet, PlaceholderIsATwoPixelSquareWithASmallSquareInside) {
    const QImage p = TForm3::placeholderPicture().image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(p.size(), QSize(16, 16));
    EXPECT_EQ(p.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(p.pixelColor(1, 8), QColor(Qt::black));
    EXPECT_EQ(p.pixelColor(2, 8), QColor(Qt::white));
    EXPECT_EQ(p.pixelColor(14, 14), QColor(Qt::black));
    EXPECT_EQ(p.pixelColor(5, 7), QColor(Qt::black));
    EXPECT_EQ(p.pixelColor(7, 7), QColor(Qt::white));
}
