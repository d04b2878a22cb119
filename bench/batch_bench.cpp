// Passes for 1 000 persons with 5 KB photos, 8 to an A4 sheet, into a PDF at
// 300 dpi; compared with drawing the same 1 000 passes into images and writing
// nothing (same run). Prints passes per second, the ratio and the peak memory.
//   batch_bench [persons] [copy of the PDF]
#include "batch/pass_batch.h"
#include "core/image_codecs.h"
#include "core/picture.h"
#include "database/person_table.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"

#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "bench_support.h"

using namespace wendolarka;

namespace {

// A photo of about 5 KB: a face-sized picture with some detail, every one its own.
QByteArray photoOf(int i) {
    QImage face(90, 120, QImage::Format_RGB32);
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            face.setPixel(x, y, qRgb((x * 3 + i * 17 + (x * y) % 7 * 9) & 255, (y * 2 + i * 5 + (i / 256) * 41) & 255, ((x ^ y) * 5 + i) & 255));
    return encodeJpeg(face, 85);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int persons = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("osoby.db"));
    person_table::CreateDatabase(file);
    const auto db = person_table::OpenExisting(file);
    db->BeginTransaction();
    qint64 photoBytes = 0;
    for (int i = 0; i < persons; ++i) {
        TPersonTexts texts;
        texts[0] = QStringLiteral("Pan");
        texts[1] = QStringLiteral("Imię%1").arg(i);
        texts[2] = QStringLiteral("Nazwisko %1").arg(i, 5, 10, QChar(u'0'));
        texts[3] = QStringLiteral("A");
        texts[7] = QStringLiteral("600 100 %1").arg(i);
        const QByteArray photo = photoOf(i);
        photoBytes += photo.size();
        db->Execute(QStringLiteral("INSERT INTO osoby (Tytul,Imie,Nazwisko,Priorytet,Telefon1,Picture) VALUES (?,?,?,?,?,?)"),
                    {texts[0], texts[1], texts[2], texts[3], texts[7], photo});
    }
    db->CommitTransaction();
    TForm1 standard;
    const QByteArray templateFile = pass_template::writeFile(standard);
    const std::vector<std::int64_t> ids = choosePersons(*db, {});
    TSheetOptions options;
    parsePerSheet(QStringLiteral("2x4"), options);

    const QString pdf = dir.filePath(QStringLiteral("przepustki.pdf"));
    TPassBatch batch(*db, templateFile, ids, options);
    const auto cpuMs = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
    };
    const double cpuBefore = cpuMs();
    const double writing = bestOf(1, [&] { batch.writePdf(pdf, 300); });
    const double writingCpu = cpuMs() - cpuBefore;

    // The anchor: the same passes, photos decoded and drawn at the same scale, nothing written.
    TPassRenderer renderer(templateFile);
    QImage sample = renderer.render({}, TPicture(), 4);
    const double encodeOne = bestOf(5, [&] { encodeJpeg(sample, 90); });
    std::printf("one pass as JPEG (libjpeg, q90): %.2f ms\n", encodeOne);
    const double drawing = bestOf(1, [&] {
        for (const std::int64_t id : ids) {
            const auto row = person_table::ReadRow(*person_table::SelectById(*db, id));
            renderer.render(row.texts, TPicture::FromStoredBytes(*row.picture), 4);
        }
    });
    // What Qt's own PDF writer makes of the same passes drawn by the same path (one
    // thread, its own pages): the other way this program could write them.
    const QString qtPdf = dir.filePath(QStringLiteral("qt.pdf"));
    const std::size_t qtPasses = std::min<std::size_t>(ids.size(), 200);
    const double qtWriting = bestOf(1, [&] {
        QPdfWriter writer(qtPdf);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        QPainter painter(&writer);
        const double dotsPerMm = 300 / 25.4;
        for (std::size_t i = 0; i < qtPasses; ++i) {
            const auto row = person_table::ReadRow(*person_table::SelectById(*db, ids[i]));
            if (i > 0 && i % 8 == 0)
                writer.newPage();
            const QRectF mm = batch.layout().places[i % 8];
            paintDocumentPass(painter, renderer.document(row.texts, TPicture::FromStoredBytes(*row.picture), 4, true),
                              QRectF(mm.topLeft() * dotsPerMm, mm.size() * dotsPerMm));
        }
    });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%zu persons, photos %.1f KB on average, %d sheets\n", ids.size(),
                photoBytes / 1024.0 / std::max(1, persons), batch.sheetCount());
    std::printf("PDF at 300 dpi:          %8.0f ms  (%.0f passes/s, %lld KB)\n", writing, ids.size() / (writing / 1000.0),
                static_cast<long long>(QFileInfo(pdf).size() / 1024));
    std::printf("  of which processor time: %.0f ms on all cores\n", writingCpu);
    std::printf("  %.1f KB a pass (target at most 12), %.0f passes a second (target at least 500)\n",
                QFileInfo(pdf).size() / 1024.0 / std::max<std::size_t>(1, ids.size()), ids.size() / (writing / 1000.0));
    if (argc > 2) {
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        QFile::copy(pdf, QString::fromLocal8Bit(argv[2]));
    }
    std::printf("passes drawn, unwritten: %8.0f ms\n", drawing);
    std::printf("ratio: %.2f\n", writing / drawing);
    std::printf("Qt's QPdfWriter, %zu passes: %.0f passes/s, %.1f KB a pass (photos re-encoded)\n", qtPasses,
                qtPasses / (qtWriting / 1000.0), QFileInfo(qtPdf).size() / 1024.0 / std::max<std::size_t>(1, qtPasses));
    std::printf("peak memory: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
