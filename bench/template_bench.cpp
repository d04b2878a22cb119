// Saves and loads the standard layout carrying a 100 KB photo, and compares
// with decoding that photo alone with libjpeg (the floor of any load).
//   template_bench [runs]
#include "core/image_codecs.h"
#include "core/picture.h"
#include "controls/image.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench_support.h"

using namespace wendolarka;

namespace {

// A photo-like picture: smooth shading with grain, so it compresses like one.
QByteArray photoOfAbout(int bytes) {
    std::mt19937 random(7);
    for (int side = 200;; side += 20) {
        QImage image(side, side * 4 / 3, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int grain = static_cast<int>(random() % 40);
                image.setPixel(x, y, qRgb((x * 255 / side + grain) % 256, (y * 200 / side + grain) % 256, 90 + grain));
            }
        const QByteArray jpeg = encodeJpeg(image, 90);
        if (jpeg.size() >= bytes)
            return jpeg;
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const QByteArray photo = photoOfAbout(100 * 1024);
    TForm1 form;
    form.Image11->setPicture(TPicture(TJPEGImage::fromFileData(photo)));

    QByteArray file;
    const double save = bestOf(runs, [&] { file = pass_template::writeFile(form); });
    TForm1 target;
    const double load = bestOf(runs, [&] { pass_template::loadFile(target, file); });
    const double decode = bestOf(runs, [&] { decodeJpeg(photo); });
    const QByteArray bare = pass_template::writeFile(TForm1());
    const double loadBare = bestOf(runs, [&] { pass_template::loadFile(target, bare); });
    std::printf("photo %lld bytes, template %lld bytes, best of %d\n", static_cast<long long>(photo.size()),
                static_cast<long long>(file.size()), runs);
    std::printf("save:          %8.2f ms\n", save);
    std::printf("load:          %8.2f ms\n", load);
    std::printf("decode photo:  %8.2f ms\n", decode);
    std::printf("load of the standard layout alone: %.2f ms\n", loadBare);
    std::printf("ratio (save + load) / decode: %.2f   load / decode: %.2f\n", (save + load) / decode, load / decode);
    return 0;
}
