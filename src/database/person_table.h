#pragma once

#include "core/person.h"
#include "sqlite_database.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace wendolarka {

// A refusal of the person database in the program's own words (a missing file,
// a file that is no person database).
class EPersonDatabase : public Exception {
public:
    using Exception::Exception;
};

// One row of the person table.
struct TPersonRow {
    std::int64_t ID = 0;
    TPersonTexts texts; // NULL reads as empty
    std::optional<QByteArray> picture; // nullopt for NULL
};

// The person table `osoby` and what the record commands do to it. Every value
// is bound to its statement, so it is stored exactly as typed; every change
// runs in one transaction that is rolled back when any part of it fails.
namespace person_table {

// How long a command waits for another program's lock before it gives up.
inline constexpr int kBusyTimeoutMs = 3000;

// The table's CREATE statement as the program has always written it.
QString createStatement();
// The sample person of a new database.
TPersonTexts samplePerson();

// Makes a new database file with the table and the sample person: built in
// memory and written whole or not at all. Throws EPersonDatabase when the file
// already exists, EFileWrite when it cannot be written, ESQLiteException when
// the engine fails.
void CreateDatabase(const QString& fileName);

// Opens an existing person database whose commands wait up to `busyTimeoutMs`
// for another program's lock. Throws EPersonDatabase, and creates nothing,
// when the file is missing, is no SQLite database, is damaged, stays locked or
// lacks the table or one of its columns.
std::shared_ptr<ISQLiteDatabase> OpenExisting(const QString& fileName, int busyTimeoutMs = kBusyTimeoutMs);

// The program's words for a failure of the engine on that file: a lock held
// too long, a damaged file (named unless `fileName` is empty), or the engine's own text.
QString describeFailure(const ESQLiteException& error, const QString& fileName);

// Every person in surname order (the engine's byte order), without photos:
// columns ID and the eleven texts.
std::shared_ptr<ISQLiteTable> SelectForGrid(ISQLiteDatabase& db);
// The same rows as texts in one block, for filling the grid fast.
TTextTable SelectTextsForGrid(ISQLiteDatabase& db);
// Every person's ID in the grid's order.
std::vector<std::int64_t> IdsInSurnameOrder(ISQLiteDatabase& db);
// The person of that ID, photo included; an empty result when there is none.
std::shared_ptr<ISQLiteTable> SelectById(ISQLiteDatabase& db, std::int64_t id);
// Every person in the engine's order, photos included.
std::shared_ptr<ISQLiteTable> SelectAll(ISQLiteDatabase& db);

// The current row of a result of SelectById, SelectAll or SelectForGrid (no photo then).
TPersonRow ReadRow(const ISQLiteTable& table);

// Adds a person with a photo; both are stored or neither. Returns the new ID.
std::int64_t Insert(ISQLiteDatabase& db, const TPersonTexts& texts, const QByteArray& photo);
// Overwrites the texts of a person and, when given, the photo; all or nothing.
void Update(ISQLiteDatabase& db, std::int64_t id, const TPersonTexts& texts,
            const std::optional<QByteArray>& photo);
void Delete(ISQLiteDatabase& db, std::int64_t id);

// Many persons written as one change (a list taken in): the write lock is taken
// at the start, and nothing of it stays unless commit() is reached; a failure
// or a cancel leaves the table as it was.
class TPersonBatch {
public:
    explicit TPersonBatch(ISQLiteDatabase& db);
    ~TPersonBatch(); // rolls back what was not committed
    TPersonBatch(const TPersonBatch&) = delete;
    TPersonBatch& operator=(const TPersonBatch&) = delete;

    std::int64_t insert(const TPersonTexts& texts, const QByteArray& photo);
    // The photo is kept as stored when none is given.
    void update(std::int64_t id, const TPersonTexts& texts, const std::optional<QByteArray>& photo);
    void updatePhoto(std::int64_t id, const QByteArray& photo);
    void commit();
    void rollBack() noexcept;

private:
    ISQLiteDatabase& m_db;
    bool m_open = true;
};

// What a guarded change found in the table when it came to write.
struct TGuardedWrite {
    enum Outcome { Written, ChangedMeanwhile, GoneMeanwhile } outcome = Written;
    TPersonRow stored; // the row as it is now (ChangedMeanwhile)
};
// As Update and Delete, but only while the stored row is still `asRead`: the
// check and the change run in one transaction holding the write lock, so
// another program's change in between is never overwritten unseen.
TGuardedWrite UpdateIfUnchanged(ISQLiteDatabase& db, const TPersonRow& asRead, const TPersonTexts& texts,
                                const std::optional<QByteArray>& photo);
TGuardedWrite DeleteIfUnchanged(ISQLiteDatabase& db, const TPersonRow& asRead);
// Rebuilds the whole database file.
void Regenerate(ISQLiteDatabase& db);

} // namespace person_table
} // namespace wendolarka
