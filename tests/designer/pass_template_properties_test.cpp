// Templates carrying what the elements have beyond what the program sets:
// the frames' and labels' own properties, other writers' spellings, long and
// wide texts, unnamed elements, metafiles.

#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "core/picture.h"
#include "sizer/size_control.h"
#include "template_test_support.h"

#include <QtEndian>

#include <gtest/gtest.h>

using namespace wendolarka;
using namespace wendolarka::component_stream;

namespace {

using namespace template_test;

TValue ident(const char* text) { return TValue::Ident(QLatin1String(text)); }

// A wide string (tag 18), which the writer never writes: a marker the file
// then has replaced by `text` in UTF-16.
const TValue kWide = TValue::String(QStringLiteral("@@WIDE@@"));
QByteArray widened(QByteArray file, const QString& text) {
    QByteArray value = hex("12");
    value.append(4, '\0');
    qToLittleEndian<quint32>(static_cast<quint32>(text.size()), reinterpret_cast<uchar*>(value.data()) + 1);
    value.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return file.replace(hex("0608") + "@@WIDE@@", value);
}

// The state of a frame that its template must bring back.
std::vector<qint64> frameState(const TktMultiBevel& f) {
    return {f.BevelWidth(),    f.ColorFixed(),    f.Color(),         f.ColorHighlight(), f.ColorShadow(),
            f.ColorDensity(),  f.DensityDepended(), f.EdgeSize(),    f.ShadowColor(),    f.ShadowDensity(),
            f.Shadowed(),      f.ShadowOffsetX(), f.ShadowOffsetY(), f.ShadowStyle(),    f.Shape(),
            f.Transparence(),  f.ParentShowHint(), f.ShowHint()};
}

} // namespace

// What the program never changes itself comes back as saved, however a
// frame's setters depend on each other, and is written only off its default.
TEST(PassTemplate, PropertiesTheProgramNeverSetsComeBackAsSaved) {
    TForm1 form;
    const QByteArray standard = pass_template::writeStream(form);
    form.Ramka1->setTransparence(trSemi); // the transparence alone gives density 50
    form.Ramka1->setColorDensity(100);
    form.Ramka1->setShadowed(true);
    form.Ramka1->setShape(bspPortrait);
    form.Ramka1->setEdgeSize(9);
    form.Ramka1->setBevelWidth(2);
    form.Ramka2->setColorFixed(false); // then Color derives nothing, and a default highlight is its own
    form.Ramka2->setColor(clRed);
    form.Ramka2->setColorHighlight(clBtnHighlight);
    form.Ramka2->setColorShadow(0x010203);
    form.Ramka3->setDensityDepended(false); // a density that would derive 30 beside the default 60
    form.Ramka3->setColorDensity(50);
    form.Ramka3->setShadowStyle(ssXOR);
    form.Ramka3->setShadowColor(0x00FF00);
    form.Ramka3->setShadowOffsetX(-2);
    form.Ramka3->setShowHint(true);
    form.Ramka4->setTransparence(trTransparent);
    form.Ramka4->setColorDensity(40);
    form.Ramka5->setShape(bspTopLine);
    form.Ramka5->setParentShowHint(false);
    form.lblImie->setTransparent(true);
    form.lblImie->setShowAccelChar(false);
    form.lblImie->setEnabled(false);
    form.lblImie->setFitText(true);
    form.lblImie->setMinFontSize(7);
    form.lbl1->setVisible(true);
    form.lbl1->setEnabled(false);
    form.lbl1->setTransparent(true);
    form.ImgStale->setTransparent(true);
    form.SizeControl1->setEnabled(false);
    const QByteArray saved = pass_template::writeStream(form);

    TForm1 other;
    pass_template::loadStream(other, saved);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(frameState(*other.frame(i)), frameState(*form.frame(i))) << "Ramka" << i;
    EXPECT_EQ(other.Ramka1->ColorDensity(), 100);
    EXPECT_EQ(other.Ramka2->ColorHighlight(), clBtnHighlight);
    EXPECT_EQ(other.Ramka3->ShadowDensity(), 60);
    EXPECT_TRUE(other.lblImie->Transparent());
    EXPECT_FALSE(other.lblImie->ShowAccelChar());
    EXPECT_FALSE(other.lblImie->Enabled());
    EXPECT_TRUE(other.lblImie->FitText());
    EXPECT_EQ(other.lblImie->MinFontSize(), 7);
    EXPECT_TRUE(pass_template::describeFile(pass_template::writeFile(other)).contains(QStringLiteral("    FitText = True\n    MinFontSize = 7\n")));
    EXPECT_FALSE(other.lbl1->Enabled());
    EXPECT_TRUE(other.lbl1->Transparent());
    EXPECT_TRUE(other.ImgStale->Transparent());
    EXPECT_FALSE(other.SizeControl1->Enabled());
    EXPECT_EQ(pass_template::writeStream(other), saved);
    EXPECT_EQ(other.Snapshot(), form.Snapshot());

    // The same properties written at their defaults change nothing that is saved.
    const Records frameDefaults = {
        {"BevelWidth", TValue::Integer(1)}, {"ColorFixed", TValue::Boolean(true)}, {"ColorDensity", TValue::Integer(100)},
        {"DensityDepended", TValue::Boolean(true)}, {"EdgeSize", TValue::Integer(15)}, {"ShadowColor", ident("clGray")},
        {"ShadowDensity", TValue::Integer(60)}, {"Shadowed", TValue::Boolean(false)}, {"ShadowOffsetX", TValue::Integer(3)},
        {"ShadowOffsetY", TValue::Integer(3)}, {"ShadowStyle", ident("ssDithered")}, {"Shape", ident("bspRect")},
        {"Transparence", ident("trNone")}, {"ParentShowHint", TValue::Boolean(true)}};
    const Records labelDefaults = {{"Enabled", TValue::Boolean(true)}, {"ShowAccelChar", TValue::Boolean(true)},
                                   {"Transparent", TValue::Boolean(false)}};
    Records plainLabelDefaults = labelDefaults; // a 3-D label fits no text
    plainLabelDefaults.push_back({"FitText", TValue::Boolean(false)});
    plainLabelDefaults.push_back({"MinFontSize", TValue::Integer(TLabel::kDefaultMinFontSize)});
    plainLabelDefaults.push_back({"Composed", TValue::Boolean(false)});
    const auto savedFrom = [&](bool explicitDefaults) {
        const auto pick = [explicitDefaults](const Records& r) { return explicitDefaults ? r : Records{}; };
        TForm1 window;
        pass_template::loadFile(window, templateWith([&](TStreamWriter& out) {
            element(out, QStringLiteral("TktMultiBevel"), QStringLiteral("Ramka1"), pick(frameDefaults));
            element(out, QStringLiteral("TLabel"), QStringLiteral("lblImie"), pick(plainLabelDefaults));
            element(out, QStringLiteral("TLabel3DF"), QStringLiteral("lbl1"), pick(labelDefaults));
            element(out, QStringLiteral("TImage"), QStringLiteral("ImgStale"), pick({{"Transparent", TValue::Boolean(false)}}));
        }));
        return pass_template::writeFile(window);
    };
    EXPECT_EQ(savedFrom(true), savedFrom(false));
    EXPECT_EQ(standard, standardLayoutStream());
}

// Spellings other writers use: sizes in points, the client size, bevel colours
// before the switch that would let them count. Read by the setters' rules,
// written back in the program's own words.
TEST(PassTemplate, OtherSpellingsAreReadAndWrittenInOurs) {
    TForm1 form;
    pass_template::loadFile(form, templateWith(
                                      [](TStreamWriter& out) {
                                          element(out, QStringLiteral("TLabel"), QStringLiteral("lblImie"),
                                                  {{"Font.Size", TValue::Integer(12)}});
                                          element(out, QStringLiteral("TktMultiBevel"), QStringLiteral("Ramka1"),
                                                  {{"Color", ident("clBlue")},
                                                   {"ColorHighlight", TValue::Integer(0x111111)},
                                                   {"ColorFixed", TValue::Boolean(false)}});
                                      },
                                      [](TStreamWriter& out) {
                                          out.property(QStringLiteral("ClientWidth"), TValue::Integer(300));
                                          out.property(QStringLiteral("ClientHeight"), TValue::Integer(150));
                                      }));
    EXPECT_EQ(form.lblImie->Font().Height(), -16);
    EXPECT_FALSE(form.lblImie->ParentFont());
    EXPECT_EQ(form.width(), 300);
    EXPECT_EQ(form.height(), 150);
    EXPECT_EQ(form.Ramka1->ColorHighlight(), 0xFFABAB); // derived: the switch came too late
    EXPECT_FALSE(form.Ramka1->ColorFixed());
    const QByteArray saved = pass_template::writeStream(form);
    EXPECT_FALSE(saved.contains("Font.Size"));
    EXPECT_FALSE(saved.contains("ClientWidth"));
    EXPECT_TRUE(saved.contains(QByteArray("\x0B") + "Font.Height" + hex("02F0")));
    EXPECT_TRUE(saved.contains(QByteArray("\x05") + "Width" + hex("033C01"))); // 300 and the frame's 16
}

TEST(PassTemplate, ValuesOutsideTheirTypesAreRefusedSaying) {
    TForm1 form;
    const auto frame = [&](const char* property, const TValue& value) {
        return refusal(form, oneElement(QStringLiteral("TktMultiBevel"), QStringLiteral("f"), {{property, value}}));
    };
    EXPECT_EQ(frame("ColorDensity", TValue::Integer(101)), QString::fromUtf8("„ColorDensity” = 101 poza zakresem 0..100"));
    EXPECT_EQ(frame("ShadowDensity", TValue::Integer(-1)), QString::fromUtf8("„ShadowDensity” = -1 poza zakresem 0..100"));
    EXPECT_EQ(frame("BevelWidth", TValue::Integer(0)), QString::fromUtf8("„BevelWidth” = 0 poza zakresem 1..32767"));
    EXPECT_EQ(frame("Shape", ident("bspCircle")), QString::fromUtf8("„Shape” nie zna wartości bspCircle"));
    EXPECT_EQ(frame("ShadowStyle", ident("ssGray")), QString::fromUtf8("„ShadowStyle” nie zna wartości ssGray"));
    EXPECT_EQ(frame("Transparence", TValue::Integer(1)), QString::fromUtf8("„Transparence” oczekuje identyfikatora"));
    EXPECT_EQ(frame("Shadowed", TValue::Integer(1)), QString::fromUtf8("„Shadowed” oczekuje wartości logicznej"));
    EXPECT_EQ(frame("ShowHint", TValue::String("tak")), QString::fromUtf8("„ShowHint” oczekuje wartości logicznej"));
    EXPECT_EQ(frame("EdgeSize", TValue::Integer(1 << 20)), QString::fromUtf8("„EdgeSize” = 1048576 poza zakresem -32767..32767"));
    EXPECT_TRUE(frame("Shadow", TValue::Boolean(true)).contains(QString::fromUtf8("„Shadow”")));
    const auto other = [&](const char* cls, const char* property, const TValue& value) {
        return refusal(form, oneElement(QLatin1String(cls), QStringLiteral("e"), {{property, value}}));
    };
    EXPECT_EQ(other("TLabel", "Font.Size", TValue::Integer(5000)), QString::fromUtf8("„Font.Size” = 5000 poza zakresem -3072..3072"));
    EXPECT_EQ(other("TLabel3DF", "Transparent", ident("True")), QString::fromUtf8("„Transparent” oczekuje wartości logicznej"));
    EXPECT_EQ(other("TImage", "Transparent", TValue::Integer(0)), QString::fromUtf8("„Transparent” oczekuje wartości logicznej"));
    EXPECT_EQ(other("TSizeControl", "Enabled", TValue::Nil()), QString::fromUtf8("„Enabled” oczekuje wartości logicznej"));
    EXPECT_TRUE(other("TImage", "ShowAccelChar", TValue::Boolean(true)).contains(QStringLiteral("ShowAccelChar")));
    EXPECT_EQ(refusal(form, templateWith([](TStreamWriter&) {}, [](TStreamWriter& out) {
                  out.property(QStringLiteral("ClientWidth"), TValue::Integer(kMaxCardSide + 1));
              })),
              QString::fromUtf8("„ClientWidth” = 8193 poza zakresem 0..8192"));
}

TEST(PassTemplate, LongCaptionsAndElementsWithoutANameLoad) {
    TForm1 form;
    const QString longCaption = QString(5000, u'ż');
    pass_template::loadFile(form, templateWith([&](TStreamWriter& out) {
        label(out, QStringLiteral("lblImie"), longCaption);
        label(out, QString(), QStringLiteral("bez nazwy 1"));
        label(out, QString(), QStringLiteral("bez nazwy 2"));
        element(out, QStringLiteral("TktMultiBevel"), QString(), {{"Shape", ident("bspLeftLine")}});
        element(out, QStringLiteral("TSizeControl"), QStringLiteral("SizeControl1"), {{"Target", TValue::Ident(QString())}});
    }));
    EXPECT_EQ(form.lblImie->Caption(), longCaption);
    EXPECT_EQ(form.client().ControlCount(), 4);
    EXPECT_EQ(form.Ramka1, nullptr); // no name fills no slot
    EXPECT_EQ(form.lblNazwisko, nullptr);
    EXPECT_EQ(form.SizeControl1->Target(), nullptr); // an empty name refers to nothing
    form.SizeControl1->setTarget(form.client().Controls()[1]);
    const QByteArray saved = pass_template::writeFile(form);
    EXPECT_FALSE(saved.contains("Target")); // nor can anything refer to it
    TForm1 other;
    pass_template::loadFile(other, saved);
    ASSERT_EQ(other.client().ControlCount(), 4);
    EXPECT_TRUE(other.client().Controls()[2]->Name().isEmpty());
    EXPECT_EQ(static_cast<const TLabel*>(other.client().Controls()[2])->Caption(), QStringLiteral("bez nazwy 2"));
    EXPECT_EQ(pass_template::writeFile(other), saved);

    // Two megabytes of text are still a design; beyond them the file is damage.
    const qsizetype most = 2 * 1024 * 1024;
    const QString huge(most - 1, u'x');
    pass_template::loadFile(form, templateWith([&](TStreamWriter& out) { label(out, QStringLiteral("lblImie"), huge); },
                                               [](TStreamWriter& out) { out.property(QStringLiteral("Caption"), TValue::String("y")); }));
    form.Snapshot();
    EXPECT_EQ(form.lblImie->Caption().size(), huge.size());
    EXPECT_EQ(refusal(form, templateWith([&](TStreamWriter& out) { label(out, QStringLiteral("x"), huge + u'x' + u'x'); })),
              QString::fromUtf8("teksty wzorca mają razem 2097153 znaków, a mogą mieć najwyżej 2097152"));
    EXPECT_FALSE(refusal(form, templateWith([&](TStreamWriter& out) {
                     label(out, QStringLiteral("x"), huge.left(most / 2));
                     label(out, QStringLiteral("y"), huge.left(most / 2 + 1));
                 })).isEmpty()); // however it is shared out
}

// Wide strings may hold any character; a template keeps text in the code page,
// so only what it can hold loads, and what loads can be saved.
TEST(PassTemplate, TextTheCodePageCannotHoldIsRefusedWithItsElement) {
    TForm1 form;
    pass_template::loadFile(form, widened(oneElement(QStringLiteral("TLabel"), QStringLiteral("lblImie"), {{"Caption", kWide}}),
                                          QString::fromUtf8("Łódź")));
    EXPECT_EQ(form.lblImie->Caption(), QString::fromUtf8("Łódź"));
    EXPECT_TRUE(pass_template::writeStream(form).contains(QByteArray("\x07") + "Caption" + hex("0604A3F3649F")));
    EXPECT_EQ(refusal(form, widened(oneElement(QStringLiteral("TLabel"), QStringLiteral("lblImie"), {{"Caption", kWide}}),
                                    QString::fromUtf8("a☃"))),
              QString::fromUtf8("lblImie, „Caption”: Znak \"☃\" (U+2603) nie należy do strony kodowej Windows-1250."));
    EXPECT_TRUE(refusal(form, widened(oneElement(QStringLiteral("TLabel3DF"), QString(), {{"Font.Name", kWide}}),
                                      QString::fromUtf8("字")))
                    .startsWith(QString::fromUtf8("element klasy TLabel3DF bez nazwy, „Font.Name”: Znak")));
    EXPECT_TRUE(refusal(form, widened(templateWith([](TStreamWriter&) {},
                                                   [](TStreamWriter& out) { out.property(QStringLiteral("Caption"), kWide); }),
                                      QString::fromUtf8("€ ₽")))
                    .startsWith(QString::fromUtf8("Form1, „Caption”: Znak \"₽\"")));

    // A sizer's target named in the code page's letters is found, and written as it was read.
    QByteArray polish = templateWith([](TStreamWriter& out) {
        label(out, QString::fromUtf8("łabędź"), QStringLiteral("x"));
        element(out, QStringLiteral("TSizeControl"), QStringLiteral("SizeControl1"),
                {{"Target", TValue::Ident(QString::fromLatin1(QByteArray("\xB3" "ab\xEA" "d\x9F")))}});
    });
    pass_template::loadFile(form, polish);
    ASSERT_NE(form.SizeControl1->Target(), nullptr);
    EXPECT_EQ(form.SizeControl1->Target()->Name(), QString::fromUtf8("łabędź"));
    EXPECT_TRUE(pass_template::writeFile(form).contains(QByteArray("\x06") + "Target" + hex("0706B36162EA649F")));
}

namespace {

// A placeable metafile with the given box, units per inch, handle and reserved
// word, whose records set their own window on the box and fill it red.
QByteArray placeable(int left, int top, int right, int bottom, int inch, int handle = 0, quint32 reserved = 0) {
    const auto words = [](std::initializer_list<int> values) {
        QByteArray out;
        for (int v : values) {
            out.append(static_cast<char>(v & 0xFF));
            out.append(static_cast<char>((v >> 8) & 0xFF));
        }
        return out;
    };
    QByteArray header = words({0xCDD7, 0x9AC6, handle, left, top, right, bottom, inch, int(reserved & 0xFFFF),
                               int(reserved >> 16)});
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(header.constData() + 2 * i);
    header += words({sum});
    // Each record: its size in words (two for the size, one for the function, then the parameters).
    const auto record = [&words](int function, std::initializer_list<int> params) {
        return words({int(3 + params.size()), 0, function}) + words(params);
    };
    const QByteArray records = record(0x020B, {top, left}) +                       // window origin
                               record(0x020C, {bottom - top, right - left}) +      // window extent
                               record(0x02FC, {0, 0x00FF, 0, 0}) +                 // a red brush
                               record(0x012D, {0}) +                               // selected
                               record(0x041B, {bottom, right, top, left}) +        // the box filled
                               record(0x0000, {});                                 // the end
    const int total = 9 + int(records.size() / 2);
    return header + words({1, 9, 0x300, total & 0xFFFF, total >> 16, 1, 8, 0, 0}) + records;
}

QByteArray metafilePayload(const QByteArray& wmf) {
    QByteArray payload = hex("09") + "TMetafile";
    QByteArray length(4, '\0');
    qToLittleEndian<quint32>(static_cast<quint32>(wmf.size() + 4), reinterpret_cast<uchar*>(length.data()));
    return payload + length + wmf;
}

} // namespace

TEST(PassTemplate, AMetafileIsWrittenWithItsBoxAtTheOriginAndDrawsAlike) {
    struct Case {
        QByteArray wmf;
        QByteArray header; // the header expected back
    };
    const std::vector<Case> cases = {
        {placeable(100, 200, 1540, 920, 1440, 7, 0x12345678), placeable(0, 0, 1440, 720, 1440).left(22)},
        {placeable(0, 720, 1440, 0, 1440), placeable(0, 0, 1440, -720, 1440).left(22)}, // drawn with y upwards
        {placeable(10, 10, 106, 58, 0), placeable(0, 0, 96, 48, 96).left(22)},           // no units per inch: 96
    };
    for (const Case& c : cases) {
        const QByteArray file = oneElement(QStringLiteral("TImage"), QStringLiteral("Image11"),
                                           {{"Width", TValue::Integer(96)}, {"Height", TValue::Integer(48)},
                                            {"Stretch", TValue::Boolean(true)},
                                            {"Picture.Data", TValue::Binary(metafilePayload(c.wmf))}});
        TForm1 form;
        pass_template::loadFile(form, file);
        const QByteArray saved = pass_template::writeFile(form);
        const qsizetype at = saved.indexOf(QByteArray("\x09") + "TMetafile");
        ASSERT_GT(at, 0);
        const QByteArray written = saved.mid(at + 14, c.wmf.size());
        EXPECT_EQ(written.left(22).toHex(' '), c.header.toHex(' '));
        EXPECT_EQ(written.mid(22), c.wmf.mid(22)); // the records as they came
        TForm1 reread;
        pass_template::loadFile(reread, saved);
        EXPECT_EQ(pass_template::writeFile(reread), saved);
        const QImage before = form.Snapshot(), after = reread.Snapshot();
        EXPECT_EQ(before, after);
        EXPECT_EQ(before.pixelColor(48, 24), QColor(Qt::red)); // drawn, not merely blank alike
    }
}

TEST(PassTemplate, ATransparentBitmapShowsWhatLiesUnderItsKeyColour) {
    QImage bitmap(4, 4, QImage::Format_RGB32);
    bitmap.fill(Qt::green); // the bottom-left pixel's colour is left out
    bitmap.setPixel(1, 1, qRgb(0, 0, 255));
    const QByteArray payload = pictureToStreamData(TPicture(std::make_unique<TBitmap>(bitmap)));
    TForm1 form;
    pass_template::loadFile(form, templateWith(
                                      [&](TStreamWriter& out) {
                                          element(out, QStringLiteral("TImage"), QStringLiteral("ImgStale"),
                                                  {{"Left", TValue::Integer(10)}, {"Top", TValue::Integer(10)},
                                                   {"Picture.Data", TValue::Binary(payload)},
                                                   {"Transparent", TValue::Boolean(true)}});
                                      },
                                      [](TStreamWriter& out) { out.property(QStringLiteral("Color"), ident("clYellow")); }));
    QImage card = form.Snapshot();
    EXPECT_EQ(card.pixelColor(10, 10), QColor(Qt::yellow));
    EXPECT_EQ(card.pixelColor(11, 11), QColor(Qt::blue));
    form.ImgStale->setTransparent(false);
    card = form.Snapshot();
    EXPECT_EQ(card.pixelColor(10, 10), QColor(Qt::green));
}
