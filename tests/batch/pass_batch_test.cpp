#include "batch/pass_batch.h"
#include "controls/image.h"
#include "core/exception.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"

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

// A page of a PDF rendered by poppler at 96 dots per inch.
QImage renderPage(const QString& pdf, int page, const QString& folder) {
    QProcess process;
    const QString stem = QDir(folder).filePath(QStringLiteral("page%1").arg(page));
    process.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                               QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                               QString::number(page), QStringLiteral("-singlefile"), pdf, stem});
    EXPECT_TRUE(process.waitForFinished(60000));
    return QImage(stem + QStringLiteral(".png"));
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

TEST_F(Batch, ACancelledRunLeavesNoFile) {
    TPassBatch batch(*db, templateFile, choosePersons(*db, {}), {});
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
