#include "batch/batch_dialog.h"
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

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
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
