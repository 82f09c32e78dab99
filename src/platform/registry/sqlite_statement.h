#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace brindle {

// One prepared SQLite statement, finalized when it goes out of scope.
// Bind indexes start at 1, column indexes at 0, as in SQLite.
class SqliteStatement {
public:
    SqliteStatement(sqlite3 *db, const char *sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool IsPrepared() const { return m_stmt != nullptr; }
    // The result code of preparing, or of the last Step().
    int Code() const { return m_code; }

    SqliteStatement &Bind(int index, qint64 number);
    SqliteStatement &Bind(int index, const QString &text);
    SqliteStatement &BindBlob(int index, const QByteArray &bytes);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    // Steps until done; true when no error occurred.
    bool Run();

    qint64 Int(int column) const;
    QString Text(int column) const;
    QByteArray Blob(int column) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_code = 0;
};

// Runs SQL text without results; returns the SQLite result code.
int SqliteExec(sqlite3 *db, const char *sql);

// The connection's last error message, for the log.
QString SqliteError(sqlite3 *db);

} // namespace brindle
