#include "platform/error_handler.h"
#include "printing/print_preview.h"
#include "printing/print_window.h"
#include "support/error_text.h"
#include "support/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

QImage snapshot() {
    QImage image(400, 300, QImage::Format_RGB888);
    image.fill(QColor(0, 0, 200));
    return image;
}

// The page rendered by poppler at 96 dots per inch: one pixel per screen pixel.
QImage renderPdf(const QString& pdf, const QString& folder) {
    QProcess process;
    process.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                               QStringLiteral("-singlefile"), pdf, QDir(folder).filePath(QStringLiteral("page"))});
    EXPECT_TRUE(process.waitForFinished(30000)) << "pdftoppm (poppler-utils) is needed";
    return QImage(QDir(folder).filePath(QStringLiteral("page.png")));
}

} // namespace

TEST(PrintPreview, PagesInPixelsZoomAndTheDocumentStates) {
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    EXPECT_EQ(preview.PageExtent(), QSize(794, 1123));
    preview.setOrientation(poLandscape);
    EXPECT_EQ(QSize(preview.PaperWidth(), preview.PaperHeight()), QSize(1123, 794));
    preview.setOrientation(poPortrait);
    preview.setPaperWidth(0);
    EXPECT_EQ(preview.PaperWidth(), 1);
    EXPECT_EQ(preview.PaperType(), pCustom);
    preview.setPaperType(pA4);
    EXPECT_EQ(preview.PaperWidth(), 794);

    preview.EndDoc(); // nothing open: nothing happens
    preview.NewPage();
    EXPECT_EQ(preview.State(), stIdle);
    preview.resize(610, 450);
    for (int page = 0; page < 3; ++page) {
        if (page == 0)
            preview.BeginDoc();
        else
            preview.NewPage();
        ASSERT_NE(preview.Canvas(), nullptr);
        preview.Canvas()->fillRect(QRect(0, 0, 100 * (page + 1), 50), Qt::red);
    }
    preview.EndDoc();
    EXPECT_EQ(preview.State(), stIdle);
    EXPECT_EQ(preview.TotalPages(), 3);
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.setCurrentPage(0);
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.setCurrentPage(9);
    EXPECT_EQ(preview.CurrentPage(), 3);

    preview.setZoom(5);
    EXPECT_EQ(preview.Zoom(), 10);
    preview.setZoom(600);
    EXPECT_EQ(preview.Zoom(), 500);
    preview.setZoomMin(0);
    preview.setZoomMin(600);
    EXPECT_EQ(preview.ZoomMin(), 10);
    preview.setZoom(100);
    EXPECT_EQ(preview.Paper().size(), QSize(799, 1128));
    EXPECT_TRUE(preview.CanScrollVert());
}

TEST(PrintPreview, AJobThatCannotStartLeavesTheComponentIdle) {
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/x.pdf"));
    preview.setPrinter(&printer);
    preview.setDirectPrint(true);
    EXPECT_FALSE(errorOf([&] { preview.BeginDoc(); }).isEmpty());
    EXPECT_EQ(preview.State(), stIdle);
    EXPECT_EQ(preview.Canvas(), nullptr);
    // A later preview works as before.
    preview.setDirectPrint(false);
    preview.BeginDoc();
    EXPECT_EQ(preview.State(), stRecording);
    preview.EndDoc();
    EXPECT_EQ(preview.TotalPages(), 1);
}

TEST(PrintWindow, ThePictureIsPrintedAtItsScreenSizeFromTheSheetsCorner) {
    ScriptedDialogs dialogs;
    ErrorHandler errors(dialogs);
    TFDruk window(dialogs);
    window.setErrorHandler(&errors);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("wydruk.pdf"));
    window.printer().setOutputFormat(QPrinter::PdfFormat);
    window.printer().setOutputFileName(pdf);
    window.setPrintBitmap(snapshot());
    window.show();
    EXPECT_EQ(window.PP1->TotalPages(), 1);
    EXPECT_EQ(window.PP1->PageExtent(), QSize(794, 1123));
    window.SpinEdit1->setValue(20);
    window.SpinEdit2->setValue(30);
    dialogs.printerSetupAnswers.push_back(true);
    window.btnPrint->click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text.toStdString();
    EXPECT_FALSE(window.PP1->DirectPrint());
    ASSERT_TRUE(QFile::exists(pdf));

    const QImage page = renderPdf(pdf, dir.path());
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 794, 1);
    EXPECT_NEAR(page.height(), 1123, 1);
    const auto blue = [&](int x, int y) { return page.pixelColor(x, y).blue() > 150 && page.pixelColor(x, y).red() < 80; };
    EXPECT_TRUE(blue(21, 31));
    EXPECT_TRUE(blue(418, 328));
    EXPECT_FALSE(blue(18, 100));  // left of the picture
    EXPECT_FALSE(blue(100, 28));  // above it
    EXPECT_FALSE(blue(422, 200)); // right of it: 400 pixels wide, not scaled
    EXPECT_FALSE(blue(200, 332)); // below it

    // Closing starts the next showing at shift 0 and zoom 40.
    window.ComboBox1->setCurrentText(QStringLiteral("100"));
    window.ComboBox1Click();
    EXPECT_EQ(window.PP1->Zoom(), 100);
    window.btnCloseClick();
    EXPECT_EQ(window.SpinEdit1->Value(), 0);
    EXPECT_EQ(window.PP1->Zoom(), 40);
    window.ComboBox1->setCurrentText(QStringLiteral("99999999999"));
    EXPECT_EQ(errorOf([&] { window.ComboBox1Click(); }), QStringLiteral("'99999999999' is not a valid integer value"));
}
