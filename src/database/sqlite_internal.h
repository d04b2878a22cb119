#pragma once

#include "sqlite_database.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace wendolarka::sqlite_detail {

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
// Finalized on every path out of the scope that prepared it.
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The code-page bytes of SQL text or a value; a character the code page cannot
// hold is this layer's own error, reported in its language.
QByteArray encodeText(const QString& text);

// message, and when the engine holds a real error: ` "sql" : engine message`.
[[noreturn]] void raiseError(sqlite3* db, const QString& message, const QString& sql);

// Prepares the first statement of `sql`. `failMessage` is reported for a
// non-zero result; "Could not prepare SQL statement" when there is no statement.
Statement prepare(sqlite3* db, const QString& sql, const QByteArray& sqlBytes,
                  const QString& failMessage);

// Binds the values as copies the statement owns; given `held`, texts are encoded
// into it and they and the blobs are bound without a copy: then `held` and
// `params` must outlive the statement's step, and the statement must be reset
// and its bindings cleared before either goes.
void bindParams(sqlite3* db, sqlite3_stmt* statement, const QString& sql, const SqlParams& params,
                std::vector<QByteArray>* held = nullptr);

std::shared_ptr<ISQLiteTable> makeTable(sqlite3* db, const QString& sql, const SqlParams& params);
TTextTable queryTexts(sqlite3* db, const QString& sql);

} // namespace wendolarka::sqlite_detail
