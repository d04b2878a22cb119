// Sorts 100 000 rows of the person grid by a text and by a number column and
// compares with std::stable_sort of the same keys.
//   sort_bench [rows]
#include "grid/sortable_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace wendolarka;

namespace {

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::mt19937 random(7);
    const QStringList syllables = {QStringLiteral("ko"), QStringLiteral("wal"), QStringLiteral("ska"),
                                   QStringLiteral("now"), QStringLiteral("ak"), QStringLiteral("wiś"),
                                   QStringLiteral("nie"), QStringLiteral("ła"), QStringLiteral("dą"),
                                   QStringLiteral("bro")};
    QStringList names, numbers;
    for (int i = 0; i < rows; ++i) {
        QString name;
        for (int s = 0; s < 4; ++s)
            name += syllables[static_cast<int>(random() % syllables.size())];
        names << name;
        numbers << QLocale().toString(static_cast<double>(random() % 1000000) / 100.0, 'f', 2);
    }
    TFajny grid;
    const double fill = millisecondsOf([&] {
        grid.setColCount(3);
        grid.setRowCount(rows + 1);
        for (int i = 0; i < rows; ++i) {
            grid.setCells(1, i + 1, names[i]);
            grid.setCells(2, i + 1, numbers[i]);
        }
    });

    TSortOptions text;
    text.Kind = skText;
    const double gridText = millisecondsOf([&] { grid.RunSort(1, text); });
    QStringList keys = names;
    const double stdText = millisecondsOf([&] {
        for (QString& k : keys)
            k = k.toUpper();
        std::stable_sort(keys.begin(), keys.end(),
                         [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    });

    TSortOptions number;
    number.Kind = skNumber;
    const double gridNumber = millisecondsOf([&] { grid.RunSort(2, number); });
    std::vector<double> values;
    const double stdNumber = millisecondsOf([&] {
        values.reserve(static_cast<std::size_t>(rows));
        const QLocale locale;
        for (const QString& n : numbers)
            values.push_back(locale.toDouble(n));
        std::stable_sort(values.begin(), values.end());
    });

    std::printf("rows %d, filled in %.1f ms\n", rows, fill);
    std::printf("text:   grid %8.1f ms, std::stable_sort %8.1f ms, ratio %.2f\n", gridText, stdText, gridText / stdText);
    std::printf("number: grid %8.1f ms, std::stable_sort %8.1f ms, ratio %.2f\n", gridNumber, stdNumber,
                gridNumber / stdNumber);
    return 0;
}
