#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace wendolarka::test {

// Overwrites pages [first, last) of a database file with rubbish, as a failing
// disk or a bad copy leaves it. False when the file cannot be written.
inline bool damagePages(const QString& path, qint64 first, qint64 last, qint64 pageSize = 4096) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    for (qint64 page = first; page < last; ++page)
        if (!file.seek(page * pageSize) || file.write(QByteArray(pageSize, '\x5A')) != pageSize)
            return false;
    return true;
}

} // namespace wendolarka::test
