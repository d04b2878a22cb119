#include "controls/image.h"
#include "controls/label_3d.h"
#include "core/image_codecs.h"
#include "core/picture.h"
#include "designer/fixed_elements_dialog.h"
#include "designer/pass_window.h"
#include "platform/error_handler.h"
#include "support/scripted_dialogs.h"
#include "widgets/color_panel.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct FixedElements : ::testing::Test {
    ScriptedDialogs dialogs;
    ErrorHandler errors{dialogs};
    TForm1 form;
    TFUkos dialog{dialogs};
    QTemporaryDir dir;

    FixedElements() {
        dialog.setPassWindow(&form);
        dialog.setErrorHandler(&errors);
    }
    QString jpeg(const QString& name, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = dir.filePath(name);
        TPicture(TJPEGImage::fromImage(image)).SaveToFile(path);
        return path;
    }
};

} // namespace

TEST_F(FixedElements, ShowReadsThePassAndEveryControlWritesItBack) {
    form.lbl1->setCaption(QStringLiteral("Gość"));
    form.lbl1->setVisible(true);
    form.lbl2->setShadowColor(clRed);
    form.lbl2->setShadowSize(7);
    dialog.show();
    EXPECT_TRUE(dialog.chOpis1->isChecked());
    EXPECT_EQ(dialog.edOpisu1->text(), QString::fromUtf8("Gość"));
    EXPECT_EQ(dialog.pnlCien2->Color(), clRed);
    EXPECT_EQ(dialog.SpinEdit2->Value(), 7);

    dialog.edOpisu1->setText(QString());
    EXPECT_EQ(form.lbl1->Caption(), QString());
    dialog.chWidoczny->setChecked(true);
    EXPECT_TRUE(form.ImgStale->Visible());
    dialog.SpinEdit1->setValue(300);
    EXPECT_EQ(form.lbl1->ShadowSize(), 44);
    dialog.SpinEdit1->setValue(-1);
    EXPECT_EQ(form.lbl1->ShadowSize(), 255);

    const TColor shown = dialog.pnlKolor1->Color();
    dialogs.colorAnswers.push_back(clLime);
    dialog.pnlKolorClick(1);
    EXPECT_EQ(dialogs.colorRequests.back(), shown); // opens on the panel's colour
    EXPECT_EQ(dialog.pnlKolor1->Color(), clLime);
    EXPECT_EQ(form.lbl1->Color(), clLime);
    const TFont before = form.lbl2->Font();
    const TFont chosen(QStringLiteral("Arial"), 14, fsItalic, clNavy);
    dialogs.fontAnswers.push_back(chosen);
    dialog.bitFonty2->click();
    EXPECT_EQ(dialogs.fontRequests.back(), before);
    EXPECT_EQ(form.lbl2->Font(), chosen);
}

TEST_F(FixedElements, TheImageLoadsOnEveryChangeAndFailuresKeepTheOldOne) {
    const QString big = jpeg(QStringLiteral("logo.jpg"), QSize(90, 40));
    dialogs.openAnswers.push_back(FileDialogResult{big, 1});
    dialog.bitOpenImg->click();
    EXPECT_EQ(dialogs.openRequests.back().filter,
              QString::fromUtf8("Pliki graficzne JPG i BMP|*.jpg;*.bmp|Dowolne pliki (*.*)|*.*"));
    EXPECT_EQ(form.ImgStale->Width(), 90); // its natural size
    EXPECT_EQ(form.ImgStale->Left(), 280); // the corner stays

    dialog.edImage->setText(dir.filePath(QStringLiteral("obraz.png")));
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Unknown picture file extension (.png)"));
    EXPECT_EQ(form.ImgStale->Width(), 90);
    dialog.edImage->clear();
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Unknown picture file extension (.)"));

    // The same file chosen again, changed meanwhile, is loaded again.
    jpeg(QStringLiteral("logo.jpg"), QSize(30, 20));
    dialog.edImage->setText(big);
    jpeg(QStringLiteral("logo.jpg"), QSize(50, 20));
    dialogs.openAnswers.push_back(FileDialogResult{big, 1});
    dialog.bitOpenImgClick();
    EXPECT_EQ(form.ImgStale->Width(), 50);
}

TEST_F(FixedElements, MissingElementsAreLeftAlone) {
    form.destroyControl(form.lbl1);
    form.destroyControl(form.ImgStale);
    form.bindSlots();
    dialog.show();
    dialog.edOpisu1->setText(QStringLiteral("x"));
    dialog.chWidoczny->setChecked(true);
    dialogs.colorAnswers.push_back(clLime);
    dialog.pnlCienClick(1);
    dialog.edImage->setText(jpeg(QStringLiteral("a.jpg"), QSize(5, 5)));
    EXPECT_TRUE(dialogs.messages.empty());
}
