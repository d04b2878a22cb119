// Exports a 2000 x 1400 image set as JPEG (card bitmap, encoding, file) and
// compares with cjpeg -quality 90 turning the same picture, kept as a BMP, into a JPEG.
//   export_bench [runs]
#include "controls/image.h"
#include "core/image_codecs.h"
#include "core/safe_file.h"
#include "designer/picture_export.h"
#include "imageset/image_set_window.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include "bench_support.h"

using namespace wendolarka;

namespace {

// Something like a photo: smooth gradients with detail, so the encoder has real work.
QImage photoLike(int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 255 / w + seed * 40) & 255, (y * 255 / h) ^ ((x * y + seed) & 15),
                          ((x + y) * 3 + ((x * 7 + y * 13 + seed) % 23)) & 255);
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir dir;
    TForm3 set;
    set.resize(2000, 1400);
    set.syncClientBounds();
    for (int k = 1; k <= TForm3::kPictures; ++k) {
        const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(k));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(encodeJpeg(photoLike(600, 450, k)));
        file.close();
        set.loadPicture(k, path);
        set.picture(k)->SetBounds(((k - 1) % 4) * 480, ((k - 1) / 4) * 440, 600, 450);
        set.picture(k)->setVisible(true);
    }
    const QString ours = dir.filePath(QStringLiteral("ours.jpg"));
    const double exported = bestOf(runs, [&] {
        writeFileSafely(ours, picture_export::encodeCard(set.Snapshot(), picture_export::Format::Jpeg));
    });
    const QString bmp = dir.filePath(QStringLiteral("card.bmp"));
    writeFileSafely(bmp, encodeBmp24(set.Snapshot()));
    const QString theirs = dir.filePath(QStringLiteral("cjpeg.jpg"));
    const double cjpeg = bestOf(runs, [&] {
        QProcess process;
        process.start(QStringLiteral("cjpeg"), {QStringLiteral("-quality"), QStringLiteral("90"), QStringLiteral("-outfile"), theirs, bmp});
        process.waitForFinished(-1);
    });
    std::printf("image set %d x %d, best of %d\n", set.width(), set.height(), runs);
    std::printf("export as JPEG:        %8.2f ms (%lld bytes)\n", exported, static_cast<long long>(QFile(ours).size()));
    std::printf("cjpeg -quality 90:     %8.2f ms (%lld bytes)\n", cjpeg, static_cast<long long>(QFile(theirs).size()));
    std::printf("ratio: %.2f\n", exported / cjpeg);
    return 0;
}
