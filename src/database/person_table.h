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

// The table's CREATE statement as the program has always written it.
QString createStatement();
// The sample person of a new database.
TPersonTexts samplePerson();

// Makes a new database file with the table and the sample person, through a
// connection of its own that is closed again. Throws EPersonDatabase when the
// file already exists, ESQLiteException when the engine fails.
void CreateDatabase(const QString& fileName);

// Opens an existing person database. Throws EPersonDatabase, and creates
// nothing, when the file is missing, is no SQLite database or lacks the table
// or one of its columns.
std::shared_ptr<ISQLiteDatabase> OpenExisting(const QString& fileName);

// Every person in surname order (the engine's byte order), without photos:
// columns ID and the eleven texts.
std::shared_ptr<ISQLiteTable> SelectForGrid(ISQLiteDatabase& db);
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
// Rebuilds the whole database file.
void Regenerate(ISQLiteDatabase& db);

} // namespace person_table
} // namespace wendolarka
