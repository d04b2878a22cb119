#include "batch/batch_dialog.h"
#include "batch/calibration_dialog.h"
#include "batch/run_fields_box.h"
#include "batch/pass_document.h"
#include "controls/label.h"
#include "core/color.h"
#include "core/image_codecs.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "printing/print_preview.h"
#include "printing/print_window.h"
#include "support/pdf_images.h"
#include "support/pdf_printer_service.h"
#include "support/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct ManyPasses : ::testing::Test {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    PdfPrinterService printers{dir.filePath(QStringLiteral("drukarka.pdf"))};
    std::shared_ptr<ISQLiteDatabase> db;
    std::vector<std::int64_t> ids;
    std::unique_ptr<TFWieleOsob> window;

    ManyPasses() {
        const QString file = dir.filePath(QStringLiteral("osoby.db"));
        person_table::CreateDatabase(file);
        db = person_table::OpenExisting(file);
        for (int i = 0; i < 11; ++i) {
            TPersonTexts texts;
            texts[2] = QStringLiteral("Nazwisko%1").arg(i, 2, 10, QChar(u'0'));
            texts[3] = i < 3 ? QStringLiteral("VIP") : QStringLiteral("B");
            ids.push_back(person_table::Insert(*db, texts, QByteArray()));
        }
        TForm1 pass;
        window = std::make_unique<TFWieleOsob>(
            dialogs, printers, TFWieleOsob::Source{db, pass_template::writeFile(pass), {ids[0], ids[4], ids[5]}});
    }
};

} // namespace

TEST_F(ManyPasses, ChoicesCountPersonsAndSheets) {
    EXPECT_TRUE(window->rbSelected->isChecked()); // rows were selected in the grid
    EXPECT_EQ(window->lblCount->text(), QString::fromUtf8("3 osoby, 1 arkusz (po 10 na arkuszu)"));
    window->rbAll->setChecked(true); // eleven and the sample person
    EXPECT_EQ(window->lblCount->text(), QString::fromUtf8("12 osób, 2 arkusze (po 10 na arkuszu)"));
    window->spColumns->setValue(1); // 1 x 4 now
    EXPECT_TRUE(window->rbGrid->isChecked());
    EXPECT_EQ(window->lblCount->text(), QString::fromUtf8("12 osób, 3 arkusze (po 4 na arkuszu)"));
    window->spColumns->setValue(3); // three passes are wider than A4
    EXPECT_FALSE(window->btnPdf->isEnabled());
    window->rbFit->setChecked(true);
    window->edPhrase->setText(QStringLiteral("nazwisko0"));
    EXPECT_TRUE(window->rbPhrase->isChecked());
    EXPECT_EQ(window->chosenPersons().size(), 10u);
    for (int i = 0; i < window->lstPriorytety->count(); ++i)
        if (window->lstPriorytety->item(i)->text() == QStringLiteral("VIP"))
            window->lstPriorytety->item(i)->setCheckState(Qt::Checked);
    EXPECT_TRUE(window->rbPriority->isChecked());
    EXPECT_EQ(window->chosenPersons(), (std::vector<std::int64_t>{ids[0], ids[1], ids[2]}));
}

TEST_F(ManyPasses, PreviewPdfAndPrinter) {
    window->rbAll->setChecked(true);
    window->spColumns->setValue(2);
    window->spRows->setValue(2); // 4 a sheet: 12 persons, 3 sheets
    window->showPreview();
    EXPECT_EQ(window->Preview->TotalPages(), 3);
    EXPECT_EQ(window->lblPage->text(), QString::fromUtf8("Arkusz 1 z 3"));
    window->btnNextPage->click();
    EXPECT_EQ(window->lblPage->text(), QString::fromUtf8("Arkusz 2 z 3"));

    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("wielu")), 1});
    EXPECT_TRUE(window->savePdf());
    QFile pdf(dir.filePath(QStringLiteral("wielu.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().contains("/Count 3"));

    dialogs.printerSetupAnswers.push_back(true);
    EXPECT_TRUE(window->print());
    EXPECT_GT(QFile(dir.filePath(QStringLiteral("drukarka.pdf"))).size(), 0);
    dialogs.printerSetupAnswers.push_back(false);
    EXPECT_FALSE(window->print());
}

// Persons whose texts the passes would cut are named before anything is asked or written.
TEST_F(ManyPasses, PersonsWhoseTextsDoNotFitAreNamedBeforeTheRun) {
    TPersonTexts texts;
    texts[1] = QStringLiteral("Anna");
    texts[2] = QString::fromUtf8("Brzęczyszczykiewicz-Konstantynopolitańska");
    const std::int64_t id = person_table::Insert(*db, texts, QByteArray());
    TForm1 pass;
    window = std::make_unique<TFWieleOsob>(dialogs, printers, TFWieleOsob::Source{db, pass_template::writeFile(pass), {ids[0], id}});
    dialogs.messageAnswers.push_back(mrNo);
    EXPECT_FALSE(window->savePdf());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QString::fromUtf8("%1 (nr %2): lblNazwisko").arg(texts[1] + u' ' + texts[2]).arg(id)))
        << dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(dialogs.messages[0].text.contains(QStringLiteral("Nazwisko00")));
    EXPECT_TRUE(dialogs.saveRequests.empty());
    dialogs.messageAnswers.push_back(mrYes);
    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("mimo.pdf")), 1});
    EXPECT_TRUE(window->savePdf());
}

// A pass that prints its validity date goes out only with one; the date and the
// first number shown are the pass window's, and come back to it.
TEST_F(ManyPasses, ARunGivesItsValidityDateAndFirstNumber) {
    TForm1 pass;
    TLabel* valid = pass.createControl<TLabel>(QStringLiteral("lblWazna"));
    valid->setComposed(true);
    valid->setCaption(QString::fromUtf8("Ważna do {WaznaDo}, nr {NrPrzepustki}"));
    window = std::make_unique<TFWieleOsob>(dialogs, printers, TFWieleOsob::Source{db, pass_template::writeFile(pass), {ids[0]}});
    TRunFields run = *withNumberFrom({}, QStringLiteral("007"));
    window->setRunFields(run);
    EXPECT_EQ(window->RunFields->edNumerOd->text(), QStringLiteral("007"));
    EXPECT_FALSE(window->savePdf());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QString::fromUtf8("zaznacz „Ważna do”")));
    EXPECT_TRUE(dialogs.saveRequests.empty());
    window->RunFields->chkWaznaDo->setChecked(true);
    window->RunFields->dtWaznaDo->setDate(QDate(2027, 6, 30));
    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("wazne.pdf")), 1});
    EXPECT_TRUE(window->savePdf());
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {dir.filePath(QStringLiteral("wazne.pdf")), QStringLiteral("-")});
    text.waitForFinished(30000);
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(QString::fromUtf8("Ważna do 2027-06-30, nr 007")));
    run.validUntil = QDate(2027, 6, 30);
    ASSERT_TRUE(window->runFields());
    EXPECT_EQ(window->runFields()->validUntil, run.validUntil);
    EXPECT_EQ(window->runFields()->numberDigits, 3);
    window->RunFields->edNumerOd->setText(QString());
    EXPECT_FALSE(window->runFields());
}

TEST_F(ManyPasses, PersonsWithoutAPassAreThoseNeitherSavedNorPrintedBefore) {
    const auto count = [&] { return window->lblCount->text().section(u',', 0, 0); };
    window->chkNotPrinted->setChecked(true);
    EXPECT_EQ(count(), QString::fromUtf8("3 osoby")); // nothing printed yet: the selection as it was

    dialogs.saveAnswers.push_back(std::nullopt); // the save dialog cancelled
    EXPECT_FALSE(window->savePdf());
    EXPECT_FALSE(db->HasTable(QStringLiteral("wydruki")));
    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("wybrani")), 1});
    EXPECT_TRUE(window->savePdf());
    EXPECT_EQ(count(), QString::fromUtf8("0 osób"));
    EXPECT_FALSE(window->btnPdf->isEnabled());
    window->rbAll->setChecked(true);
    EXPECT_EQ(count(), QString::fromUtf8("9 osób"));
    window->rbPriority->setChecked(true);
    window->lstPriorytety->item(1)->setCheckState(Qt::Checked); // VIP: ids 0-2, of them 0 printed
    EXPECT_EQ(count(), QString::fromUtf8("2 osoby"));

    dialogs.printerSetupAnswers.push_back(true);
    EXPECT_TRUE(window->print());
    EXPECT_EQ(pdfImages(dir.filePath(QStringLiteral("drukarka.pdf"))).size(), 2u);
    EXPECT_EQ(count(), QString::fromUtf8("0 osób"));
    EXPECT_EQ(print_register::PrintedIds(*db), (QSet<std::int64_t>{ids[0], ids[1], ids[2], ids[4], ids[5]}));
    EXPECT_TRUE(dialogs.messages.empty());

    // Printed from a date on: everybody printed today, nobody from tomorrow.
    window->chkNotPrinted->setChecked(false);
    window->rbAll->setChecked(true);
    window->dtPrintedAfter->setDate(QDate::currentDate().addDays(-1));
    EXPECT_TRUE(window->chkPrintedAfter->isChecked());
    EXPECT_EQ(count(), QString::fromUtf8("5 osób"));
    window->dtPrintedAfter->setDate(QDate::currentDate().addDays(1));
    EXPECT_EQ(count(), QString::fromUtf8("0 osób"));
}

TEST_F(ManyPasses, EachPrintPathPrintsAtItsOwnResolutionWhateverPrintedBefore) {
    // The print window and this dialog share one printer: nothing one leaves on it
    // (resolution, page layout, full-page mode, units) may reach the other.
    const QString pdf = dir.filePath(QStringLiteral("drukarka.pdf"));
    TFDruk printWindow(dialogs, printers);
    QImage snapshot(400, 300, QImage::Format_RGB888);
    snapshot.fill(QColor(0, 0, 200));
    printWindow.setPrintBitmap(snapshot);
    printWindow.show();
    window->rbAll->setChecked(true);
    window->spColumns->setValue(2);
    window->spRows->setValue(2); // 12 persons on 3 sheets
    window->rbLandscape->setChecked(true);

    const auto printSnapshot = [&] {
        QFile::remove(pdf);
        dialogs.printerSetupAnswers.push_back(true);
        printWindow.btnPrintClick();
        const std::vector<PdfImage> images = pdfImages(pdf);
        ASSERT_EQ(images.size(), 1u);
        // One bitmap pixel a screen pixel: 96 per inch, on an A4 portrait sheet.
        EXPECT_EQ(images[0].width, 400);
        EXPECT_NEAR(images[0].ppiX, 96, 1);
        EXPECT_NEAR(images[0].ppiY, 96, 1);
        EXPECT_EQ(pdfPageSize(pdf), QSize(595, 842));
    };
    const auto printPasses = [&] {
        QFile::remove(pdf);
        dialogs.printerSetupAnswers.push_back(true);
        EXPECT_TRUE(window->print());
        const std::vector<PdfImage> images = pdfImages(pdf);
        ASSERT_EQ(images.size(), 12u);
        // The printer writes 1200 dpi: passes at four dots a screen pixel, 384 per inch.
        for (const PdfImage& image : images) {
            EXPECT_NEAR(image.ppiX, 384, 2) << "page " << image.page;
            EXPECT_NEAR(image.ppiY, 384, 2) << "page " << image.page;
        }
        EXPECT_EQ(images.back().page, 3);
        EXPECT_EQ(pdfPageSize(pdf), QSize(842, 595)); // landscape, as chosen here
    };
    printPasses();  // first
    printSnapshot(); // one after many
    printPasses();  // many after one
    printSnapshot();
}

namespace {

// Where the first yellow dot of a row of page `page` lies at 96 dpi; -1 when none.
int firstYellow(const QString& pdf, int page, int row, const QString& folder) {
    const QString stem = QDir(folder).filePath(QStringLiteral("strona"));
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                                   QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                   QString::number(page), QStringLiteral("-singlefile"), pdf, stem});
    const QImage image(stem + QStringLiteral(".png"));
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, row);
        if (c.red() > 200 && c.green() > 200 && c.blue() < 80)
            return x;
    }
    return -1;
}

} // namespace

TEST_F(ManyPasses, CardsWithBacksPreviewedSavedAndPrintedWithTheCalibration) {
    QSettings settings(dir.filePath(QStringLiteral("ustawienia.ini")), QSettings::IniFormat);
    window->setSettings(&settings);
    const QString printer = calibrationPrinterName(printers.printer());
    setCalibrationOffsetMm(settings, printer, QPointF(3, -0.5));
    setCalibrationOffsetMm(settings, printer + QStringLiteral("/2"), QPointF(7, 7)); // a name with the separator in it
    EXPECT_EQ(calibrationOffsetMm(settings, printer), QPointF(3, -0.5));
    EXPECT_EQ(calibrationOffsetMm(settings, QStringLiteral("inna")), QPointF());

    TForm1 back;
    back.setColor(clYellow);
    window->setBackTemplate(pass_template::writeFile(back), QStringLiteral("tyl.wzo"));
    window->rbCard->setChecked(true);
    EXPECT_EQ(window->lblCount->text(), QString::fromUtf8("3 osoby, 3 karty, z tyłem"));
    EXPECT_FALSE(window->chkCutMarks->isEnabled());
    window->showPreview();
    EXPECT_EQ(window->Preview->TotalPages(), 6);
    EXPECT_EQ(window->lblPage->text(), QString::fromUtf8("Strona 1 z 6: przód"));
    window->btnNextPage->click();
    EXPECT_EQ(window->lblPage->text(), QString::fromUtf8("Strona 2 z 6: tył"));

    // The calibration goes into a PDF only when asked; the back, fitted to the card's width, starts at its edge.
    const int middle = qRound(27 / 25.4 * 96);
    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("karty.pdf")), 1});
    ASSERT_TRUE(window->savePdf());
    EXPECT_EQ(pdfPageSize(dir.filePath(QStringLiteral("karty.pdf"))), QSize(243, 153));
    const int unmoved = firstYellow(dir.filePath(QStringLiteral("karty.pdf")), 2, middle, dir.path());
    EXPECT_TRUE(unmoved >= 0 && unmoved <= 1) << unmoved;
    window->chkCalibratedPdf->setChecked(true);
    dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(QStringLiteral("przesuniete.pdf")), 1});
    ASSERT_TRUE(window->savePdf());
    EXPECT_NEAR(firstYellow(dir.filePath(QStringLiteral("przesuniete.pdf")), 2, middle, dir.path()), 3 / 25.4 * 96, 1.5);

    // Printed: card pages, both sides, and the shared printer's duplex as it was.
    dialogs.printerSetupAnswers.push_back(true);
    ASSERT_TRUE(window->print());
    const QString printed = dir.filePath(QStringLiteral("drukarka.pdf"));
    EXPECT_EQ(pdfPageSize(printed), QSize(243, 153));
    EXPECT_EQ(firstYellow(printed, 5, middle, dir.path()), -1); // the third front
    EXPECT_GE(firstYellow(printed, 6, middle, dir.path()), 0);  // and its back
    EXPECT_NEAR(firstYellow(printed, 2, middle, dir.path()), 3 / 25.4 * 96, 1.5);
    EXPECT_EQ(printers.printer().duplex(), QPrinter::DuplexNone);
    window->rbFit->setChecked(true); // back to A4 sheets in the preview
    window->showPreview();
    EXPECT_EQ(window->Preview->TotalPages(), 2);
    EXPECT_EQ(QSize(window->Preview->PaperWidth(), window->Preview->PaperHeight()), QSize(794, 1123));
}

TEST_F(ManyPasses, CalibrationIsKeptPerPrinterAndItsTestCardPrinted) {
    QSettings settings(dir.filePath(QStringLiteral("ustawienia.ini")), QSettings::IniFormat);
    {
        TFKalibracja calibration(dialogs, printers, settings, QSizeF(85.6, 54));
        EXPECT_EQ(calibration.spX->value(), 0.0);
        calibration.spX->setValue(1.5);
        calibration.spY->setValue(-2);
        calibration.btnOK->click();
    }
    TFKalibracja again(dialogs, printers, settings, QSizeF(85.6, 54));
    EXPECT_EQ(again.spX->value(), 1.5);
    EXPECT_EQ(again.spY->value(), -2.0);
    dialogs.printerSetupAnswers.push_back(true);
    ASSERT_TRUE(again.printTestCard());
    const QString printed = dir.filePath(QStringLiteral("drukarka.pdf"));
    EXPECT_EQ(pdfPageSize(printed), QSize(243, 153));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {printed, QStringLiteral("-")});
    text.waitForFinished(30000);
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(QString::fromUtf8("42,8 mm od lewej")));
    dialogs.printerSetupAnswers.push_back(false);
    EXPECT_FALSE(again.printTestCard());
}

TEST_F(ManyPasses, ThePrintWindowPrintsThePassAnewAtThePrintersResolutionWithTextAsText) {
    const QString pdf = dir.filePath(QStringLiteral("drukarka.pdf"));
    TForm1 pass;
    pass.lblNazwisko->setCaption(QString::fromUtf8("Wiśniewska"));
    TFDruk printWindow(dialogs, printers);
    printWindow.setPrintBitmap(pass.Snapshot());
    printWindow.setPassPainter([&pass](QPainter& painter, const QRectF& target) { paintAtDeviceResolution(painter, pass, target); });
    QStringList printedTo;
    printWindow.setPrintedHandler([&](const QString& output) { printedTo << output; });
    printWindow.SpinEdit1->setValue(20); // a shift, in the window's units
    printWindow.show();
    dialogs.printerSetupAnswers.push_back(true);
    printWindow.btnPrintClick();

    EXPECT_TRUE(pdfText(pdf).contains(QString::fromUtf8("Wiśniewska"))) << pdfText(pdf).toStdString();
    EXPECT_EQ(printedTo, QStringList{QFileInfo(pdf).absoluteFilePath()}); // what the print register is told
    const std::vector<PdfImage> images = pdfImages(pdf);
    ASSERT_FALSE(images.empty());
    // The pass's pixels at the printer's 1200 dpi (a whole number of dots a screen pixel), at its screen size.
    const PdfImage& picture = images.front();
    EXPECT_GE(picture.ppiX, 1200);
    EXPECT_NEAR(picture.width * 96.0 / picture.ppiX, pass.width(), 1.0);
}
