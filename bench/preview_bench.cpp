// Times a zoom change plus repaint of an A4 preview page holding a pass, and
// compares with one QPainter::drawImage of the same page bitmap at the same size.
//   preview_bench [runs]
#include "printing/print_preview.h"

#include <QApplication>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

#include "bench_support.h"

using namespace wendolarka;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
    TPrintPreview preview;
    preview.resize(645, 532);
    preview.setUnits(mmPixel);
    QImage pass(376, 194, QImage::Format_RGB888);
    pass.fill(QColor(40, 90, 200));
    preview.BeginDoc();
    preview.Canvas()->drawImage(QPoint(20, 30), pass);
    preview.EndDoc();

    int zoom = 100;
    const double rezoom = bestOf(runs, [&] {
        zoom = zoom == 100 ? 101 : 100; // a real change every time
        preview.setZoom(zoom);
        preview.Paper().Render();
    });
    const QSize size = preview.Paper().size();
    const QImage page = preview.Paper().Bitmap().copy();
    QImage target(size, QImage::Format_RGB32);
    const double draw = bestOf(runs, [&] {
        QPainter painter(&target);
        painter.drawImage(QRect(QPoint(0, 0), size), page);
    });
    std::printf("paper %d x %d, best of %d\n", size.width(), size.height(), runs);
    std::printf("zoom change + repaint: %8.3f ms\n", rezoom);
    std::printf("drawImage of the page:  %8.3f ms\n", draw);
    std::printf("ratio: %.2f\n", rezoom / draw);
    return 0;
}
