#include "sqlite_internal.h"

#include "core/cp1250.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace wendolarka {

QString floatToText(double value) {
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QString::number(value);
    // 15 significant digits: d.dddddddddddddde±x
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const bool negative = buffer[0] == '-';
    const char* p = buffer + (negative ? 1 : 0);
    QByteArray digits;
    digits.append(p[0]);
    const char* fraction = p + 2;
    const char* e = std::strchr(p, 'e');
    digits.append(fraction, e - fraction);
    const int exponent = std::atoi(e + 1);
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    const QString separator = QLocale().decimalPoint();
    QString text = negative ? QStringLiteral("-") : QString();
    // Fixed notation while the integer part fits the precision and the value is not tiny.
    if (exponent >= 15 || exponent < -5) {
        text += QChar(digits[0]);
        if (digits.size() > 1)
            text += separator + QString::fromLatin1(digits.mid(1));
        text += QStringLiteral("E") + QString::number(exponent);
        return text;
    }
    if (exponent < 0) {
        text += QStringLiteral("0") + separator + QString(-exponent - 1, u'0') +
                QString::fromLatin1(digits);
        return text;
    }
    const int integerDigits = exponent + 1;
    if (digits.size() <= integerDigits) {
        text += QString::fromLatin1(digits) + QString(integerDigits - digits.size(), u'0');
    } else {
        text += QString::fromLatin1(digits.left(integerDigits)) + separator +
                QString::fromLatin1(digits.mid(integerDigits));
    }
    return text;
}

namespace sqlite_detail {
namespace {

using Cell = std::variant<std::monostate, std::int64_t, double, QString,
                          std::unique_ptr<TMemoryStream>>;

int kindFromDeclaredType(const char* declared) {
    const auto is = [declared](const char* name) { return std::strcmp(declared, name) == 0; };
    if (is("INTEGER") || is("BOOLEAN"))
        return dtInt;
    if (is("NUMERIC") || is("FLOAT") || is("DOUBLE") || is("REAL"))
        return dtNumeric;
    if (is("BLOB"))
        return dtBlob;
    return dtStr;
}

// The next row of a query: true for a row, false at the end; a lock or an
// engine error is raised in the layer's words.
bool nextRow(sqlite3* db, sqlite3_stmt* st, const QString& sql) {
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_DONE)
        return false;
    if (rc == SQLITE_BUSY)
        throw ESQLiteException(QStringLiteral("Could not prepare SQL statement"), SQLITE_BUSY);
    if (rc != SQLITE_ROW)
        raiseError(db, QStringLiteral("Could not retrieve data"), sql);
    return true;
}

int kindOfColumn(sqlite3_stmt* st, int column) {
    const char* declared = sqlite3_column_decltype(st, column);
    return declared ? kindFromDeclaredType(declared) : sqlite3_column_type(st, column);
}

class SQLiteTable final : public ISQLiteTable {
public:
    SQLiteTable(sqlite3* db, const QString& sql, const SqlParams& params) {
        const QByteArray bytes = encodeText(sql);
        Statement statement = prepare(db, sql, bytes, QStringLiteral("Error executing SQL"));
        bindParams(db, statement.get(), sql, params);
        sqlite3_stmt* st = statement.get();
        while (nextRow(db, st, sql)) {
            if (m_rowCount == 0)
                describeColumns(st);
            ++m_rowCount;
            readRow(st);
        }
    }

    QString FieldText(int i) const override {
        const Cell& cell = at(i);
        switch (kindOf(i)) {
        case dtInt:
            return QString::number(FieldInteger(i));
        case dtNumeric:
            return floatToText(FieldFloat(i));
        case dtBlob:
            return FieldBlobText(i);
        default:
            if (const auto* text = std::get_if<QString>(&cell))
                return *text;
            return {};
        }
    }

    bool AtEnd() const override { return m_row >= m_rowCount; }
    bool AtStart() const override { return m_row == 0; }

    QString ColumnName(int i) const override {
        checkColumn(i);
        return m_columnNames[static_cast<std::size_t>(i)];
    }

    QString FieldTextByName(const QString& name) const override {
        return FieldText(ColumnIndex(name));
    }

    int ColumnIndex(const QString& name) const override {
        if (m_columnNames.empty())
            throw ESQLiteException(QStringLiteral("Field ") + name +
                                   QStringLiteral(" Not found. Empty dataset"));
        const QString wanted = name.toUpper();
        for (std::size_t i = 0; i < m_columnNames.size(); ++i)
            if (m_columnNames[i] == wanted)
                return static_cast<int>(i);
        throw ESQLiteException(QStringLiteral("Field not found in dataset: ") + name);
    }

    int Count() const override { return m_rowCount; }

    int FirstFieldNumber() const override {
        if (AtEnd())
            return 0;
        const QString text = FieldText(0);
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok)
            throw Exception(QStringLiteral("'") + text +
                            QStringLiteral("' is not a valid integer value"));
        return value;
    }

    int ColumnCount() const override { return m_columnCount; }
    int RowIndex() const override { return m_row; }
    int RowCount() const override { return m_rowCount; }

    std::int64_t FieldInteger(int i) const override {
        const Cell& cell = at(i);
        if (std::holds_alternative<std::monostate>(cell))
            return 0;
        if (const auto* integer = std::get_if<std::int64_t>(&cell))
            return *integer;
        if (const auto* real = std::get_if<double>(&cell))
            return static_cast<std::int64_t>(std::trunc(*real));
        throw ESQLiteException(QStringLiteral("Not an integer or numeric field"));
    }

    TMemoryStream* FieldBlob(int i) const override {
        const Cell& cell = at(i);
        if (std::holds_alternative<std::monostate>(cell))
            return nullptr;
        if (kindOf(i) != dtBlob)
            throw ESQLiteException(QStringLiteral("Not a Blob field"));
        return std::get<std::unique_ptr<TMemoryStream>>(cell).get();
    }

    QString FieldBlobText(int i) const override {
        const TMemoryStream* stream = FieldBlob(i);
        if (!stream || stream->Size() <= 0)
            return {};
        return cp1250::decode(stream->bytes());
    }

    bool FieldIsNull(int i) const override {
        return std::holds_alternative<std::monostate>(at(i));
    }

    QString FieldString(int i) const override {
        return FieldIsNull(i) ? QString() : FieldText(i);
    }

    double FieldFloat(int i) const override {
        const Cell& cell = at(i);
        if (std::holds_alternative<std::monostate>(cell))
            return 0;
        if (const auto* integer = std::get_if<std::int64_t>(&cell))
            return static_cast<double>(*integer);
        if (const auto* real = std::get_if<double>(&cell))
            return *real;
        throw ESQLiteException(QStringLiteral("Not an integer or numeric field"));
    }

    bool Next() override {
        if (AtEnd())
            return false;
        ++m_row;
        return true;
    }

    bool Previous() override {
        if (m_row == 0)
            return false;
        --m_row;
        return true;
    }

    bool First() override {
        if (m_rowCount == 0)
            return false;
        m_row = 0;
        return true;
    }

    bool Last() override {
        if (m_rowCount == 0)
            return false;
        m_row = m_rowCount - 1;
        return true;
    }

private:
    void describeColumns(sqlite3_stmt* st) {
        m_columnCount = sqlite3_column_count(st);
        m_columnNames.reserve(static_cast<std::size_t>(m_columnCount));
        m_columnKinds.reserve(static_cast<std::size_t>(m_columnCount));
        for (int c = 0; c < m_columnCount; ++c) {
            m_columnNames.push_back(cp1250::decode(QByteArray(sqlite3_column_name(st, c))).toUpper());
            m_columnKinds.push_back(kindOfColumn(st, c));
        }
    }

    void readRow(sqlite3_stmt* st) {
        for (int c = 0; c < m_columnCount; ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_NULL) {
                m_cells.emplace_back();
                continue;
            }
            switch (m_columnKinds[static_cast<std::size_t>(c)]) {
            case dtInt:
                m_cells.emplace_back(std::int64_t{sqlite3_column_int64(st, c)});
                break;
            case dtNumeric:
                m_cells.emplace_back(sqlite3_column_double(st, c));
                break;
            case dtBlob: {
                const void* data = sqlite3_column_blob(st, c);
                const int size = sqlite3_column_bytes(st, c);
                if (size <= 0 || !data)
                    m_cells.emplace_back();
                else
                    m_cells.emplace_back(std::make_unique<TMemoryStream>(
                        static_cast<const char*>(data), size));
                break;
            }
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                const int size = sqlite3_column_bytes(st, c);
                // Read whole, a zero byte included: a text cut at it would be stored cut at the next save.
                m_cells.emplace_back(text ? cp1250::decode(text, size) : QString());
                break;
            }
            }
        }
    }

    void checkColumn(int i) const {
        if (i < 0 || i >= m_columnCount)
            throw ESQLiteException(QStringLiteral("Column index out of range: ") +
                                   QString::number(i));
    }

    const Cell& at(int i) const {
        if (AtEnd())
            throw ESQLiteException(QStringLiteral("Table is at End of File"));
        checkColumn(i);
        return m_cells[static_cast<std::size_t>(m_row) * static_cast<std::size_t>(m_columnCount) +
                       static_cast<std::size_t>(i)];
    }

    int kindOf(int i) const { return m_columnKinds[static_cast<std::size_t>(i)]; }

    std::vector<Cell> m_cells;
    std::vector<QString> m_columnNames;
    std::vector<int> m_columnKinds;
    int m_rowCount = 0;
    int m_columnCount = 0;
    int m_row = 0;
};

} // namespace

std::shared_ptr<ISQLiteTable> makeTable(sqlite3* db, const QString& sql, const SqlParams& params) {
    return std::make_shared<SQLiteTable>(db, sql, params);
}

TTextTable queryTexts(sqlite3* db, const QString& sql) {
    const QByteArray bytes = encodeText(sql);
    Statement statement = prepare(db, sql, bytes, QStringLiteral("Error executing SQL"));
    sqlite3_stmt* st = statement.get();
    TTextTable table;
    table.columns = sqlite3_column_count(st);
    std::vector<int> kinds;
    table.bounds.push_back(0);
    while (nextRow(db, st, sql)) {
        if (table.rows == 0) {
            // Each column reads as its declared type says, as in ISQLiteTable::FieldText.
            for (int c = 0; c < table.columns; ++c)
                kinds.push_back(kindOfColumn(st, c));
        }
        ++table.rows;
        for (int c = 0; c < table.columns; ++c) {
            const int kind = kinds[std::size_t(c)];
            // NULL reads as 0 in a number column, as nothing elsewhere.
            if (sqlite3_column_type(st, c) == SQLITE_NULL) {
                if (kind == dtInt || kind == dtNumeric)
                    table.text += u'0';
            } else {
                switch (kind) {
                case dtInt: {
                    char digits[24];
                    const char* end = std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(st, c)).ptr;
                    cp1250::appendDecoded(table.text, digits, end - digits);
                    break;
                }
                case dtNumeric:
                    table.text += floatToText(sqlite3_column_double(st, c));
                    break;
                case dtBlob: {
                    const auto* data = static_cast<const char*>(sqlite3_column_blob(st, c));
                    cp1250::appendDecoded(table.text, data, data ? sqlite3_column_bytes(st, c) : 0);
                    break;
                }
                default: {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                    cp1250::appendDecoded(table.text, text, text ? sqlite3_column_bytes(st, c) : 0);
                    break;
                }
                }
            }
            table.bounds.push_back(table.text.size());
        }
    }
    return table;
}

} // namespace sqlite_detail
} // namespace wendolarka
