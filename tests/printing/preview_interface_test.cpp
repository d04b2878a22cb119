#include "core/canvas.h"
#include "core/picture.h"
#include "printing/page_graphics.h"
#include "printing/print_preview.h"
#include "support/pdf_printer_service.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace wendolarka;

namespace {

// A placeable Windows metafile of width x height pixels (96 units an inch)
// filled with one rectangle of `rgb`, drawn without an outline.
QByteArray solidWmf(int width, int height, QRgb rgb) {
    QByteArray records;
    const auto word = [&records](int v) {
        char b[2];
        qToLittleEndian<quint16>(static_cast<quint16>(v), b);
        records.append(b, 2);
    };
    const auto record = [&](int function, std::initializer_list<int> parameters) {
        const int words = 3 + static_cast<int>(parameters.size());
        word(words & 0xFFFF);
        word(words >> 16);
        word(function);
        for (int p : parameters)
            word(p);
    };
    const int colorLow = qRed(rgb) | qGreen(rgb) << 8, colorHigh = qBlue(rgb);
    record(0x02FA, {5, 0, 0, 0, 0});                         // CreatePenIndirect: PS_NULL
    record(0x012D, {0});                                     // SelectObject
    record(0x02FC, {0, colorLow, colorHigh, 0});             // CreateBrushIndirect: solid
    record(0x012D, {1});
    record(0x041B, {height, width, 0, 0});                   // Rectangle: bottom, right, top, left
    record(0x0000, {});                                      // end of file
    QByteArray header;
    const auto put = [&header](int bytes, quint32 v) {
        char b[4];
        qToLittleEndian<quint32>(v, b);
        header.append(b, bytes);
    };
    put(4, 0x9AC6CDD7);
    put(2, 0);
    put(2, 0), put(2, 0), put(2, static_cast<quint32>(width)), put(2, static_cast<quint32>(height));
    put(2, 96);
    put(4, 0);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(header.constData() + 2 * i);
    put(2, sum);
    const int total = 9 + static_cast<int>(records.size() / 2);
    put(2, 1), put(2, 9), put(2, 0x300), put(4, static_cast<quint32>(total)), put(2, 2), put(4, 8), put(2, 0);
    return header + records;
}

// A picture kind of no class the component knows, with transparent pixels.
class TStrangeGraphic final : public TGraphic {
public:
    explicit TStrangeGraphic(QImage image) : m_image(std::move(image)) {}
    QString ClassName() const override { return QStringLiteral("TStrangeGraphic"); }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TStrangeGraphic>(*this); }
    QSize size() const override { return m_image.size(); }
    QImage image() const override { return m_image; }
    QByteArray fileData() const override { return {}; }

private:
    QImage m_image;
};

QImage whiteCanvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The component with its overridable operations watched or replaced.
struct Descendant : TPrintPreview {
    using TPrintPreview::ReportProgress;
    std::vector<std::string> calls;
    bool ownPainting = false;
    void BuildAnnotation(int pageNo) override {
        calls.push_back("annotation " + std::to_string(pageNo));
        TPrintPreview::BuildAnnotation(pageNo);
    }
    void BuildBackground(int pageNo) override {
        calls.push_back("background " + std::to_string(pageNo));
        TPrintPreview::BuildBackground(pageNo);
    }
    void PaintPage(TPaperPreview& sender, TCanvas& canvas, const TRect& pageRect) override {
        if (!ownPainting)
            return TPrintPreview::PaintPage(sender, canvas, pageRect);
        canvas.Brush = {clGreen, bsSolid};
        canvas.FillRect(pageRect);
    }
};

// Two pages of one colour each, shown at 100 %.
void recordPages(TPrintPreview& preview, std::initializer_list<QColor> colours) {
    preview.setUnits(mmPixel);
    preview.resize(645, 532);
    bool first = true;
    for (const QColor& colour : colours) {
        if (first)
            preview.BeginDoc();
        else
            preview.NewPage();
        first = false;
        preview.Canvas()->fillRect(QRect(0, 0, 794, 1123), colour);
    }
    preview.EndDoc();
    preview.setZoom(100);
}

QColor shownAt(TPrintPreview& preview, int x, int y) {
    preview.Paper().Render();
    const QRect page = preview.Paper().GetPageRect().toQRect();
    return preview.Paper().Bitmap().pixelColor(page.left() + x, page.top() + y);
}

} // namespace

TEST(PreviewInterface, PointsConvertByTheUnitRuleOnEachCoordinate) {
    const TPrintPreview preview;
    EXPECT_EQ(preview.ConvertPoint(QPoint(2100, 2970), mmLoMetric, mmPixel), QPoint(794, 1123));
    EXPECT_EQ(preview.ConvertPoint(QPoint(-19, 25), mmHiMetric, mmLoMetric), QPoint(-1, 2)); // div: toward zero
    EXPECT_EQ(preview.ConvertPoint(QPoint(-3, 7), mmPoints, mmTWIPS), QPoint(-60, 140));
    EXPECT_EQ(preview.ConvertPoint(QPoint(123, -45), mmPixel, mmPixel), QPoint(123, -45));
    std::vector<QPoint> points{{96, 48}, {0, -96}, {1, 1}};
    preview.ConvertPoints(points, mmPixel, mmHiEnglish);
    EXPECT_EQ(points, (std::vector<QPoint>{{1000, 500}, {0, -1000}, {10, 10}})); // 1000 / 96 = 10.4
    preview.ConvertPoints(std::span<QPoint>(points).first(1), mmHiEnglish, mmLoMetric);
    EXPECT_EQ(points[0], QPoint(254, 127));
    EXPECT_EQ(points[1], QPoint(0, -1000)); // only the points given
}

TEST(PreviewInterface, ProgressIsReportedInPercentAndCanAbortTheDocument) {
    Descendant preview;
    std::vector<std::pair<int, int>> reported;
    bool abortNow = false;
    preview.ReportProgress(1, 1, 2); // no handler: nothing to report to
    preview.OnPrintProgress = [&](TPrintPreview&, int pageNo, int progress, bool& abortIt) {
        EXPECT_FALSE(abortIt);
        reported.emplace_back(pageNo, progress);
        abortIt = abortNow;
    };
    preview.ReportProgress(1, 1, 3);
    preview.ReportProgress(2, 2, 3);  // 66.7 rounds to 67
    preview.ReportProgress(7, 1, 0);  // no total: MulDiv's -1
    EXPECT_EQ(reported, (std::vector<std::pair<int, int>>{{1, 33}, {2, 67}, {7, -1}}));

    int aborts = 0;
    preview.OnAbort = [&](TPrintPreview&) { ++aborts; };
    preview.setUnits(mmPixel);
    preview.BeginDoc();
    preview.NewPage();
    abortNow = true;
    preview.ReportProgress(2, 1, 2);
    EXPECT_TRUE(preview.Aborted());
    EXPECT_EQ(aborts, 1);
    EXPECT_EQ(preview.TotalPages(), 0);
    preview.ReportProgress(2, 2, 2); // an aborted document reports no more
    EXPECT_EQ(reported.size(), 4u);
    preview.EndDoc();
    EXPECT_EQ(preview.State(), stIdle);
    EXPECT_EQ(preview.TotalPages(), 0);
}

TEST(PreviewInterface, BeforeAndAfterPrintAreLeftToTheCaller) {
    QTemporaryDir dir;
    PdfPrinterService printers(dir.filePath(QStringLiteral("strona.pdf")));
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.setPrinterService(&printers);
    int before = 0, after = 0, begun = 0;
    preview.OnBeforePrint = [&](TPrintPreview&) { ++before; };
    preview.OnAfterPrint = [&](TPrintPreview&) { ++after; };
    preview.OnBeginDoc = [&](TPrintPreview&) { ++begun; };
    for (bool direct : {false, true}) {
        preview.setDirectPrint(direct);
        preview.BeginDoc();
        preview.Canvas()->fillRect(QRect(10, 10, 100, 100), Qt::black);
        preview.EndDoc();
    }
    EXPECT_EQ(begun, 2);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 0);
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("strona.pdf"))).size(), 0);
}

TEST(PreviewInterface, ADescendantReplacesTheOverlaysAndThePagePainting) {
    Descendant preview;
    preview.setAnnotation(true); // no page yet: made for page 0, which has none
    EXPECT_EQ(preview.calls, (std::vector<std::string>{"annotation 0"}));
    preview.calls.clear();
    recordPages(preview, {QColor(200, 0, 0), QColor(0, 0, 200)});
    // Pages came: underlay first, then overlay, for the page shown.
    ASSERT_GE(preview.calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(preview.calls.end() - 2, preview.calls.end()),
              (std::vector<std::string>{"background 1", "annotation 1"}));
    preview.calls.clear();
    preview.setCurrentPage(2);
    EXPECT_EQ(preview.calls, (std::vector<std::string>{"background 2", "annotation 2"}));
    preview.calls.clear();
    preview.UpdateAnnotation();
    preview.setBackground(true);
    EXPECT_EQ(preview.calls, (std::vector<std::string>{"annotation 2", "background 2"}));

    EXPECT_EQ(shownAt(preview, 50, 50), QColor(0, 0, 200));
    preview.ownPainting = true; // the paper control paints through the replaced operation
    preview.Paper().Invalidate();
    EXPECT_EQ(shownAt(preview, 50, 50), toQColor(clGreen));
}

TEST(PreviewInterface, RecordedPagesCanLiveInATemporaryFile) {
    TPrintPreview preview;
    EXPECT_FALSE(preview.UseTempFile());
    preview.setUseTempFile(true);
    recordPages(preview, {QColor(200, 0, 0), QColor(0, 120, 0)});
    const QString file = preview.Pages().TempFileName();
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QStringLiteral("PP")));
    EXPECT_EQ(QFileInfo(file).size(), preview.Pages().StreamSize());
    EXPECT_EQ(shownAt(preview, 100, 100), QColor(200, 0, 0));
    preview.setCurrentPage(2);
    EXPECT_EQ(shownAt(preview, 100, 100), QColor(0, 120, 0));
    preview.setUseTempFile(false); // the pages come back into memory
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(preview.TotalPages(), 2);
    EXPECT_EQ(preview.Pages()[0].save().isEmpty(), false);
}

TEST(PreviewInterface, GrayForPrintingLeavesThePreviewInColour) {
    TPrintPreview preview;
    EXPECT_EQ(preview.Grayscale(), TGrayscaleOptions());
    recordPages(preview, {QColor(200, 0, 0)});
    preview.setGrayscale(gsPrint);
    EXPECT_EQ(shownAt(preview, 300, 300), QColor(200, 0, 0));
    preview.setGrayscale(gsPrint | gsPreview);
    EXPECT_EQ(shownAt(preview, 300, 300), QColor(60, 60, 60)); // 30 x 200 div 100
    preview.setGrayscale({});
    EXPECT_EQ(shownAt(preview, 300, 300), QColor(200, 0, 0));
}

TEST(PreviewInterface, GraphicsGoOnThePageByTheirKind) {
    // A bitmap: every pixel copied as stored, alpha left out, no blending when stretched.
    QImage pixels(2, 1, QImage::Format_ARGB32);
    pixels.setPixel(0, 0, qRgba(255, 0, 0, 0)); // red, but fully transparent
    pixels.setPixel(1, 0, qRgba(0, 0, 255, 255));
    QImage page = whiteCanvas(60, 30);
    {
        QPainter canvas(&page);
        DrawGraphic(canvas, QRect(10, 10, 40, 10), TBitmap(pixels));
    }
    EXPECT_EQ(page.pixelColor(12, 15), QColor(255, 0, 0));
    EXPECT_EQ(page.pixelColor(29, 15), QColor(255, 0, 0));
    EXPECT_EQ(page.pixelColor(30, 15), QColor(0, 0, 255));
    EXPECT_EQ(page.pixelColor(50, 15), QColor(Qt::white)); // the rectangle's right edge is outside

    // A metafile: its records played onto the rectangle, at the rectangle's size.
    const auto metafile = TMetafile::fromFileData(solidWmf(20, 10, qRgb(0, 160, 0)));
    ASSERT_EQ(metafile->size(), QSize(20, 10));
    page = whiteCanvas(60, 30);
    {
        QPainter canvas(&page);
        DrawGraphic(canvas, QRect(5, 5, 40, 20), *metafile);
    }
    EXPECT_EQ(page.pixelColor(6, 6), QColor(0, 160, 0));
    EXPECT_EQ(page.pixelColor(44, 24), QColor(0, 160, 0));
    EXPECT_EQ(page.pixelColor(46, 15), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(20, 26), QColor(Qt::white));

    // An icon: its transparent part leaves the page as it was.
    QImage iconPixels(4, 4, QImage::Format_ARGB32);
    iconPixels.fill(Qt::transparent);
    for (int y = 0; y < 4; ++y)
        for (int x = 2; x < 4; ++x)
            iconPixels.setPixel(x, y, qRgb(0, 128, 0));
    page = whiteCanvas(60, 30);
    {
        QPainter canvas(&page);
        DrawGraphic(canvas, QRect(0, 0, 40, 20), *TIcon::fromImage(iconPixels));
    }
    EXPECT_EQ(page.pixelColor(5, 10), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(30, 10), QColor(0, 128, 0));

    // Any other kind: drawn onto magenta at its own size, then as a bitmap.
    QImage strange(2, 1, QImage::Format_ARGB32);
    strange.setPixel(0, 0, qRgba(0, 0, 0, 0));
    strange.setPixel(1, 0, qRgb(250, 250, 0));
    page = whiteCanvas(60, 30);
    {
        QPainter canvas(&page);
        DrawGraphic(canvas, QRect(0, 0, 20, 10), TStrangeGraphic(strange));
    }
    EXPECT_EQ(page.pixelColor(5, 5), QColor(255, 0, 255));
    EXPECT_EQ(page.pixelColor(15, 5), QColor(250, 250, 0));
    QImage photo(8, 8, QImage::Format_RGB32);
    photo.fill(QColor(250, 250, 0));
    page = whiteCanvas(60, 30);
    {
        QPainter canvas(&page);
        DrawGraphic(canvas, QRect(0, 0, 16, 16), *TJPEGImage::fromImage(photo));
    }
    const QColor jpeg = page.pixelColor(8, 8);
    EXPECT_GT(jpeg.red(), 230);
    EXPECT_LT(jpeg.blue(), 30);
    EXPECT_EQ(page.pixelColor(20, 8), QColor(Qt::white));
}

TEST(PreviewInterface, APageTakesAMetafileAtItsNaturalSizeInTheUnit) {
    TPrintPreview preview;
    preview.setUnits(mmPixel);
    preview.resize(645, 532);
    const auto metafile = TMetafile::fromFileData(solidWmf(40, 20, qRgb(0, 0, 160)));
    preview.BeginDoc();
    EXPECT_EQ(preview.DrawGraphicAt(10, 20, *metafile), QPoint(50, 40));
    // Kept in proportion and centred in a wide rectangle: 40 x 20 becomes 120 x 60.
    EXPECT_EQ(preview.DrawGraphicInRect(QRect(100, 100, 300, 60), *metafile, true, false, true),
              QRect(190, 100, 120, 60));
    EXPECT_EQ(preview.DrawGraphicInRect(QRect(100, 300, 300, 60), *metafile, true, true, false),
              QRect(100, 300, 40, 20)); // fits already: only shrunk, never grown
    preview.EndDoc();
    preview.setZoom(100);
    EXPECT_EQ(shownAt(preview, 30, 30), QColor(0, 0, 160));
    EXPECT_EQ(shownAt(preview, 52, 30), QColor(Qt::white));
    EXPECT_EQ(shownAt(preview, 300, 150), QColor(0, 0, 160));
    EXPECT_EQ(shownAt(preview, 185, 150), QColor(Qt::white));
}
