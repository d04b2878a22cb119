#pragma once

#include "core/exception.h"
#include "core/memory_stream.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace wendolarka {

// Every failure of the database layer; the text is the user's error message.
class ESQLiteException : public Exception {
public:
    explicit ESQLiteException(QString message, int engineCode = 0)
        : Exception(std::move(message)), m_engineCode(engineCode) {}
    // The engine's result code behind the failure; 0 for the layer's own refusals.
    int engineCode() const noexcept { return m_engineCode; }
    // Another connection holds the lock longer than the busy time-out.
    bool isBusy() const noexcept;
    // The file's pages are damaged.
    bool isCorrupt() const noexcept;

private:
    int m_engineCode;
};

// A value bound to a "?" of a statement: NULL, integer, float, text (stored as
// Windows-1250 bytes, like every text of the database) or BLOB bytes.
using SqlParam = std::variant<std::monostate, std::int64_t, double, QString, QByteArray>;
using SqlParams = std::vector<SqlParam>;

// Column kinds, the engine's storage-class numbers.
enum SqlColumnKind : int { dtInt = 1, dtNumeric = 2, dtStr = 3, dtBlob = 4, dtNull = 5 };

// A whole query result in memory, with a cursor. It keeps nothing of its
// connection, so it outlives it.
class ISQLiteTable {
public:
    virtual ~ISQLiteTable() = default;

    virtual QString FieldText(int i) const = 0;
    virtual bool AtEnd() const = 0;
    virtual bool AtStart() const = 0;
    virtual QString ColumnName(int i) const = 0;
    virtual QString FieldTextByName(const QString& name) const = 0;
    virtual int ColumnIndex(const QString& name) const = 0;
    virtual int Count() const = 0;
    virtual int FirstFieldNumber() const = 0;
    virtual int ColumnCount() const = 0;
    virtual int RowIndex() const = 0;
    virtual int RowCount() const = 0;
    virtual std::int64_t FieldInteger(int i) const = 0;
    // Owned by the result set; nullptr for an empty cell.
    virtual TMemoryStream* FieldBlob(int i) const = 0;
    virtual QString FieldBlobText(int i) const = 0;
    virtual bool FieldIsNull(int i) const = 0;
    virtual QString FieldString(int i) const = 0;
    virtual double FieldFloat(int i) const = 0;
    virtual bool Next() = 0;
    virtual bool Previous() = 0;
    virtual bool First() = 0;
    virtual bool Last() = 0;
};

// A query's cells as texts, held in one block: a whole person list costs a few
// allocations, not one a cell. Cell texts are what ISQLiteTable::FieldText gives.
struct TTextTable {
    int rows = 0;
    int columns = 0;
    QString text;                  // every cell's text, one after another
    std::vector<qsizetype> bounds; // cell (r, c) is text[bounds[i] .. bounds[i + 1]), i = r * columns + c
    QStringView cell(int row, int column) const {
        const std::size_t i = std::size_t(row) * std::size_t(columns) + std::size_t(column);
        return QStringView(text).mid(bounds[i], bounds[i + 1] - bounds[i]);
    }
};

class ISQLiteDatabase {
public:
    virtual ~ISQLiteDatabase() = default;

    virtual bool IsInTransaction() const = 0;
    virtual std::shared_ptr<ISQLiteTable> Query(const QString& sql) = 0;
    virtual void Execute(const QString& sql) = 0;
    virtual std::int64_t QueryInteger(const QString& sql) = 0;
    virtual QString QueryText(const QString& sql) = 0;
    virtual void WriteBlob(const QString& sql, TMemoryStream& stream) = 0;
    virtual void BeginTransaction() = 0;
    // As BeginTransaction, taking the write lock at once: what is read inside
    // cannot be changed by another connection before the commit.
    virtual void BeginImmediateTransaction() = 0;
    virtual void CommitTransaction() = 0;
    virtual void RollbackTransaction() = 0;
    virtual bool HasTable(const QString& name) = 0;
    virtual std::int64_t LastRowId() const = 0;
    virtual void SetBusyTimeout(int milliseconds) = 0;
    virtual QString EngineVersion() const = 0;
    // The whole database as the bytes of its file.
    virtual QByteArray Serialize() = 0;

    // Values never go into SQL text: these bind them to the statement's "?"s in order.
    virtual std::shared_ptr<ISQLiteTable> Query(const QString& sql, const SqlParams& params) = 0;
    virtual void Execute(const QString& sql, const SqlParams& params) = 0;
    // All the rows of a query as texts in one block (see TTextTable).
    virtual TTextTable QueryTexts(const QString& sql) = 0;
};

namespace TSQLiteDatabase {
// Opens (or creates) the file; throws ESQLiteException when the engine refuses.
// `busyTimeoutMs` is set before anything touches the file, so even opening
// waits that long for another program's lock (0: no waiting).
std::shared_ptr<ISQLiteDatabase> Create(const QString& fileName, int busyTimeoutMs = 0);
// A database that lives in memory only, until Serialize() gives its file.
std::shared_ptr<ISQLiteDatabase> CreateInMemory();
} // namespace TSQLiteDatabase

// The default float-to-text conversion: general format, up to 15 significant
// digits, the locale's decimal separator (2.75 -> "2,75" in Polish).
QString floatToText(double value);

} // namespace wendolarka
