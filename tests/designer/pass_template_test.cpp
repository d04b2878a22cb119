#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "core/component_stream.h"
#include "core/image_codecs.h"
#include "core/picture.h"
#include "designer/pass_person.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "sizer/size_control.h"
#include "support/error_text.h"
#include "template_test_support.h"

#include <QApplication>
#include <QFile>
#include <QtEndian>

#include <random>

#include <gtest/gtest.h>

using namespace wendolarka;
using namespace wendolarka::component_stream;

using namespace template_test;

TEST(PassTemplate, TheWriterReproducesTheFormatsExampleBytes) {
    TForm1 form;
    const QByteArray file = pass_template::writeFile(form);
    const QByteArray header = hex("FF0A00") + "TFORM1" + hex("00 3010");
    EXPECT_EQ(file.left(12), header);
    EXPECT_EQ(qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(file.constData()) + 12), file.size() - 16);
    EXPECT_EQ(file.mid(16, 4 + 7 + 6), QByteArray("TPF0") + hex("06") + "TForm1" + hex("05") + "Form1");
    const QByteArray properties = hex("04") + "Left" + hex("032902") + hex("03") + "Top" + hex("030B02") + hex("05") +
                                  "Width" + hex("038801") + hex("06") + "Height" + hex("03E800") + hex("0B") +
                                  "BorderStyle" + hex("070D") + "bsSizeToolWin";
    EXPECT_EQ(file.mid(33, properties.size()), properties);
}

TEST(PassTemplate, SaveAndLoadGiveTheSameDesignAndThePersonShown) {
    TForm1 form;
    TPersonTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = QString::fromUtf8("Łoś %1").arg(i);
    QImage photo(40, 50, QImage::Format_RGB32);
    photo.fill(Qt::darkRed);
    showPersonOnPass(form, texts, TPicture(TJPEGImage::fromImage(photo)));
    form.lblNazwisko->setFont(TFont(QStringLiteral("Arial Black"), 12, fsBold | fsItalic, clRed, EASTEUROPE_CHARSET));
    form.lblNazwisko->setColor(clYellow);
    form.lblNazwisko->SetBounds(150, 20, 120, 30);
    form.Ramka2->setVisible(true);
    form.Ramka2->setBorderWidth(7);
    form.Ramka2->setColor(0x123456); // no name: written as a number
    form.lbl1->setShadowSize(9);
    form.lbl1->setCaption(QString(300, u'x')); // a long string
    const QByteArray saved = pass_template::writeFile(form);

    TForm1 other;
    pass_template::loadFile(other, saved);
    EXPECT_EQ(pass_template::writeFile(other), saved);
    EXPECT_EQ(other.lblUsluga2->Caption(), texts[10]);
    EXPECT_EQ(other.Image11->Picture().Graphic()->fileData(), form.Image11->Picture().Graphic()->fileData());
    EXPECT_EQ(other.lblNazwisko->Font(), form.lblNazwisko->Font());
    EXPECT_FALSE(other.lblNazwisko->ParentFont());
    EXPECT_EQ(other.Ramka2->Color(), 0x123456);
    EXPECT_EQ(other.lbl1->ShadowSize(), 9);
    EXPECT_EQ(other.Snapshot(), form.Snapshot());

    // The standard layout itself is such a stream and writes back unchanged.
    EXPECT_EQ(pass_template::writeStream(TForm1{}), standardLayoutStream());
    TForm1 standard;
    TForm1 reread;
    pass_template::loadStream(reread, pass_template::writeStream(standard));
    EXPECT_EQ(pass_template::writeStream(reread), pass_template::writeStream(standard));
}

TEST(PassTemplate, ReadersAcceptWhatOtherWritersMayWrite) {
    TForm1 form;
    QByteArray file = pass_template::writeFile(form);
    QByteArray wrongLength = file;
    qToLittleEndian<quint32>(7, reinterpret_cast<uchar*>(wrongLength.data()) + 12);
    pass_template::loadFile(form, wrongLength);
    EXPECT_EQ(form.lblImie->Caption(), QStringLiteral("Imie"));

    // Integers in wider tags, colours as plain numbers, a template lacking elements.
    QByteArray stream("TPF0");
    stream += hex("06") + "TForm1" + hex("05") + "Form1";
    stream += hex("04") + "Left" + hex("04 05000000");
    stream += hex("05") + "Color" + hex("04 FF000000"); // clRed as a number
    stream += hex("00");
    stream += hex("06") + "TLabel" + hex("07") + "lblImie";
    stream += hex("03") + "Top" + hex("13 0900000000000000");
    stream += hex("00 00 00");
    pass_template::loadFile(form, templateFile(QStringLiteral("TForm1"), stream));
    EXPECT_EQ(form.lblImie->Top(), 9);
    EXPECT_EQ(form.Color(), clRed);
    EXPECT_EQ(form.lblNazwisko, nullptr); // not in the template: the slot is empty
    EXPECT_EQ(form.SizeControl1, nullptr);

    // OnActivate bound to its handler runs it: activation makes the sizer.
    pass_template::loadFile(form, templateWith([](TStreamWriter&) {}, [](TStreamWriter& out) {
        out.property(QStringLiteral("OnActivate"), TValue::Ident(QStringLiteral("FormActivate")));
    }));
    EXPECT_TRUE(form.events().onActivate);
    ASSERT_EQ(form.SizeControl1, nullptr);
    QEvent activation(QEvent::ActivationChange);
    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    QCoreApplication::processEvents();
    ASSERT_NE(form.SizeControl1, nullptr);
    EXPECT_EQ(form.SizeControl1->GridSize(), 19);
    form.hide();
}

TEST(PassTemplate, EveryRefusalKeepsTheDesign) {
    TForm1 form;
    const QByteArray good = pass_template::writeFile(form);
    QByteArray notFF = good;
    notFF[0] = 'X';
    EXPECT_FALSE(refusal(form, notFF).isEmpty());
    QByteArray noSignature = good;
    noSignature[16] = 'X';
    EXPECT_TRUE(refusal(form, noSignature).contains(QStringLiteral("TPF0")));
    const auto element = [](const QString& cls, const QString& name, const QString& property, const TValue& value) {
        return templateWith([=](TStreamWriter& out) {
            out.beginComponent(cls, name);
            out.property(property, value);
            out.endList();
            out.endList();
        });
    };
    EXPECT_TRUE(refusal(form, element("TButton", "b", "Left", TValue::Integer(1))).contains(QStringLiteral("klasa")));
    EXPECT_TRUE(refusal(form, element("TLabel", "x", "Colour", TValue::Integer(1))).contains(QStringLiteral("Colour")));
    EXPECT_FALSE(refusal(form, element("TLabel", "x", "Left", TValue::String("1"))).isEmpty());
    EXPECT_FALSE(refusal(form, element("TLabel", "x", "Layout", TValue::Ident("tlMiddle"))).isEmpty());
    EXPECT_FALSE(refusal(form, element("TLabel", "Ramka1", "Left", TValue::Integer(1))).isEmpty()); // wrong class for the slot
    EXPECT_FALSE(refusal(form, element("TLabel", "x", "Width", TValue::Integer(1000000))).isEmpty()); // no screen is that wide
    EXPECT_FALSE(refusal(form, element("TImage", "x", "Picture.Data",
                                       TValue::Binary(QByteArray("\x0ATJPEGImage\x05\0\0\0xxxxx", 20))))
                     .isEmpty()); // a damaged picture
    // An unknown picture class leaves the picture empty.
    pass_template::loadFile(form, element("TImage", "Image11", "Picture.Data", TValue::Binary(QByteArray("\x04TGif", 5))));
    EXPECT_TRUE(form.Image11->Picture().isEmpty());
    pass_template::loadFile(form, good);

    const auto root = [&](const QString& property, const TValue& value) {
        return refusal(form, templateWith([](TStreamWriter&) {}, [&](TStreamWriter& out) { out.property(property, value); }));
    };
    EXPECT_FALSE(root(QStringLiteral("OnShow"), TValue::Ident(QStringLiteral("Koniec1Click"))).isEmpty());
    EXPECT_FALSE(root(QStringLiteral("OnShow"), TValue::Ident(QStringLiteral("FormClose"))).isEmpty());
    EXPECT_FALSE(root(QStringLiteral("PixelsPerInch"), TValue::Integer(0)).isEmpty());
    EXPECT_FALSE(refusal(form, templateWith([](TStreamWriter& out) {
                     label(out, QStringLiteral("a"), QStringLiteral("1"));
                     label(out, QStringLiteral("A"), QStringLiteral("2"));
                 })).isEmpty()); // the same name twice
    EXPECT_FALSE(refusal(form, templateWith([](TStreamWriter& out) {
                     for (int i = 0; i <= 1000; ++i)
                         label(out, QStringLiteral("l%1").arg(i), QString());
                 })).isEmpty());
    // A child record under an element, and lengths that claim more than the file has.
    QByteArray nested = templateWith([](TStreamWriter& out) {
        out.beginComponent(QStringLiteral("TLabel"), QStringLiteral("x"));
        out.endList();
        out.beginComponent(QStringLiteral("TLabel"), QStringLiteral("y"));
        out.endList();
        out.endList();
        out.endList();
    });
    EXPECT_FALSE(refusal(form, nested).isEmpty());
    for (const char* tag : {"0A", "0C", "12"}) {
        const QByteArray huge = templateWith([&](TStreamWriter&) {}, [&](TStreamWriter& out) {
            out.property(QStringLiteral("Caption"), TValue::Nil());
        });
        QByteArray claim = huge;
        const qsizetype at = claim.indexOf("Caption") + 7;
        claim.replace(at, 1, hex(tag) + hex("FFFFFF7F"));
        EXPECT_FALSE(refusal(form, claim).isEmpty()) << tag;
    }
    QByteArray noZero = good;
    noZero.replace(3, 7, QByteArray(70, 'A'));
    EXPECT_FALSE(refusal(form, noZero).isEmpty());
}

TEST(PassTemplate, HostileValuesAreRefusedOrDrawnCheaply) {
    TForm1 form;
    // A list where no property takes one is refused as soon as it is read.
    QByteArray list = templateWith([](TStreamWriter&) {}, [](TStreamWriter& out) {
        out.property(QStringLiteral("Caption"), TValue::Nil());
    });
    const qsizetype at = list.indexOf("Caption") + 7;
    list.replace(at, 1, hex("01") + QByteArray(100000, '\x0D') + hex("00"));
    EXPECT_TRUE(refusal(form, list).contains(QStringLiteral("lista")));
    // A JPEG claiming far more pixels than its bytes can hold.
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray jpeg = encodeJpeg(small);
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    qToBigEndian<quint16>(8000, reinterpret_cast<uchar*>(jpeg.data()) + sof + 5);
    qToBigEndian<quint16>(8000, reinterpret_cast<uchar*>(jpeg.data()) + sof + 7);
    EXPECT_TRUE(errorOf([&] { decodeJpeg(jpeg); }).startsWith(QStringLiteral("Obraz ma wymiary")));

    // Extreme borders and sizes load and draw without looping over what is not seen.
    pass_template::loadFile(form, templateWith([](TStreamWriter& out) {
        out.beginComponent(QStringLiteral("TLabel3DF"), QStringLiteral("x"));
        out.property(QStringLiteral("Width"), TValue::Integer(20));
        out.property(QStringLiteral("Height"), TValue::Integer(20));
        out.property(QStringLiteral("BorderWidth"), TValue::Integer(32767));
        out.property(QStringLiteral("BorderStyle"), TValue::Ident(QStringLiteral("lbNormal")));
        out.endList();
        out.endList();
        out.beginComponent(QStringLiteral("TktMultiBevel"), QStringLiteral("f"));
        out.property(QStringLiteral("Left"), TValue::Integer(-16000));
        out.property(QStringLiteral("Top"), TValue::Integer(-16000));
        out.property(QStringLiteral("Width"), TValue::Integer(kMaxCardSide));
        out.property(QStringLiteral("Height"), TValue::Integer(kMaxCardSide));
        out.property(QStringLiteral("BorderWidth"), TValue::Integer(32767));
        out.endList();
        out.endList();
        out.beginComponent(QStringLiteral("TSizeControl"), QStringLiteral("SizeControl1"));
        out.property(QStringLiteral("GridSize"), TValue::Integer(1));
        out.property(QStringLiteral("Target"), TValue::Ident(QStringLiteral("nobody")));
        out.endList();
        out.endList();
    }));
    const QImage card = form.Snapshot();
    form.resize(600, 400);
    form.grab();
    EXPECT_FALSE(card.isNull());
    EXPECT_EQ(form.SizeControl1->Target(), nullptr); // a Target naming nobody is none

    // No card is larger than the bound: a window or an element claiming more is refused, saying so.
    TForm1 hostile;
    EXPECT_EQ(refusal(hostile, templateWith([](TStreamWriter& out) {
                  out.beginComponent(QStringLiteral("TImage"), QStringLiteral("Image11"));
                  out.property(QStringLiteral("Width"), TValue::Integer(kMaxCardSide + 1));
                  out.endList();
                  out.endList();
              })),
              QString::fromUtf8("„Width” = 8193: element przepustki może mieć najwyżej 8192 pikseli na bok"));
    EXPECT_TRUE(refusal(hostile, templateWith([](TStreamWriter&) {}, [](TStreamWriter& out) {
                    out.property(QStringLiteral("Height"), TValue::Integer(32767));
                }))
                    .startsWith(QString::fromUtf8("„Height” = 32767 poza zakresem")));
}

TEST(PassTemplate, ASizerAndItsTargetComeBackOnlyIfSaved) {
    TForm1 form;
    form.SizeControl1->setTarget(form.lblImie);
    TForm1 other;
    pass_template::loadFile(other, pass_template::writeFile(form));
    ASSERT_NE(other.SizeControl1, nullptr);
    EXPECT_EQ(other.SizeControl1->Target(), other.lblImie);
    form.FormClose(); // the close box frees the sizer
    pass_template::loadFile(other, pass_template::writeFile(form));
    EXPECT_EQ(other.SizeControl1, nullptr);
}

// Every prefix and random damage: a clean refusal or a window, never a crash
// or a hang. Run under the sanitizers in CI.
TEST(PassTemplate, DamagedTemplatesFailCleanly) {
    TForm1 form;
    const QByteArray good = pass_template::writeFile(form);
    TForm1 target;
    for (qsizetype cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(errorOf([&] { pass_template::loadFile(target, good.left(cut)); }).isEmpty()) << cut;
    std::mt19937 random(42);
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = good;
        for (int k = 0; k < 3; ++k)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        errorOf([&] { pass_template::loadFile(target, damaged); });
    }
    pass_template::loadFile(target, good);
    EXPECT_EQ(pass_template::writeFile(target), good);
}

TEST(PassTemplate, AHandWrittenTemplateWithAPhotoAndAnIconLoadsAsWritten) {
    QImage photo(30, 40, QImage::Format_RGB32);
    photo.fill(Qt::blue);
    const QByteArray jpeg = encodeJpeg(photo);
    const QByteArray icon = TIcon::fromImage(photo.scaled(16, 16)).get()->fileData();
    const auto le32 = [](qsizetype v) {
        QByteArray b(4, '\0');
        qToLittleEndian<quint32>(static_cast<quint32>(v), reinterpret_cast<uchar*>(b.data()));
        return b;
    };
    const QByteArray jpegPayload = hex("0A") + "TJPEGImage" + le32(jpeg.size()) + jpeg;
    const QByteArray iconPayload = hex("05") + "TIcon" + icon;
    QByteArray stream = QByteArray("TPF0") + hex("06") + "TForm1" + hex("05") + "Form1";
    stream += hex("05") + "Width" + hex("038801") + hex("06") + "Height" + hex("03E800");
    stream += hex("05") + "Color" + hex("07 07") + "clWhite" + hex("00");
    stream += hex("06") + "TImage" + hex("07") + "Image11";
    stream += hex("04") + "Left" + hex("02 20") + hex("03") + "Top" + hex("02 30");
    stream += hex("05") + "Width" + hex("02 30") + hex("06") + "Height" + hex("02 3C");
    stream += hex("0C") + "Picture.Data" + hex("0A") + le32(jpegPayload.size()) + jpegPayload;
    stream += hex("07") + "Stretch" + hex("09") + hex("00 00");
    stream += hex("06") + "TImage" + hex("08") + "ImgStale";
    stream += hex("08") + "AutoSize" + hex("09");
    stream += hex("0C") + "Picture.Data" + hex("0A") + le32(iconPayload.size()) + iconPayload;
    stream += hex("00 00 00");
    const QByteArray file = templateFile(QStringLiteral("TForm1"), stream);
    TForm1 form;
    pass_template::loadFile(form, file);
    EXPECT_EQ(form.Color(), clWhite);
    ASSERT_NE(form.Image11, nullptr);
    EXPECT_EQ(form.Image11->Picture().Graphic()->fileData(), jpeg);
    EXPECT_EQ(form.ImgStale->Picture().Graphic()->ClassName(), QStringLiteral("TIcon"));
    EXPECT_EQ(form.ImgStale->Width(), 16);
    EXPECT_GT(form.Snapshot().pixelColor(40, 60).blue(), 240); // the photo, stretched into its box
    const QString dump = pass_template::describeFile(file);
    EXPECT_TRUE(dump.contains(QStringLiteral("Picture.Data = {TJPEGImage 30 × 40 pikseli")));
    EXPECT_TRUE(dump.contains(QStringLiteral("object ImgStale: TImage")));
}
