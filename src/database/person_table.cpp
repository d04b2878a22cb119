#include "person_table.h"

#include "core/safe_file.h"

#include <sqlite3.h>

#include <QFileInfo>

namespace wendolarka::person_table {
namespace {

const QString kColumnsForGrid = QStringLiteral(
    "ID,Tytul,Imie,Nazwisko,Priorytet,Indeks,Adres1,Adres2,Telefon1,Telefon2,Usluga1,Usluga2");

SqlParams textParams(const TPersonTexts& texts) {
    SqlParams params;
    params.reserve(texts.size() + 2);
    for (const QString& text : texts)
        params.emplace_back(text);
    return params;
}

// Runs `work` in one transaction: committed when it all went through, rolled
// back otherwise, so the next command finds no transaction left open.
enum class Lock { Deferred, Immediate };

template <typename Work>
void inTransaction(ISQLiteDatabase& db, Work work, Lock lock = Lock::Deferred) {
    if (lock == Lock::Immediate)
        db.BeginImmediateTransaction();
    else
        db.BeginTransaction();
    try {
        work();
        db.CommitTransaction();
    } catch (...) {
        try {
            if (db.IsInTransaction())
                db.RollbackTransaction();
        } catch (...) {
            // The connection rolls back what is left when it closes.
        }
        throw;
    }
}

QString quoted(const QString& fileName) { return QStringLiteral("„") + fileName + QStringLiteral("”"); }

// The row of that ID as stored now, read inside the caller's transaction.
std::optional<TPersonRow> storedRow(ISQLiteDatabase& db, std::int64_t id) {
    const auto table = SelectById(db, id);
    if (table->Count() == 0)
        return std::nullopt;
    return ReadRow(*table);
}

bool sameRow(const TPersonRow& a, const TPersonRow& b) {
    return a.texts == b.texts && a.picture.value_or(QByteArray()) == b.picture.value_or(QByteArray());
}

void writePhoto(ISQLiteDatabase& db, std::int64_t id, const QByteArray& photo) {
    db.Execute(QStringLiteral("UPDATE osoby SET picture = ? WHERE ID = ?"), {photo, id});
}

void writeTexts(ISQLiteDatabase& db, std::int64_t id, const TPersonTexts& texts,
                const std::optional<QByteArray>& photo) {
    SqlParams params = textParams(texts);
    params.emplace_back(id);
    db.Execute(QStringLiteral("UPDATE osoby SET Tytul=?, Imie=?, Nazwisko=?, Priorytet=?, Indeks=?, Adres1=?, "
                              "Adres2=?, Telefon1=?, Telefon2=?, Usluga1=?, Usluga2=? WHERE ID=?;"),
               params);
    if (photo)
        writePhoto(db, id, *photo);
}

// Runs `change` only while the stored row is still the one read.
template <typename Change>
TGuardedWrite guarded(ISQLiteDatabase& db, const TPersonRow& asRead, Change change) {
    TGuardedWrite result;
    inTransaction(db, [&] {
        const std::optional<TPersonRow> now = storedRow(db, asRead.ID);
        if (!now) {
            result.outcome = TGuardedWrite::GoneMeanwhile;
            return;
        }
        if (!sameRow(*now, asRead)) {
            result.outcome = TGuardedWrite::ChangedMeanwhile;
            result.stored = *now;
            return;
        }
        change();
    }, Lock::Immediate);
    return result;
}

} // namespace

QString createStatement() {
    return QStringLiteral("CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),"
                          "Nazwisko VARCHAR(30),") +
           QStringLiteral("Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 VARCHAR(70), "
                          "Telefon1 VARCHAR(70),") +
           QStringLiteral("Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 VARCHAR(70), Picture BLOB COLLATE "
                          "NOCASE);");
}

TPersonTexts samplePerson() {
    const QString blank = QStringLiteral(" ");
    return {QStringLiteral("Pan"), QStringLiteral("Tomir"), QStringLiteral("Probnik"),
            QString::fromUtf8("Ważna"), QStringLiteral("Figura"), blank, blank, blank, blank, blank, blank};
}

void CreateDatabase(const QString& fileName) {
    if (QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink())
        throw EPersonDatabase(QStringLiteral("Plik ") + quoted(fileName) + QStringLiteral(" już istnieje."));
    // Made in memory and written in one go: a full disk leaves no half-made database.
    auto db = TSQLiteDatabase::CreateInMemory();
    db->Execute(createStatement());
    SqlParams params = textParams(samplePerson());
    db->Execute(QStringLiteral("INSERT INTO osoby (ID,Tytul,Imie,Nazwisko,Priorytet,Indeks,Adres1,Adres2,"
                               "Telefon1,Telefon2,Usluga1,Usluga2) VALUES(NULL,?,?,?,?,?,?,?,?,?,?,?);"),
                params);
    writeFileSafely(fileName, db->Serialize());
}

QString describeFailure(const ESQLiteException& error, const QString& fileName) {
    if (error.isBusy()) {
        // The engine's own words, also where the layer's message has none of them.
        const QString engine = QString::fromUtf8(sqlite3_errstr(error.engineCode()));
        QString text = error.message();
        if (!text.contains(engine))
            text += QStringLiteral(" (") + engine + u')';
        return QString::fromUtf8("Baza jest zajęta przez inny program; spróbuj ponownie.\n\n") + text;
    }
    if (error.isCorrupt())
        return QString::fromUtf8("Plik bazy danych%1 jest uszkodzony. Spróbuj polecenia „Regeneruj (odśwież) bazę” "
                                 "z menu „Baza” albo wróć do kopii zapasowej tego pliku.\n\n")
                   .arg(fileName.isEmpty() ? QString() : u' ' + quoted(fileName)) +
               error.message();
    return error.message();
}

std::shared_ptr<ISQLiteDatabase> OpenExisting(const QString& fileName, int busyTimeoutMs) {
    const QFileInfo info(fileName);
    if (!info.exists())
        throw EPersonDatabase(QStringLiteral("Plik ") + quoted(fileName) + QStringLiteral(" nie istnieje."));
    if (!info.isFile())
        throw EPersonDatabase(QStringLiteral("„") + fileName + QStringLiteral("” nie jest plikiem."));
    std::shared_ptr<ISQLiteDatabase> db;
    std::shared_ptr<ISQLiteTable> columns;
    try {
        db = TSQLiteDatabase::Create(fileName, busyTimeoutMs);
        columns = db->Query(QStringLiteral("PRAGMA table_info(osoby)"));
    } catch (const ESQLiteException& e) {
        // A lock or damage is said as such; anything else is no person database.
        if (e.isBusy() || e.isCorrupt())
            throw EPersonDatabase(describeFailure(e, fileName));
        throw EPersonDatabase(QStringLiteral("Plik ") + quoted(fileName) +
                              QStringLiteral(" nie jest bazą danych SQLite albo nie da się go odczytać."));
    }
    if (columns->Count() == 0)
        throw EPersonDatabase(QStringLiteral("W pliku ") + quoted(fileName) +
                              QStringLiteral(" nie ma tabeli osób (osoby)."));
    QStringList present;
    const int nameColumn = columns->ColumnIndex(QStringLiteral("name"));
    for (columns->First(); !columns->AtEnd(); columns->Next())
        present << columns->FieldString(nameColumn).toUpper();
    QStringList missing;
    QStringList needed = {QStringLiteral("ID")};
    for (const char* column : kPersonTextColumns)
        needed << QString::fromLatin1(column);
    needed << QStringLiteral("Picture");
    for (const QString& column : needed)
        if (!present.contains(column.toUpper()))
            missing << column;
    if (!missing.isEmpty())
        throw EPersonDatabase(QStringLiteral("W tabeli osób pliku ") + quoted(fileName) +
                              QStringLiteral(" brakuje kolumn: ") + missing.join(QStringLiteral(", ")) +
                              QStringLiteral("."));
    return db;
}

std::shared_ptr<ISQLiteTable> SelectForGrid(ISQLiteDatabase& db) {
    return db.Query(QStringLiteral("SELECT ") + kColumnsForGrid + QStringLiteral(" FROM osoby ORDER BY Nazwisko"));
}

TTextTable SelectTextsForGrid(ISQLiteDatabase& db) {
    return db.QueryTexts(QStringLiteral("SELECT ") + kColumnsForGrid + QStringLiteral(" FROM osoby ORDER BY Nazwisko"));
}

std::vector<std::int64_t> IdsInSurnameOrder(ISQLiteDatabase& db) {
    const TTextTable table = db.QueryTexts(QStringLiteral("SELECT ID FROM osoby ORDER BY Nazwisko"));
    std::vector<std::int64_t> ids;
    ids.reserve(std::size_t(table.rows));
    for (int r = 0; r < table.rows; ++r)
        ids.push_back(table.cell(r, 0).toLongLong());
    return ids;
}

std::shared_ptr<ISQLiteTable> SelectById(ISQLiteDatabase& db, std::int64_t id) {
    return db.Query(QStringLiteral("SELECT * FROM osoby WHERE ID=?"), {id});
}

std::shared_ptr<ISQLiteTable> SelectAll(ISQLiteDatabase& db) { return db.Query(QStringLiteral("SELECT * FROM osoby")); }

TPersonRow ReadRow(const ISQLiteTable& table) {
    TPersonRow row;
    // Read as text: a file made elsewhere may declare the key with another type name.
    bool isNumber = false;
    row.ID = table.FieldText(table.ColumnIndex(QStringLiteral("ID"))).toLongLong(&isNumber);
    if (!isNumber)
        throw ESQLiteException(QStringLiteral("Not an integer or numeric field"));
    for (std::size_t i = 0; i < kPersonTextCount; ++i)
        row.texts[i] = table.FieldString(table.ColumnIndex(QString::fromLatin1(kPersonTextColumns[i])));
    // A result without photos (the grid's) reads as persons without them.
    int picture = -1;
    for (int c = 0; c < table.ColumnCount(); ++c)
        if (table.ColumnName(c).compare(QStringLiteral("picture"), Qt::CaseInsensitive) == 0)
            picture = c;
    if (picture >= 0 && !table.FieldIsNull(picture)) {
        const TMemoryStream* stream = table.FieldBlob(picture);
        row.picture = stream ? stream->bytes() : QByteArray();
    }
    return row;
}

namespace {
std::int64_t insertRow(ISQLiteDatabase& db, const TPersonTexts& texts, const QByteArray& photo) {
    SqlParams params = textParams(texts);
    params.emplace_back(photo);
    db.Execute(QStringLiteral("INSERT INTO osoby (ID,Tytul,Imie,Nazwisko,Priorytet,Indeks,Adres1,Adres2,"
                              "Telefon1,Telefon2,Usluga1,Usluga2,Picture) VALUES (NULL,?,?,?,?,?,?,?,?,?,?,?,?);"),
               params);
    return db.LastRowId();
}
} // namespace

std::int64_t Insert(ISQLiteDatabase& db, const TPersonTexts& texts, const QByteArray& photo) {
    std::int64_t id = 0;
    inTransaction(db, [&] { id = insertRow(db, texts, photo); });
    return id;
}

TPersonBatch::TPersonBatch(ISQLiteDatabase& db) : m_db(db) { m_db.BeginImmediateTransaction(); }

TPersonBatch::~TPersonBatch() {
    if (m_open)
        rollBack();
}

std::int64_t TPersonBatch::insert(const TPersonTexts& texts, const QByteArray& photo) {
    return insertRow(m_db, texts, photo);
}

void TPersonBatch::update(std::int64_t id, const TPersonTexts& texts, const std::optional<QByteArray>& photo) {
    writeTexts(m_db, id, texts, photo);
}

void TPersonBatch::updatePhoto(std::int64_t id, const QByteArray& photo) {
    writePhoto(m_db, id, photo);
}

void TPersonBatch::commit() {
    m_db.CommitTransaction();
    m_open = false;
}

void TPersonBatch::rollBack() noexcept {
    m_open = false;
    try {
        if (m_db.IsInTransaction())
            m_db.RollbackTransaction();
    } catch (...) {
        // The connection rolls back what is left when it closes.
    }
}

void Update(ISQLiteDatabase& db, std::int64_t id, const TPersonTexts& texts, const std::optional<QByteArray>& photo) {
    inTransaction(db, [&] { writeTexts(db, id, texts, photo); });
}

void Delete(ISQLiteDatabase& db, std::int64_t id) {
    db.Execute(QStringLiteral("DELETE FROM osoby WHERE ID=?"), {id});
}

TGuardedWrite UpdateIfUnchanged(ISQLiteDatabase& db, const TPersonRow& asRead, const TPersonTexts& texts,
                                const std::optional<QByteArray>& photo) {
    return guarded(db, asRead, [&] { writeTexts(db, asRead.ID, texts, photo); });
}

TGuardedWrite DeleteIfUnchanged(ISQLiteDatabase& db, const TPersonRow& asRead) {
    return guarded(db, asRead, [&] { Delete(db, asRead.ID); });
}

void Regenerate(ISQLiteDatabase& db) { db.Execute(QStringLiteral("VACUUM")); }

} // namespace wendolarka::person_table
