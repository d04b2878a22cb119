#include "platform/error_handler.h"
#include "platform/printer_calibration.h"
#include "printing/print_preview.h"
#include "printing/print_window.h"
#include "support/error_text.h"
#include "support/full_disk.h"
#include "support/pdf_printer_service.h"
#include "support/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

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
    PdfPrinterService printers(QStringLiteral("/nonexistent-folder/x.pdf"));
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.setPrinterService(&printers);
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

TEST(PrintWindow, PrintingIntoAPdfFileOnAFullDiskKeepsTheOldFileAndSaysWhy) {
    test::FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << test::FullDisk::skipReason();
    const QByteArray old = "%PDF-1.4 poprzedni wydruk";
    disk.put(QStringLiteral("wydruk.pdf"), old);
    disk.fill();
    ScriptedDialogs dialogs;
    ErrorHandler errors(dialogs);
    PdfPrinterService printers(disk.filePath(QStringLiteral("wydruk.pdf")));
    TFDruk window(dialogs, printers);
    window.setErrorHandler(&errors);
    window.setPrintBitmap(snapshot());
    window.show();
    dialogs.printerSetupAnswers.push_back(true);
    window.btnPrint->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages.front().text.contains(QStringLiteral("brak miejsca na dysku")))
        << dialogs.messages.front().text.toStdString();
    QFile kept(disk.filePath(QStringLiteral("wydruk.pdf")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), old);
    // The printer keeps the user's file name for the next job, not the temporary one.
    EXPECT_EQ(printers.printer().outputFileName(), disk.filePath(QStringLiteral("wydruk.pdf")));
    EXPECT_EQ(window.PP1->State(), stIdle);
}

TEST(PrintWindow, ThePictureIsPrintedAtItsScreenSizeFromTheSheetsCorner) {
    ScriptedDialogs dialogs;
    ErrorHandler errors(dialogs);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("wydruk.pdf"));
    PdfPrinterService printers(pdf);
    TFDruk window(dialogs, printers);
    window.setErrorHandler(&errors);
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

    // Closing starts the next showing at shift 0 and zoom 40. Enter in the
    // zoom box zooms; it never starts printing.
    window.ComboBox1->setCurrentText(QStringLiteral("100"));
    dialogs.printerSetupAnswers.push_back(false);
    QTest::keyClick(window.ComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(dialogs.printerSetupAnswers.size(), 1u); // the print dialog was not asked for
    EXPECT_EQ(window.PP1->Zoom(), 100);
    window.btnCloseClick();
    EXPECT_EQ(window.SpinEdit1->Value(), 0);
    EXPECT_EQ(window.PP1->Zoom(), 40);
    window.ComboBox1->setCurrentText(QStringLiteral("99999999999"));
    EXPECT_EQ(errorOf([&] { window.ComboBox1Click(); }), QStringLiteral("'99999999999' is not a valid integer value"));
}

TEST(PrintWindow, DrukMovesThePictureByThePrintersCalibrationOnBothPaths) {
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("wydruk.pdf"));
    PdfPrinterService printers(pdf);
    QSettings settings(dir.filePath(QStringLiteral("ustawienia.ini")), QSettings::IniFormat);
    setCalibrationOffsetMm(settings, calibrationPrinterName(printers.printer()), QPointF(5, -2));
    TFDruk window(dialogs, printers);
    window.setSettings(&settings);
    window.setPrintBitmap(snapshot());
    window.show();
    window.SpinEdit1->setValue(20);
    window.SpinEdit2->setValue(30);
    const auto blueEdges = [&] {
        const QImage page = renderPdf(pdf, dir.path());
        const auto blue = [&](int x, int y) { return page.pixelColor(x, y).blue() > 150 && page.pixelColor(x, y).red() < 80; };
        int left = 0, top = 0;
        while (left < page.width() && !blue(left, 150))
            ++left;
        while (top < page.height() && !blue(200, top))
            ++top;
        return QPointF(left, top);
    };
    // The snapshot, then the pass drawn anew: both 5 mm right and 2 mm up of the place the preview shows.
    const QPointF expected(20 + 5 / 25.4 * 96, 30 - 2 / 25.4 * 96);
    for (const bool drawnAnew : {false, true}) {
        if (drawnAnew)
            window.setPassPainter([](QPainter& painter, const QRectF& target) { painter.fillRect(target, QColor(0, 0, 200)); });
        dialogs.printerSetupAnswers.push_back(true);
        window.btnPrint->click();
        const QPointF edges = blueEdges();
        EXPECT_NEAR(edges.x(), expected.x(), 1.5) << drawnAnew;
        EXPECT_NEAR(edges.y(), expected.y(), 1.5) << drawnAnew;
    }
}

TEST(PrintPreview, PaperFormsAndTheDeviceModeRecord) {
    PdfPrinterService printers(QStringLiteral("unused.pdf"));
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.setPrinterService(&printers);
    // A4 chosen by type matches the A4 form by the table's own size.
    printers.formList.push_back({QStringLiteral("A4"), QSize(210000, 297000)});
    EXPECT_EQ(preview.MatchPrinterForm(), QStringLiteral("A4"));
    preview.setOrientation(poLandscape);
    preview.ApplyToPrinter();
    TDeviceMode mode = printers.deviceMode();
    EXPECT_EQ(mode.dmPaperSize, 9);
    EXPECT_EQ(mode.dmOrientation, 2);
    EXPECT_EQ(mode.dmFormName, QStringLiteral("A4"));
    EXPECT_TRUE(mode.dmFields & TDeviceMode::dmFormNameField);
    EXPECT_EQ(printers.printer().pageLayout().orientation(), QPageLayout::Landscape);

    // A custom 100 x 150 mm paper with no form gets one of its own, and gives it back.
    preview.setOrientation(poPortrait);
    preview.setUnits(mmLoMetric);
    preview.setPaperWidth(1000);
    preview.setPaperHeight(1500);
    ASSERT_EQ(preview.PaperType(), pCustom);
    QStringList events;
    preview.OnAutoCustomForm = [&](TPrintPreview&, const QString& name, bool inserted) {
        events << (inserted ? QStringLiteral("+") : QStringLiteral("-")) + name;
    };
    EXPECT_EQ(preview.MatchPrinterForm(), QStringLiteral("100mm x 150mm"));
    EXPECT_EQ(preview.AutoFormName(), QStringLiteral("100mm x 150mm"));
    EXPECT_EQ(printers.formList.back().size, QSize(100000, 150000));
    preview.ApplyToPrinter();
    EXPECT_EQ(printers.deviceMode().dmPaperSize, 256);
    EXPECT_EQ(printers.deviceMode().dmPaperWidth, 1000);
    EXPECT_TRUE(preview.DeletePrinterForm(QStringLiteral("100MM X 150MM")));
    // Applying matches again: its own form is deleted and made anew, so its size is current.
    EXPECT_EQ(events, QStringList({QStringLiteral("+100mm x 150mm"), QStringLiteral("-100mm x 150mm"),
                                   QStringLiteral("+100mm x 150mm"), QStringLiteral("-100mm x 150mm")}));
    // A print system that takes no forms: the paper goes by its size alone.
    printers.acceptForms = false;
    EXPECT_TRUE(preview.MatchPrinterForm().isEmpty());

    // Without an installed printer the forms are left alone, the paper still applied.
    PdfPrinterService none(QStringLiteral("unused.pdf"), false);
    TPrintPreview other;
    other.setPrinterService(&none);
    other.setOrientation(poLandscape);
    EXPECT_TRUE(other.MatchPrinterForm().isEmpty());
    other.ApplyToPrinter();
    EXPECT_EQ(none.printer().pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(none.printer().pageLayout().pageSize().id(), QPageSize::A4);
}

TEST(PrintPreview, OverlaysAndGrayOnTheShownPage) {
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.resize(610, 450);
    preview.BeginDoc();
    preview.Canvas()->fillRect(QRect(0, 0, 794, 1123), QColor(200, 0, 0));
    preview.NewPage();
    preview.EndDoc();
    int annotated = 0;
    preview.OnAnnotation = [&](TPrintPreview&, int pageNo, QPainter& canvas) {
        annotated = pageNo;
        canvas.fillRect(QRect(0, 0, 100, 100), Qt::blue);
    };
    preview.setAnnotation(true);
    EXPECT_EQ(annotated, 1);
    preview.setZoom(100);
    preview.Paper().Render();
    const QRect page = preview.Paper().GetPageRect().toQRect();
    EXPECT_EQ(preview.Paper().Bitmap().pixelColor(page.left() + 10, page.top() + 10), QColor(Qt::blue));
    EXPECT_EQ(preview.Paper().Bitmap().pixelColor(page.left() + 300, page.top() + 300), QColor(200, 0, 0));
    preview.setGrayscale(gsPreview);
    preview.Paper().Render();
    const QColor gray = preview.Paper().Bitmap().pixelColor(page.left() + 300, page.top() + 300);
    EXPECT_EQ(gray.red(), 60); // 30 x 200 div 100
    EXPECT_EQ(gray.green(), 60);
    preview.setCurrentPage(2);
    EXPECT_EQ(annotated, 2);
}

TEST(PrintPreview, ZoomingReusesThePaperPixelsAndShowsPagePixelsUnblended) {
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.resize(645, 532);
    preview.BeginDoc();
    // One-pixel stripes: any blending while stretching would show a third colour.
    for (int x = 0; x < 794; x += 2)
        preview.Canvas()->fillRect(QRect(x, 0, 1, 1123), QColor(0, 0, 255));
    preview.EndDoc();
    preview.setZoom(100);
    preview.Paper().Render();
    const uchar* pixels = preview.Paper().Bitmap().constBits();
    preview.setZoom(90);
    preview.Paper().Render();
    EXPECT_EQ(preview.Paper().Bitmap().constBits(), pixels); // smaller: no new allocation
    const QImage& b = preview.Paper().Bitmap();
    const QRect page = preview.Paper().GetPageRect().toQRect();
    for (int x = page.left(); x < page.right(); ++x) {
        const QColor c = b.pixelColor(x, page.top() + 40);
        ASSERT_TRUE(c == QColor(Qt::blue) || c == QColor(Qt::white)) << x << " " << c.name().toStdString();
    }
    preview.setZoom(300); // larger than ever: the store grows, the page is still right
    preview.Paper().Render();
    EXPECT_EQ(preview.Paper().Bitmap().size(), preview.Paper().size());
    EXPECT_EQ(preview.Paper().Bitmap().pixelColor(preview.Paper().GetPageRect().Left, 5), QColor(Qt::blue));
    preview.Clear(); // no page: the paper colour still fills the page when shown
    preview.Paper().Invalidate();
    preview.Paper().Render();
    EXPECT_EQ(preview.Paper().Bitmap().pixelColor(10, 10), QColor(Qt::white));
}

TEST(PrintWindow, EscKeepsItOpenTheListStaysAndEachShowingStartsAtTheTopLeft) {
    ScriptedDialogs dialogs;
    PdfPrinterService printers(QStringLiteral("/nonexistent-folder/x.pdf"));
    TFDruk window(dialogs, printers);
    window.setPrintBitmap(snapshot());
    window.show();
    QTest::keyClick(window.PP1, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());

    window.ComboBox1->setCurrentText(QStringLiteral("75"));
    QTest::keyClick(window.ComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.ComboBox1->count(), 9); // a typed value is not added to the list
    EXPECT_EQ(window.PP1->Zoom(), 75);
    // What is typed is what is taken: the listed values that begin alike are not offered in its place.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ComboBox1->setFocus(); // a box without the focus would complete nothing
    for (const auto& [typed, zoom] : {std::pair{"15", 15}, std::pair{"10", 10}, std::pair{"5", 10}, std::pair{"17", 17}}) {
        window.ComboBox1->lineEdit()->clear();
        QTest::keyClicks(window.ComboBox1->lineEdit(), QString::fromLatin1(typed));
        EXPECT_EQ(window.ComboBox1->currentText(), QString::fromLatin1(typed));
        QTest::keyClick(window.ComboBox1->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(window.PP1->Zoom(), zoom) << typed;
    }
    window.ComboBox1->setCurrentText(QStringLiteral("75"));
    window.ComboBox1Click();

    QScrollBar* v = window.PP1->verticalScrollBar();
    ASSERT_TRUE(window.PP1->CanScrollVert());
    v->setValue(v->maximum() / 2);
    window.SpinEdit1->setValue(5); // the page is recorded again: the view goes back to the top
    EXPECT_EQ(v->value(), 0);

    // After closing at 100 % the 40 % page is centred in the whole area, no bars left over.
    window.ComboBox1->setCurrentText(QStringLiteral("100"));
    window.ComboBox1Click();
    window.btnCloseClick();
    window.show();
    EXPECT_FALSE(window.PP1->CanScrollHorz() || window.PP1->CanScrollVert());
    const QSize area = window.PP1->contentsRect().size();
    const QRect paper = window.PP1->Paper().geometry();
    EXPECT_EQ(paper.size(), QSize(323, 454));
    EXPECT_EQ(paper.left(), (area.width() - 323) / 2);
    EXPECT_EQ(paper.top(), (area.height() - 454) / 2);
}

TEST(PrintPreview, WheelActsOnlyOnItsOwnKeyStates) {
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.resize(645, 532);
    preview.show(); // the bars are real widgets that take the wheel themselves
    preview.BeginDoc();
    preview.EndDoc();
    preview.setZoom(100);
    const auto wheel = [&](Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), buttons, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(preview.viewport(), &event); // the wheel reaches the view, as from the paper
        return event.isAccepted();
    };
    EXPECT_TRUE(wheel(Qt::NoButton, Qt::NoModifier));
    EXPECT_EQ(preview.verticalScrollBar()->value(), 8);
    // Over either scroll bar a notch is one Increment of the vertical bar, as over the paper.
    ASSERT_TRUE(preview.CanScrollHorz());
    QApplication::setWheelScrollLines(3); // as desktops have it: a bar of its own would move three lines a notch
    for (QScrollBar* bar : {preview.verticalScrollBar(), preview.horizontalScrollBar()}) {
        QWheelEvent event(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &event);
    }
    EXPECT_EQ(preview.verticalScrollBar()->value(), 24);
    EXPECT_EQ(preview.horizontalScrollBar()->value(), 0);
    QWheelEvent onBar(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview.verticalScrollBar(), &onBar);
    EXPECT_EQ(preview.Zoom(), 110);
    preview.setZoom(100);
    EXPECT_TRUE(wheel(Qt::NoButton, Qt::ControlModifier));
    EXPECT_EQ(preview.Zoom(), 90);
    EXPECT_FALSE(wheel(Qt::LeftButton, Qt::NoModifier));
    EXPECT_FALSE(wheel(Qt::MiddleButton, Qt::ControlModifier));
    EXPECT_FALSE(wheel(Qt::NoButton, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(preview.Zoom(), 90);
    QTest::keyClick(&preview, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(&preview, Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_EQ(preview.Zoom(), 90);
    QTest::keyClick(&preview, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(preview.Zoom(), 100);
}

TEST(PrintPreview, TextKeepsItsPointSizeOnThePrinter) {
    QTemporaryDir dir;
    PdfPrinterService printers(dir.filePath(QStringLiteral("tekst.pdf")));
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.setPrinterService(&printers);
    preview.setDirectPrint(true);
    preview.BeginDoc();
    // One unit is one screen pixel: the 8-point font is 11 units high on paper as on screen.
    EXPECT_EQ(preview.Canvas()->font().pixelSize(), 11);
    preview.EndDoc();
    preview.setDirectPrint(false);
    preview.BeginDoc();
    EXPECT_EQ(preview.Canvas()->font().pixelSize(), 11);
    preview.EndDoc();
}
