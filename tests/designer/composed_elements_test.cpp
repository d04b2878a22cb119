#include "controls/barcode.h"
#include "controls/label.h"
#include "core/picture.h"
#include "designer/composed_elements.h"
#include "designer/pass_person.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

TPersonTexts person(const QString& first, const QString& last, const QString& index) {
    TPersonTexts texts;
    texts.fill(QStringLiteral(" "));
    texts[1] = first;
    texts[2] = last;
    texts[4] = index;
    return texts;
}

} // namespace

// New elements go where they hide nothing, show the person on the pass, and
// save and load as they were; what the person changes is no change of design.
TEST(ComposedElements, AddedTextsAndCodesHideNothingAndKeepTheirPatterns) {
    TForm1 form;
    form.LoadStandardLayout();
    showPersonOnPass(form, person(QStringLiteral("Agnieszka"), QString::fromUtf8("Wiśniewska"), QStringLiteral("K-0042")), {});
    std::vector<QRect> shown;
    for (const TControl* element : form.client().Controls())
        if (element->Visible() && element->HollowArea().isEmpty())
            shown.push_back(element->BoundsRect().toQRect());
    TLabel* text = composed_elements::addText(form, QStringLiteral("{Imie} {Nazwisko}"));
    TBarcode* code = composed_elements::addCode(form, bkQR, QStringLiteral("{Indeks}"));
    EXPECT_EQ(text->Name(), QStringLiteral("lblTekst1"));
    EXPECT_EQ(code->Name(), QStringLiteral("Kod1"));
    EXPECT_EQ(composed_elements::addText(form, QString::fromUtf8("Nr {NrPrzepustki}, ważna do {WaznaDo}"))->Name(),
              QStringLiteral("lblTekst2"));
    for (const QRect& r : shown) {
        EXPECT_FALSE(r.intersects(text->BoundsRect().toQRect()));
        EXPECT_FALSE(r.intersects(code->BoundsRect().toQRect()));
    }
    EXPECT_FALSE(text->BoundsRect().toQRect().intersects(code->BoundsRect().toQRect()));
    EXPECT_EQ(text->ShownCaption(), QString::fromUtf8("Agnieszka Wiśniewska"));
    EXPECT_EQ(code->CodedText(), QStringLiteral("K-0042"));

    const QByteArray design = pass_template::designFingerprint(form);
    showPersonOnPass(form, person(QStringLiteral("Jan"), QStringLiteral("Nowak"), QStringLiteral("7")), {});
    EXPECT_EQ(text->ShownCaption(), QStringLiteral("Jan Nowak"));
    EXPECT_EQ(code->CodedText(), QStringLiteral("7"));
    EXPECT_EQ(pass_template::designFingerprint(form), design); // another person, the same design

    const QByteArray saved = pass_template::writeFile(form);
    TForm1 loaded;
    pass_template::loadFile(loaded, saved);
    EXPECT_EQ(pass_template::writeFile(loaded), saved);
    const auto* again = dynamic_cast<TLabel*>(loaded.findControl(QStringLiteral("lblTekst1")));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Caption(), QStringLiteral("{Imie} {Nazwisko}"));
    EXPECT_EQ(again->ShownCaption(), QStringLiteral("Jan Nowak")); // the person the labels held
    const QString dump = pass_template::describeFile(saved);
    EXPECT_TRUE(dump.contains(QStringLiteral("object Kod1: TBarcode")));
    EXPECT_TRUE(dump.contains(QStringLiteral("Composed = True")));
    EXPECT_TRUE(dump.endsWith(QString::fromUtf8("Używa nowych możliwości: tekst złożony (lblTekst1), kod (Kod1), "
                                                "tekst złożony (lblTekst2)\n")));

    // The file kept in the test data (a fuzzing seed too) was saved so; it loads and saves alike.
    const QString keptPath = QStringLiteral(TEST_DATA_DIR "/composed.wzo");
    if (qEnvironmentVariableIsSet("WENDOLARKA_WRITE_TEST_DATA")) {
        QFile out(keptPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(saved);
    }
    QFile kept(keptPath);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const QByteArray keptBytes = kept.readAll();
    TForm1 fromKept;
    pass_template::loadFile(fromKept, keptBytes);
    EXPECT_EQ(pass_template::writeFile(fromKept), keptBytes);

    composed_elements::change(form, *code, QStringLiteral("{Nazwisko}"), bkEAN13);
    EXPECT_EQ(code->CodeError(), QString::fromUtf8("EAN-13 koduje same cyfry, a „Nowak” ma też inne znaki"));
    EXPECT_EQ(composed_elements::preview(form, QStringLiteral("{Nazwisko}"), bkEAN13).problems, QStringList{code->CodeError()});
    EXPECT_EQ(composed_elements::preview(form, QStringLiteral("{Stanowisko}"), std::nullopt).problems,
              QStringList{QStringLiteral("nieznane pole {Stanowisko}")});
}

// A design that uses nothing new saves as before: no new class, no new property.
TEST(ComposedElements, TheStandardLayoutSavesWithoutAnyOfThem) {
    TForm1 form;
    form.LoadStandardLayout();
    const QByteArray saved = pass_template::writeStream(form);
    EXPECT_FALSE(saved.contains("TBarcode"));
    EXPECT_FALSE(saved.contains("Composed"));
    EXPECT_FALSE(saved.contains("FitText"));
    EXPECT_EQ(saved, standardLayoutStream());
}
