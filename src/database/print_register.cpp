#include "print_register.h"

#include "person_table.h"

namespace wendolarka::print_register {
namespace {

// Local time to the second, as text: ISO 8601 sorts as it reads, so the
// engine compares times as strings.
QString timeText(const QDateTime& time) { return time.toLocalTime().toString(Qt::ISODate).left(19); }

// Without an offset the text reads back as local time.
QDateTime parseTime(const QString& text) { return QDateTime::fromString(text, Qt::ISODate); }

bool hasRegister(ISQLiteDatabase& db) { return db.HasTable(QString::fromLatin1(kTable)); }

QSet<std::int64_t> idsOf(ISQLiteTable& table) {
    QSet<std::int64_t> ids;
    for (table.First(); !table.AtEnd(); table.Next())
        ids.insert(table.FieldInteger(0));
    return ids;
}

} // namespace

void Record(ISQLiteDatabase& db, const std::vector<std::int64_t>& persons, const QString& templateName,
            const QString& output, const QDateTime& when) {
    if (persons.empty())
        return;
    const QString time = timeText(when);
    // The write lock at once: the table is made and filled in one change, or not at all.
    person_table::TPersonBatch change(db); // rolled back unless committed
    db.Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS wydruki (ID INTEGER PRIMARY KEY, OsobaID INTEGER, "
                              "Czas TEXT, Wzorzec TEXT, Wyjscie TEXT);"));
    for (const std::int64_t id : persons)
        db.Execute(QStringLiteral("INSERT INTO wydruki (OsobaID, Czas, Wzorzec, Wyjscie) VALUES (?, ?, ?, ?);"),
                   {SqlParam(id), SqlParam(time), SqlParam(templateName), SqlParam(output)});
    change.commit();
}

QString RecordOrWarn(ISQLiteDatabase& db, const std::vector<std::int64_t>& persons, const QString& templateName,
                     const QString& output, const QDateTime& when) {
    try {
        Record(db, persons, templateName, output, when);
        return {};
    } catch (const ESQLiteException& error) {
        return QString::fromUtf8("Przepustki są gotowe, ale nie zapisano ich w rejestrze wydruków: %1")
            .arg(person_table::describeFailure(error, QString()).simplified());
    }
}

QSet<std::int64_t> PrintedIds(ISQLiteDatabase& db) {
    if (!hasRegister(db))
        return {};
    return idsOf(*db.Query(QStringLiteral("SELECT DISTINCT OsobaID FROM wydruki;")));
}

std::vector<std::int64_t> NeverPrinted(ISQLiteDatabase& db) {
    const QString sql = hasRegister(db)
                            ? QStringLiteral("SELECT ID FROM osoby WHERE ID NOT IN (SELECT OsobaID FROM wydruki "
                                             "WHERE OsobaID IS NOT NULL) ORDER BY ID;")
                            : QStringLiteral("SELECT ID FROM osoby ORDER BY ID;");
    const std::shared_ptr<ISQLiteTable> table = db.Query(sql);
    std::vector<std::int64_t> ids;
    for (table->First(); !table->AtEnd(); table->Next())
        ids.push_back(table->FieldInteger(0));
    return ids;
}

QSet<std::int64_t> PrintedSince(ISQLiteDatabase& db, const QDateTime& since) {
    if (!hasRegister(db))
        return {};
    return idsOf(*db.Query(QStringLiteral("SELECT DISTINCT OsobaID FROM wydruki WHERE Czas >= ?;"),
                           {SqlParam(timeText(since))}));
}

QHash<std::int64_t, QDateTime> LastPrinted(ISQLiteDatabase& db) {
    QHash<std::int64_t, QDateTime> last;
    if (!hasRegister(db))
        return last;
    const std::shared_ptr<ISQLiteTable> table =
        db.Query(QStringLiteral("SELECT OsobaID, MAX(Czas) FROM wydruki GROUP BY OsobaID;"));
    for (table->First(); !table->AtEnd(); table->Next())
        last.insert(table->FieldInteger(0), parseTime(table->FieldText(1)));
    return last;
}

} // namespace wendolarka::print_register
