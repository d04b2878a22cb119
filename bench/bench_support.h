#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>

#include <algorithm>

// The best of several runs, in milliseconds: the least disturbed by whatever
// else the machine does.
template <typename Work>
double bestOf(int runs, Work work) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// The sqlite3 shell running one statement on a file, its output thrown away.
inline double sqliteShell(const QString& file, const QString& statement, int runs) {
    return bestOf(runs, [&] {
        QProcess sqlite;
        sqlite.setStandardOutputFile(QProcess::nullDevice());
        sqlite.start(QStringLiteral("sqlite3"), {file, statement});
        sqlite.waitForFinished(-1);
    });
}
