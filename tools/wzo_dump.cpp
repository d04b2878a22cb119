// Prints a layout template as readable text: each component's class and name,
// each property with its value, pictures by kind and pixel size.
//   wzo-dump FILE.wzo
#include "core/exception.h"
#include "designer/pass_template.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "Użycie: wzo-dump PLIK.wzo\n");
        return 2;
    }
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "wzo-dump: nie mogę otworzyć pliku %s\n", qPrintable(args[1]));
        return 1;
    }
    try {
        const QString text = wendolarka::pass_template::describeFile(file.readAll());
        std::fputs(text.toUtf8().constData(), stdout);
        return 0;
    } catch (const wendolarka::Exception& e) {
        std::fprintf(stderr, "wzo-dump: %s: %s\n", qPrintable(args[1]), e.message().toUtf8().constData());
        return 1;
    }
}
