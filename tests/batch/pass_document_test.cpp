#include "batch/pass_batch.h"
#include "batch/pdf_sheets.h"
#include "core/image_codecs.h"
#include "core/picture.h"
#include "designer/pass_template.h"
#include "controls/label.h"
#include "controls/multi_bevel.h"
#include "designer/pass_window.h"
#include "support/pdf_images.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A photo of its own size, small as stored photos often are.
QByteArray photoJpeg(QSize size) {
    QImage face(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            face.setPixel(x, y, qRgb(40 + 3 * x, 200 - 2 * y, (x * y) % 200));
    return encodeJpeg(face, 90);
}

} // namespace

// One pass alone on a page of its own size, as the many-passes PDF writes each pass.
TEST(PassDocument, TextStaysTextThePhotoItsBytesAndThePageLooksAsTheScreen) {
    QTemporaryDir dir;
    TForm1 window;
    // Every frame shown: labels lie inside them, reaching into their rings.
    for (int k = 0; k < 6; ++k)
        window.frame(k)->setVisible(true);
    window.lblIndex->setVisible(true);
    const QByteArray templateFile = pass_template::writeFile(window);
    TPassRenderer renderer(templateFile);
    TPersonTexts texts;
    texts[1] = QStringLiteral("Agnieszka");
    texts[2] = QString::fromUtf8("Wiśniewska-Żółć");
    texts[3] = QStringLiteral("VIP");
    texts[4] = QStringLiteral("K-0042");
    texts[7] = QStringLiteral("wew. 103");
    const QByteArray stored = photoJpeg({48, 59});
    const TPicture photo = TPicture::FromStoredBytes(stored);
    const QImage screen = renderer.render(texts, photo, 1).convertToFormat(QImage::Format_RGB32);
    const TDocumentPass pass = renderer.document(texts, photo, 4);
    ASSERT_EQ(pass.units, screen.size());

    const QString pdf = dir.filePath(QStringLiteral("pass.pdf"));
    {
        QFile out(pdf);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const QSizeF pageMm = QSizeF(pass.units) * (25.4 / 96);
        TPdfSheetWriter writer(out, pageMm);
        const int base = writer.writeRaster(deflateRgb(pass.raster, pass.raster.rect()), pass.raster.size());
        writer.beginPage();
        writer.placeDocumentPass(pass, base, {}, QRectF(QPointF(), pageMm));
        writer.endPage();
        writer.finish();
        ASSERT_TRUE(writer.ok());
    }

    // The names can be found and copied, Polish letters included; the font goes with the file, cut down.
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Agnieszka"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Wiśniewska-Żółć"))) << text.toStdString();
    for (const char* shown : {"wew. 103", "VIP", "K-0042"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown << ": " << text.toStdString();
    const QStringList fonts = run(QStringLiteral("pdffonts"), {pdf}).split(u'\n').mid(2).filter(QStringLiteral("CID TrueType"));
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.contains(QStringLiteral("yes yes yes"))) << font.toStdString(); // embedded, subset, mapped
    EXPECT_LT(QFileInfo(pdf).size(), 60 * 1024);

    // The photo is the stored file: 48 x 59 pixels, its bytes unchanged.
    run(QStringLiteral("pdfimages"), {QStringLiteral("-j"), pdf, dir.filePath(QStringLiteral("img"))});
    const QStringList jpegs = QDir(dir.path()).entryList({QStringLiteral("img*.jpg")});
    ASSERT_EQ(jpegs.size(), 1);
    QFile extracted(dir.filePath(jpegs.first()));
    ASSERT_TRUE(extracted.open(QIODevice::ReadOnly));
    EXPECT_EQ(extracted.readAll(), stored);

    // At the screen's resolution the page is the screen's pass. Letters and the
    // edges of frames differ by their smoothing only: each pixel of the page lies
    // within the colours of the screen's pixels around it.
    const QImage page = renderPage(pdf, 1, dir.path()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(page.size(), screen.size());
    int outside = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const QRgb q = screen.pixel(std::clamp(x + dx, 0, page.width() - 1), std::clamp(y + dy, 0, page.height() - 1));
                    const int c[3] = {qRed(q), qGreen(q), qBlue(q)};
                    for (int k = 0; k < 3; ++k) {
                        low[k] = std::min(low[k], c[k]);
                        high[k] = std::max(high[k], c[k]);
                    }
                }
            const QRgb p = page.pixel(x, y);
            const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
            bool within = true;
            for (int k = 0; k < 3; ++k)
                within = within && c[k] >= low[k] - 40 && c[k] <= high[k] + 40;
            outside += !within;
        }
    EXPECT_LT(outside, page.width() * page.height() / 500) << outside << " of " << page.width() * page.height();
}

TEST(PassDocument, OnlyAnUprightBaselineOrProgressiveJpegTravelsAsItsBytes) {
    const QByteArray jpeg = photoJpeg({48, 59});
    const std::optional<TJpegFacts> facts = documentJpegFacts(jpeg);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pixels, QSize(48, 59));
    EXPECT_EQ(facts->components, 3);
    QFile progressive(QStringLiteral(TEST_DATA_DIR "/progressive.jpg")), cmyk(QStringLiteral(TEST_DATA_DIR "/cmyk.jpg")),
        arithmetic(QStringLiteral(TEST_DATA_DIR "/arithmetic.jpg")), grey(QStringLiteral(TEST_DATA_DIR "/grey.jpg"));
    for (QFile* file : {&progressive, &cmyk, &arithmetic, &grey})
        ASSERT_TRUE(file->open(QIODevice::ReadOnly));
    EXPECT_TRUE(documentJpegFacts(progressive.readAll()));
    EXPECT_EQ(documentJpegFacts(grey.readAll())->components, 1);
    EXPECT_FALSE(documentJpegFacts(cmyk.readAll()));
    EXPECT_FALSE(documentJpegFacts(arithmetic.readAll()));
    // Every cut and a flipped bit are read without a fault; a cut file never travels.
    for (qsizetype length = 0; length < jpeg.size(); length += 7)
        EXPECT_FALSE(documentJpegFacts(jpeg.left(length))) << length;
    for (qsizetype at = 0; at < std::min<qsizetype>(jpeg.size(), 700); ++at) {
        QByteArray flipped = jpeg;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
        documentJpegFacts(flipped);
    }
}
