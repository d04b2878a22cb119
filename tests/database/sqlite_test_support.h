#pragma once

#include "database/sqlite_database.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

// A fresh database file in its own folder for each test.
class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name = QStringLiteral("test.db")) const { return m_dir.filePath(name); }
    std::shared_ptr<wendolarka::ISQLiteDatabase> open(const QString& name = QStringLiteral("test.db")) {
        return wendolarka::TSQLiteDatabase::Create(path(name));
    }

private:
    QTemporaryDir m_dir;
};

// The message of the ESQLiteException that `action` raises ("" when none).
inline QString sqliteError(const std::function<void()>& action) {
    try {
        action();
    } catch (const wendolarka::ESQLiteException& e) {
        return e.message();
    }
    return {};
}
