#pragma once

#include "sqlite_database.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <vector>

namespace wendolarka {

// Who got a pass, when, from which template and where to: the table `wydruki`
// beside `osoby` in the person database. It is ours alone, so `osoby` keeps
// the columns other programs read; a database without it has printed nothing.
namespace print_register {

inline constexpr const char* kTable = "wydruki";

// Records one pass per person, all in one transaction that also makes the
// table the first time. `output` is the printer's name or the file's path.
// Throws ESQLiteException (a lock held past the busy time-out, a read-only
// file); nothing of the call stays then.
void Record(ISQLiteDatabase& db, const std::vector<std::int64_t>& persons, const QString& templateName,
            const QString& output, const QDateTime& when = QDateTime::currentDateTime());

// As Record, but a failure is only said: the passes are out already and must
// not be lost over their record. Returns the warning, empty when recorded.
QString RecordOrWarn(ISQLiteDatabase& db, const std::vector<std::int64_t>& persons, const QString& templateName,
                     const QString& output, const QDateTime& when = QDateTime::currentDateTime());

// Every person with at least one pass recorded. Reading never makes the table.
QSet<std::int64_t> PrintedIds(ISQLiteDatabase& db);
// The persons of `osoby` with no pass recorded, in ID order.
std::vector<std::int64_t> NeverPrinted(ISQLiteDatabase& db);
// The persons with a pass recorded at or after `since`.
QSet<std::int64_t> PrintedSince(ISQLiteDatabase& db, const QDateTime& since);
// Each printed person's latest pass.
QHash<std::int64_t, QDateTime> LastPrinted(ISQLiteDatabase& db);

} // namespace print_register
} // namespace wendolarka
