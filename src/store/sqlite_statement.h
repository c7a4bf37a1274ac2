#pragma once

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

// One prepared statement, finalized however the function that made it returns.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, const char* sql)
    {
        sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~SqliteStatement() { sqlite3_finalize(m_statement); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool ok() const { return m_statement != nullptr; }
    SqliteStatement& bind(int at, qint64 value)
    {
        sqlite3_bind_int64(m_statement, at, value);
        return *this;
    }
    SqliteStatement& bind(int at, const QByteArray& bytes)
    {
        sqlite3_bind_blob64(m_statement, at, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT);
        return *this;
    }
    SqliteStatement& bind(int at, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text64(m_statement, at, utf8.constData(), sqlite3_uint64(utf8.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
        return *this;
    }
    // SQLITE_ROW while rows come, SQLITE_DONE at the end, else the error.
    int step() { return sqlite3_step(m_statement); }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QByteArray blob(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};
