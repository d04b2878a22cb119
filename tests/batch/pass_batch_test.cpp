#include "batch/pass_batch.h"
#include "controls/barcode.h"
#include "controls/image.h"
#include "controls/label.h"
#include "core/color.h"
#include "core/exception.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "support/code_reader.h"
#include "support/pdf_images.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

QColor personColor(int i) { return QColor::fromHsv((i * 29) % 360, 255, 230); }

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

// Places computed two ways agree to far below a printer's dot.
bool same(const QRectF& a, const QRectF& b) {
    return std::abs(a.left() - b.left()) < 1e-9 && std::abs(a.top() - b.top()) < 1e-9 &&
           std::abs(a.width() - b.width()) < 1e-9 && std::abs(a.height() - b.height()) < 1e-9;
}

int pdfPages(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    process.waitForFinished(30000);
    for (const QString& line : QString::fromLatin1(process.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

struct Batch : ::testing::Test {
    QTemporaryDir dir;
    std::shared_ptr<ISQLiteDatabase> db;
    QByteArray templateFile;
    TRect photo; // where the photo lies on the standard pass

    Batch() {
        const QString file = dir.filePath(QStringLiteral("osoby.db"));
        person_table::CreateDatabase(file);
        db = person_table::OpenExisting(file);
        person_table::Delete(*db, 1); // the sample person
        // Surnames in an order different from the insert order: "Osoba 24" first.
        for (int i = 0; i < 25; ++i) {
            TPersonTexts texts;
            texts[1] = QStringLiteral("Imię%1").arg(i);
            texts[2] = QStringLiteral("Osoba %1").arg(24 - i, 2, 10, QChar(u'0'));
            texts[3] = i % 4 == 0 ? QStringLiteral("VIP") : QStringLiteral("Gość"); // 24, 20, 16, ... 0
            QImage face(40, 50, QImage::Format_RGB32);
            face.fill(personColor(24 - i));
            person_table::Insert(*db, texts, encodeJpeg(face));
        }
        TForm1 standard;
        templateFile = pass_template::writeFile(standard);
        photo = standard.Image11->BoundsRect();
    }
};

} // namespace

TEST(SheetLayout, PassesPerSheetFromTheirScreenSize) {
    const QSize pass(376, 194); // 99.5 x 51.3 mm
    TSheetLayout portrait = computeSheetLayout(pass, {});
    EXPECT_EQ(portrait.columns, 2);
    EXPECT_EQ(portrait.rows, 5);
    EXPECT_NEAR(portrait.places[0].width(), 99.48, 0.01);
    EXPECT_NEAR(portrait.places[1].left() - portrait.places[0].right(), 0.0, 1e-9); // no gap by default
    EXPECT_NEAR(portrait.places[0].left(), (210 - 2 * 99.48) / 2, 0.01);          // the block is centred
    TSheetOptions landscape;
    landscape.landscape = true;
    EXPECT_EQ(computeSheetLayout(pass, landscape).perSheet(), 2 * 3);
    TSheetOptions fixed;
    ASSERT_TRUE(parsePerSheet(QStringLiteral("2x4"), fixed));
    EXPECT_EQ(computeSheetLayout(pass, fixed).perSheet(), 8);
    EXPECT_EQ(computeSheetLayout(pass, fixed).sheetsFor(25), 4);
    ASSERT_TRUE(parsePerSheet(QStringLiteral("3x1"), fixed));
    EXPECT_THROW(computeSheetLayout(pass, fixed), Exception);
    EXPECT_FALSE(parsePerSheet(QStringLiteral("0x4"), fixed));
    EXPECT_FALSE(parsePerSheet(QStringLiteral("2x"), fixed));
    EXPECT_THROW(computeSheetLayout(QSize(2000, 100), {}), Exception);
    EXPECT_EQ(passCountText(12, 2), QString::fromUtf8("12 osób, 2 arkusze"));
    EXPECT_EQ(passCountText(1, 1), QString::fromUtf8("1 osoba, 1 arkusz"));
    EXPECT_EQ(passCountText(22, 5), QString::fromUtf8("22 osoby, 5 arkuszy"));
    EXPECT_EQ(passCountText(112, 14), QString::fromUtf8("112 osób, 14 arkuszy"));
}

TEST(PagePlan, BacksLieBehindTheirFrontsForEachWayOfTurningTheSheet) {
    const QSize pass(376, 194);
    TSheetOptions options;
    parsePerSheet(QStringLiteral("2x4"), options);
    const TSheetLayout portrait = computeSheetLayout(pass, options);
    const QSizeF passMm = portrait.passMm;
    const auto at = [&](const TSheetLayout& layout, int row, int column) {
        return layout.places[static_cast<std::size_t>(row * layout.columns + column)];
    };
    // Three passes on eight places: the fourth and later stay empty on both sides.
    TPagePlan plan = planPages(3, portrait, passMm, TDuplex::LongEdge);
    ASSERT_EQ(plan.pages.size(), 2u);
    EXPECT_EQ(plan.sheets, 1);
    EXPECT_FALSE(plan.pages[0].back);
    EXPECT_TRUE(plan.pages[1].back);
    ASSERT_EQ(plan.pages[1].passes.size(), 3u);
    EXPECT_TRUE(same(plan.pages[0].passes[2].placeMm, at(portrait, 1, 0)));
    // Long edge of a portrait sheet: columns mirrored.
    EXPECT_TRUE(same(plan.pages[1].passes[0].placeMm, at(portrait, 0, 1)));
    EXPECT_TRUE(same(plan.pages[1].passes[1].placeMm, at(portrait, 0, 0)));
    EXPECT_TRUE(same(plan.pages[1].passes[2].placeMm, at(portrait, 1, 1)));
    for (const TPlacedPass& placed : plan.pages[1].passes)
        EXPECT_TRUE(placed.back);
    // Short edge: rows mirrored, columns kept.
    plan = planPages(3, portrait, passMm, TDuplex::ShortEdge);
    EXPECT_TRUE(same(plan.pages[1].passes[0].placeMm, at(portrait, 3, 0)));
    EXPECT_TRUE(same(plan.pages[1].passes[2].placeMm, at(portrait, 2, 0)));
    // A landscape sheet turns on its long edge at the top: rows mirrored there.
    options.landscape = true;
    parsePerSheet(QStringLiteral("2x3"), options);
    const TSheetLayout landscape = computeSheetLayout(pass, options);
    plan = planPages(1, landscape, passMm, TDuplex::LongEdge);
    EXPECT_TRUE(same(plan.pages[1].passes[0].placeMm, at(landscape, 2, 0)));
    plan = planPages(1, landscape, passMm, TDuplex::ShortEdge);
    EXPECT_TRUE(same(plan.pages[1].passes[0].placeMm, at(landscape, 0, 1)));
    // A smaller back is centred behind its front; no back, no back pages.
    plan = planPages(9, portrait, QSizeF(50, 30), TDuplex::LongEdge);
    ASSERT_EQ(plan.pages.size(), 4u);
    EXPECT_EQ(plan.pages[3].passes[0].person, 8);
    EXPECT_EQ(plan.pages[1].passes[0].placeMm.center(), at(portrait, 0, 1).center());
    EXPECT_EQ(plan.pages[1].passes[0].placeMm.size(), QSizeF(50, 30));
    EXPECT_EQ(planPages(9, portrait).pages.size(), 2u);
}

TEST(PagePlan, ACardHoldsOnePassFittedWithItsProportions) {
    TCardOptions cr80;
    const TSheetLayout card = computeCardLayout(QSize(376, 194), cr80); // 99.5 x 51.3 mm: too wide
    EXPECT_EQ(card.sheetMm, QSizeF(85.6, 54));
    const TPagePlan plan = planPages(3, card, QSizeF(30, 40));
    ASSERT_EQ(plan.pages.size(), 6u);
    EXPECT_EQ(plan.sheets, 3);
    const QRectF front = plan.pages[0].passes[0].placeMm;
    EXPECT_NEAR(front.width(), 85.6, 1e-9);
    EXPECT_NEAR(front.height(), 85.6 * 194 / 376, 1e-9);
    EXPECT_NEAR(front.top(), (54 - front.height()) / 2, 1e-9);
    for (int page = 0; page < 6; ++page) {
        EXPECT_EQ(plan.pages[static_cast<std::size_t>(page)].back, page % 2 == 1);
        EXPECT_EQ(plan.pages[static_cast<std::size_t>(page)].passes[0].person, page / 2);
    }
    EXPECT_TRUE(same(plan.pages[1].passes[0].placeMm, QRectF(27.8, 7, 30, 40))); // the back fits as it is
    // Bleed: fitted to a millimetre beyond every edge.
    cr80.bleed = true;
    const QRectF bled = planPages(1, computeCardLayout(QSize(376, 194), cr80)).pages[0].passes[0].placeMm;
    EXPECT_NEAR(bled.left(), -1, 1e-9);
    EXPECT_NEAR(bled.width(), 87.6, 1e-9);
    QSizeF size;
    EXPECT_TRUE(parseCardSize(QStringLiteral("cr80"), size));
    EXPECT_EQ(size, QSizeF(85.6, 54));
    EXPECT_TRUE(parseCardSize(QStringLiteral("85,6x54mm"), size));
    EXPECT_EQ(size, QSizeF(85.6, 54));
    EXPECT_FALSE(parseCardSize(QStringLiteral("10x54"), size));
    EXPECT_FALSE(parseCardSize(QStringLiteral("85.6"), size));
    EXPECT_EQ(savedSummary(125, false, 1000, QStringLiteral("przepustki.pdf")),
              QString::fromUtf8("Zapisano 125 arkuszy, 1000 przepustek do przepustki.pdf"));
    EXPECT_EQ(savedSummary(1, true, 1, QStringLiteral("k.pdf")), QString::fromUtf8("Zapisano 1 kartę, 1 przepustkę do k.pdf"));
    EXPECT_EQ(savedSummary(22, true, 22, QStringLiteral("k.pdf")), QString::fromUtf8("Zapisano 22 karty, 22 przepustki do k.pdf"));
    EXPECT_EQ(savedSummary(12, false, 95, QStringLiteral("k.pdf")), QString::fromUtf8("Zapisano 12 arkuszy, 95 przepustek do k.pdf"));
}

TEST_F(Batch, PersonsByIdsPhraseAndPriority) {
    EXPECT_EQ(choosePersons(*db, {}).size(), 25u);
    TPersonFilter phrase;
    phrase.phrase = QStringLiteral("osoba 0");
    EXPECT_EQ(choosePersons(*db, phrase).size(), 10u); // 00 .. 09, case folded
    phrase.matchCase = true;
    EXPECT_TRUE(choosePersons(*db, phrase).empty());
    TPersonFilter whole;
    whole.phrase = QStringLiteral("Osoba 07");
    whole.wholeWords = true;
    EXPECT_EQ(choosePersons(*db, whole).size(), 1u);
    TPersonFilter vip;
    vip.priorities = QSet<QString>{QStringLiteral("VIP")};
    EXPECT_EQ(choosePersons(*db, vip).size(), 7u);
    const std::vector<std::int64_t> all = choosePersons(*db, {});
    TPersonFilter some;
    some.ids = QSet<std::int64_t>{all[3], all[1]};
    EXPECT_EQ(choosePersons(*db, some), (std::vector<std::int64_t>{all[1], all[3]})); // surname order
}

TEST_F(Batch, TwentyFivePersonsEightToASheetMakeFourPagesInSurnameOrder) {
    TSheetOptions options;
    parsePerSheet(QStringLiteral("2x4"), options);
    TPassBatch batch(*db, templateFile, choosePersons(*db, {}), options);
    EXPECT_EQ(batch.sheetCount(), 4);
    const QString pdf = dir.filePath(QStringLiteral("przepustki.pdf"));
    int reported = 0;
    ASSERT_TRUE(batch.writePdf(pdf, 300, [&](int done, int total) {
        EXPECT_EQ(total, 25);
        reported = done;
        return true;
    }));
    EXPECT_EQ(reported, 25);
    EXPECT_EQ(pdfPages(pdf), 4);
    // The first pass of page 2 is the 9th person in surname order: "Osoba 08".
    const QImage page = renderPage(pdf, 2, dir.path());
    ASSERT_FALSE(page.isNull());
    const QRectF first = batch.layout().places[0];
    const QPoint centre(qRound((first.left() + 0) / 25.4 * 96) + photo.Left + photo.Width() / 2,
                        qRound(first.top() / 25.4 * 96) + photo.Top + photo.Height() / 2);
    EXPECT_TRUE(near(page.pixelColor(centre), personColor(8))) << page.pixelColor(centre).name().toStdString();
}

TEST_F(Batch, AFilterOfThreeGivesOnePageWithThreePassesAndCutMarks) {
    TPersonFilter filter;
    filter.phrase = QStringLiteral("Osoba 2"); // 20 .. 24, of whom 20 and 24 are VIPs
    filter.priorities = QSet<QString>{QStringLiteral("Gość")};
    const std::vector<std::int64_t> chosen = choosePersons(*db, filter);
    ASSERT_EQ(chosen.size(), 3u);
    TSheetOptions options;
    options.cutMarks = true;
    TPassBatch batch(*db, templateFile, chosen, options);
    EXPECT_EQ(batch.sheetCount(), 1);
    const QString pdf = dir.filePath(QStringLiteral("trzy.pdf"));
    ASSERT_TRUE(batch.writePdf(pdf));
    EXPECT_EQ(pdfPages(pdf), 1);
    const QImage page = renderPage(pdf, 1, dir.path());
    ASSERT_FALSE(page.isNull());
    const auto photoCentre = [&](int place) {
        const QRectF mm = batch.layout().places[static_cast<std::size_t>(place)];
        return QPoint(qRound(mm.left() / 25.4 * 96) + photo.Left + photo.Width() / 2,
                      qRound(mm.top() / 25.4 * 96) + photo.Top + photo.Height() / 2);
    };
    for (int place = 0; place < 3; ++place)
        EXPECT_TRUE(near(page.pixelColor(photoCentre(place)), personColor(21 + place))) << place;
    EXPECT_EQ(page.pixelColor(photoCentre(3)), QColor(Qt::white)); // the fourth place stays empty
    // A cut mark: left of the first pass's top-left corner, on its top edge.
    const QRectF mm = batch.layout().places[0];
    const QPoint mark(qRound((mm.left() - 3) / 25.4 * 96), qRound(mm.top() / 25.4 * 96));
    EXPECT_LT(page.pixelColor(mark).lightness(), 160);
}

// A code and a composed text filled in for each pass: the code as shapes the
// printer draws sharp, read back from the PDF rasterised at 300 dpi.
TEST_F(Batch, CodesAndComposedTextsCarryEachPassesOwnData) {
    TForm1 design;
    TBarcode* code = design.createControl<TBarcode>(QStringLiteral("Kod1"));
    code->SetBounds(300, 116, 70, 70);
    code->setText(QStringLiteral("{Indeks}"));
    TLabel* number = design.createControl<TLabel>(QStringLiteral("lblNumer"));
    number->SetBounds(150, 170, 140, 16);
    number->setComposed(true);
    number->setCaption(QString::fromUtf8("Nr {NrPrzepustki}, ważna do {WaznaDo}"));
    const QByteArray composedTemplate = pass_template::writeFile(design);
    std::vector<std::int64_t> chosen;
    for (const char* index : {"K-0003", "K-0001", "K-0002"}) {
        TPersonTexts texts;
        texts[2] = QStringLiteral("Kodowana %1").arg(QLatin1String(index));
        texts[4] = QLatin1String(index);
        chosen.push_back(person_table::Insert(*db, texts, {}));
    }
    TBatchOptions options;
    options.run = *withNumberFrom({}, QStringLiteral("0041"));
    options.run.validUntil = QDate(2027, 3, 31);

    TPassRenderer renderer(composedTemplate, options.run);
    EXPECT_TRUE(renderer.composedTextProblems().empty());
    const TDocumentPass pass = renderer.document({}, {}, 4, false, 2);
    EXPECT_TRUE(std::any_of(pass.items.begin(), pass.items.end(), [](const TDocumentItem& item) {
        return item.kind == TDocumentItem::Text && item.text == QString::fromUtf8("Nr 0043, ważna do 2027-03-31");
    }));

    TPassBatch batch(*db, composedTemplate, chosen, options);
    const QString pdf = dir.filePath(QStringLiteral("kody.pdf"));
    ASSERT_TRUE(batch.writePdf(pdf, 300));
    EXPECT_EQ(test::decodeCodes(renderPage(pdf, 1, dir.path(), 300)),
              (QStringList{QStringLiteral("K-0001"), QStringLiteral("K-0002"), QStringLiteral("K-0003")}));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    text.waitForFinished(30000);
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(QString::fromUtf8("Nr 0042, ważna do 2027-03-31")));

    // A person whose code cannot be made is named with why, before the run.
    code->setKind(bkEAN13);
    TPassRenderer ean(pass_template::writeFile(design), options.run);
    TPersonTexts lettered, empty;
    lettered[4] = QStringLiteral("K-0001");
    EXPECT_EQ(ean.unfitLabels(lettered, 4),
              QStringList{QString::fromUtf8("Kod1 (EAN-13 koduje same cyfry, a „K-0001” ma też inne znaki)")});
    EXPECT_EQ(ean.unfitLabels(empty, 4), QStringList{QStringLiteral("Kod1 (brak tekstu do zakodowania)")});

    // Without the validity date the run is told what it lacks.
    TPassRenderer undated(composedTemplate);
    EXPECT_EQ(undated.composedTextProblems().unset, QStringList{QString::fromUtf8("lblNumer: pole {WaznaDo} nie ma wartości w tym wydruku")});
}

TEST_F(Batch, TheBackSheetHoldsTheSamePersonsMirrored) {
    TPersonFilter filter;
    filter.phrase = QStringLiteral("Osoba 2");
    filter.priorities = QSet<QString>{QStringLiteral("Gość")}; // 21, 22, 23
    TBatchOptions options;
    parsePerSheet(QStringLiteral("2x4"), options.sheet);
    TForm1 back;
    back.setColor(clYellow);
    options.backTemplate = pass_template::writeFile(back);
    TPassBatch batch(*db, templateFile, choosePersons(*db, filter), options);
    EXPECT_EQ(batch.sheetCount(), 1);
    const QString pdf = dir.filePath(QStringLiteral("dwustronnie.pdf"));
    ASSERT_TRUE(batch.writePdf(pdf, 96));
    EXPECT_EQ(pdfPages(pdf), 2);
    const QImage backs = renderPage(pdf, 2, dir.path());
    ASSERT_FALSE(backs.isNull());
    const auto pixel = [&](int place, QPoint inPass) {
        const QRectF mm = batch.layout().places[static_cast<std::size_t>(place)];
        return backs.pixelColor(QPoint(qRound(mm.left() / 25.4 * 96), qRound(mm.top() / 25.4 * 96)) + inPass);
    };
    const QPoint photoCentre(photo.Left + photo.Width() / 2, photo.Top + photo.Height() / 2);
    // Columns swapped behind the first row; the second row's one pass on the right.
    EXPECT_TRUE(near(pixel(1, photoCentre), personColor(21)));
    EXPECT_TRUE(near(pixel(0, photoCentre), personColor(22)));
    EXPECT_TRUE(near(pixel(3, photoCentre), personColor(23)));
    EXPECT_TRUE(near(pixel(3, QPoint(4, 4)), QColor(Qt::yellow))) << pixel(3, QPoint(4, 4)).name().toStdString();
    EXPECT_EQ(pixel(2, QPoint(4, 4)), QColor(Qt::white)); // behind the empty place, nothing
}

TEST_F(Batch, ACancelledRunLeavesNoFile) {
    TPassBatch batch(*db, templateFile, choosePersons(*db, {}), TSheetOptions{});
    const QString pdf = dir.filePath(QStringLiteral("przerwane.pdf"));
    EXPECT_FALSE(batch.writePdf(pdf, 96, [](int done, int) { return done < 5; }));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // the database alone
}

TEST_F(Batch, PassesAreDrawnOnAWindowNobodySees) {
    TForm1 shown;
    shown.show(); // the template says "Visible", as one saved from the pass on screen does
    const QByteArray file = pass_template::writeFile(shown);
    shown.hide();
    TPassRenderer renderer(file);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}
