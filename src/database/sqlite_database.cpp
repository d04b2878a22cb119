#include "sqlite_internal.h"

#include "core/cp1250.h"

#include <QFile>
#include <QHashFunctions>

#include <unordered_map>

namespace wendolarka {
namespace sqlite_detail {

namespace {
// ROW and DONE are what a step answers, not failures: they carry no report.
bool holdsRealError(int code) { return code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE; }
} // namespace

QByteArray encodeText(const QString& text) {
    try {
        return cp1250::encode(text);
    } catch (const cp1250::EUnencodable& e) {
        throw ESQLiteException(
            QStringLiteral("Text cannot be stored in the database code page: character U+%1 at position %2")
                .arg(QString::number(e.character().unicode(), 16).toUpper().rightJustified(4, u'0'))
                .arg(e.position()));
    }
}

void raiseError(sqlite3* db, const QString& message, const QString& sql) {
    if (db && holdsRealError(sqlite3_errcode(db))) {
        // The engine quotes our own code-page text back in its messages.
        const QString engineMessage = cp1250::decode(QByteArray(sqlite3_errmsg(db)));
        throw ESQLiteException(message + QStringLiteral(" \"") + sql + QStringLiteral("\" : ") +
                                   engineMessage,
                               sqlite3_extended_errcode(db));
    }
    throw ESQLiteException(message);
}

Statement prepare(sqlite3* db, const QString& sql, const QByteArray& sqlBytes,
                  const QString& failMessage) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sqlBytes.constData(), -1, &raw, nullptr);
    Statement statement(raw);
    if (rc != SQLITE_OK)
        raiseError(db, failMessage, sql);
    if (!statement)
        raiseError(db, QStringLiteral("Could not prepare SQL statement"), sql);
    return statement;
}

void bindParams(sqlite3* db, sqlite3_stmt* statement, const QString& sql, const SqlParams& params,
                std::vector<QByteArray>* held) {
    const auto lifetime = held ? SQLITE_STATIC : SQLITE_TRANSIENT;
    if (held)
        held->reserve(params.size()); // no reallocation: bound pointers stay valid
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const SqlParam& param = params[i];
        int rc = SQLITE_OK;
        if (std::holds_alternative<std::monostate>(param)) {
            rc = sqlite3_bind_null(statement, index);
        } else if (const auto* integer = std::get_if<std::int64_t>(&param)) {
            rc = sqlite3_bind_int64(statement, index, *integer);
        } else if (const auto* real = std::get_if<double>(&param)) {
            rc = sqlite3_bind_double(statement, index, *real);
        } else if (const auto* text = std::get_if<QString>(&param)) {
            QByteArray bytes = encodeText(*text);
            const char* data = bytes.constData();
            const int size = static_cast<int>(bytes.size());
            if (held)
                held->push_back(std::move(bytes));
            rc = sqlite3_bind_text(statement, index, data, size, lifetime);
        } else if (const auto* blob = std::get_if<QByteArray>(&param)) {
            rc = blob->isEmpty()
                     ? sqlite3_bind_zeroblob(statement, index, 0)
                     : sqlite3_bind_blob(statement, index, blob->constData(),
                                         static_cast<int>(blob->size()), lifetime);
        }
        if (rc != SQLITE_OK)
            raiseError(db, QStringLiteral("Error binding parameter to SQL statement"), sql);
    }
}

} // namespace sqlite_detail

namespace {

using namespace sqlite_detail;

int primaryCode(int code) { return code & 0xFF; }

struct ConnectionCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close(db); }
};

class SQLiteDatabase final : public ISQLiteDatabase {
public:
    explicit SQLiteDatabase(const QString& fileName, int busyTimeoutMs = 0) {
        sqlite3* raw = nullptr;
        // The file name goes to the engine in the encoding of this system's file names.
        const int rc = sqlite3_open(QFile::encodeName(fileName).constData(), &raw);
        m_db.reset(raw);
        if (rc != SQLITE_OK) {
            if (!m_db)
                throw ESQLiteException(QStringLiteral("Failed to open database \"") + fileName +
                                       QStringLiteral("\" : unknown error"), rc);
            throw ESQLiteException(QStringLiteral("Failed to open database \"") + fileName +
                                       QStringLiteral("\" : ") +
                                       cp1250::decode(QByteArray(sqlite3_errmsg(m_db.get()))),
                                   sqlite3_extended_errcode(m_db.get()));
        }
        if (busyTimeoutMs > 0)
            sqlite3_busy_timeout(m_db.get(), busyTimeoutMs);
        Execute(QStringLiteral("PRAGMA SYNCHRONOUS=NORMAL;"));
        Execute(QStringLiteral("PRAGMA temp_store = MEMORY;"));
    }

    ~SQLiteDatabase() override {
        if (m_inTransaction) {
            try {
                Execute(QStringLiteral("ROLLBACK;"));
            } catch (...) {
                // Closing the connection rolls back what is left anyway.
            }
        }
    }

    bool IsInTransaction() const override { return m_inTransaction; }

    std::shared_ptr<ISQLiteTable> Query(const QString& sql) override { return Query(sql, {}); }
    std::shared_ptr<ISQLiteTable> Query(const QString& sql, const SqlParams& params) override {
        return makeTable(m_db.get(), sql, params);
    }
    TTextTable QueryTexts(const QString& sql) override { return queryTexts(m_db.get(), sql); }

    void Execute(const QString& sql) override { Execute(sql, {}); }
    void Execute(const QString& sql, const SqlParams& params) override {
        sqlite3_stmt* statement = prepared(sql);
        // The values are stepped before this returns, so the statement reads them
        // where they are, without copies (a list's import binds thousands of photos);
        // the rewind below lets go of them before `held` goes.
        std::vector<QByteArray> held;
        // Ready for its next use whatever happens here; the error is read before.
        struct Rewind {
            sqlite3_stmt* statement;
            ~Rewind() {
                sqlite3_reset(statement);
                sqlite3_clear_bindings(statement);
            }
        } rewind{statement};
        bindParams(m_db.get(), statement, sql, params, &held);
        if (sqlite3_step(statement) != SQLITE_DONE)
            raiseError(m_db.get(), QStringLiteral("Error executing SQL statement"), sql);
    }

    std::int64_t QueryInteger(const QString& sql) override {
        const auto table = Query(sql);
        return table->FieldInteger(0);
    }

    QString QueryText(const QString& sql) override {
        const auto table = Query(sql);
        return table->FieldString(0);
    }

    void WriteBlob(const QString& sql, TMemoryStream& stream) override {
        if (!sql.contains(u'?'))
            raiseError(m_db.get(), QStringLiteral("SQL must include a ? parameter"), sql);
        const QByteArray bytes = encodeText(sql);
        const QString cannotPrepare = QStringLiteral("Could not prepare SQL statement");
        Statement statement = prepare(m_db.get(), sql, bytes, cannotPrepare);
        const qint64 size = stream.Size();
        if (size <= 0 || size > std::numeric_limits<int>::max())
            throw ESQLiteException(QStringLiteral("Error getting memory to save blob"));
        QByteArray buffer(static_cast<qsizetype>(size), Qt::Uninitialized);
        stream.setPosition(0);
        stream.Read(buffer.data(), size);
        if (sqlite3_bind_blob(statement.get(), 1, buffer.constData(), static_cast<int>(size),
                              SQLITE_TRANSIENT) != SQLITE_OK)
            raiseError(m_db.get(), QStringLiteral("Error binding blob to database"), sql);
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            raiseError(m_db.get(), QStringLiteral("Error executing SQL statement"), sql);
    }

    void BeginTransaction() override { begin(QStringLiteral("BEGIN TRANSACTION;")); }
    void BeginImmediateTransaction() override { begin(QStringLiteral("BEGIN IMMEDIATE TRANSACTION;")); }

    void CommitTransaction() override {
        Execute(QStringLiteral("COMMIT;"));
        m_inTransaction = false;
    }

    void RollbackTransaction() override {
        // The engine may already have rolled back by itself (a full disk, an
        // I/O error); then there is nothing left to undo.
        if (sqlite3_get_autocommit(m_db.get())) {
            m_inTransaction = false;
            return;
        }
        Execute(QStringLiteral("ROLLBACK;"));
        m_inTransaction = false;
    }

    bool HasTable(const QString& name) override {
        QString lowered = name;
        for (QChar& c : lowered)
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + ('a' - 'A'));
        const auto table = Query(QStringLiteral("select [sql] from sqlite_master where [type] = "
                                                "'table' and lower(name) = ? "),
                                 {lowered});
        return table->Count() > 0;
    }

    std::int64_t LastRowId() const override { return sqlite3_last_insert_rowid(m_db.get()); }

    void SetBusyTimeout(int milliseconds) override {
        sqlite3_busy_timeout(m_db.get(), milliseconds);
    }

    QString EngineVersion() const override { return QString::fromLatin1(sqlite3_libversion()); }

    QByteArray Serialize() override {
        sqlite3_int64 size = 0;
        std::unique_ptr<unsigned char, decltype(&sqlite3_free)> bytes(
            sqlite3_serialize(m_db.get(), "main", &size, 0), &sqlite3_free);
        if (!bytes)
            raiseError(m_db.get(), QStringLiteral("Could not serialize database"), QStringLiteral("main"));
        return QByteArray(reinterpret_cast<const char*>(bytes.get()), static_cast<qsizetype>(size));
    }

private:
    // A statement run again and again (a list's thousands of inserts) is
    // prepared once; a few are kept, the engine re-prepares them itself when
    // the schema changes.
    sqlite3_stmt* prepared(const QString& sql) {
        const auto found = m_prepared.find(sql);
        if (found != m_prepared.end())
            return found->second.get();
        Statement statement = prepare(m_db.get(), sql, encodeText(sql), QStringLiteral("Error executing SQL"));
        if (m_prepared.size() >= kPreparedKept)
            m_prepared.clear();
        return m_prepared.emplace(sql, std::move(statement)).first->second.get();
    }

    void begin(const QString& statement) {
        if (m_inTransaction)
            throw ESQLiteException(QStringLiteral("Transaction already open"));
        Execute(statement);
        m_inTransaction = true;
    }

    struct TextHash {
        std::size_t operator()(const QString& text) const noexcept { return qHash(text); }
    };
    static constexpr std::size_t kPreparedKept = 16;

    std::unique_ptr<sqlite3, ConnectionCloser> m_db;
    // After the connection, so they are finalized before it closes.
    std::unordered_map<QString, Statement, TextHash> m_prepared;
    bool m_inTransaction = false;
};

} // namespace

bool ESQLiteException::isBusy() const noexcept {
    return primaryCode(m_engineCode) == SQLITE_BUSY || primaryCode(m_engineCode) == SQLITE_LOCKED;
}

bool ESQLiteException::isCorrupt() const noexcept { return primaryCode(m_engineCode) == SQLITE_CORRUPT; }

std::shared_ptr<ISQLiteDatabase> TSQLiteDatabase::Create(const QString& fileName, int busyTimeoutMs) {
    return std::make_shared<SQLiteDatabase>(fileName, busyTimeoutMs);
}

std::shared_ptr<ISQLiteDatabase> TSQLiteDatabase::CreateInMemory() {
    return std::make_shared<SQLiteDatabase>(QStringLiteral(":memory:"));
}

} // namespace wendolarka
