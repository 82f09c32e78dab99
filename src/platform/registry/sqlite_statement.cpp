#include "platform/registry/sqlite_statement.h"

#include <sqlite3.h>

namespace brindle {

SqliteStatement::SqliteStatement(sqlite3 *db, const char *sql)
{
    m_code = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (m_code != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement &SqliteStatement::Bind(int index, qint64 number)
{
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, number);
    return *this;
}

SqliteStatement &SqliteStatement::Bind(int index, const QString &text)
{
    if (m_stmt) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

SqliteStatement &SqliteStatement::BindBlob(int index, const QByteArray &bytes)
{
    // A zero-length blob must stay a blob, not NULL: bind a valid pointer.
    static const char empty = 0;
    if (m_stmt)
        sqlite3_bind_blob(m_stmt, index, bytes.isEmpty() ? &empty : bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

int SqliteStatement::Step()
{
    if (!m_stmt)
        return m_code;
    m_code = sqlite3_step(m_stmt);
    return m_code;
}

bool SqliteStatement::Run()
{
    int rc = Step();
    while (rc == SQLITE_ROW)
        rc = Step();
    return rc == SQLITE_DONE;
}

qint64 SqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString SqliteStatement::Text(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

QByteArray SqliteStatement::Blob(int column) const
{
    const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(bytes, sqlite3_column_bytes(m_stmt, column));
}

int SqliteExec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

QString SqliteError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace brindle
