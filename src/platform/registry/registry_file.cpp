#include "platform/registry/registry_file.h"

#include "common/log.h"
#include "platform/registry/registry_tables.h"
#include "platform/registry/sqlite_statement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brindle {

namespace {

constexpr int kBusyTimeoutMs = 10000;

enum class Outcome { Ok, Damaged, Failed };

// Codes that say nothing about the file's contents: the file is left alone.
bool IsTransient(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_INTERRUPT:
        return true;
    default:
        return false;
    }
}

Outcome Classify(int code)
{
    return IsTransient(code) ? Outcome::Failed : Outcome::Damaged;
}

// Makes sure the folder exists and the file, new or old, is readable by its owner only.
void PrepareFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    struct stat info {};
    if (::stat(native.constData(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0777) != 0600)
        ::chmod(native.constData(), 0600);
}

Outcome Configure(sqlite3 *db, QString *why)
{
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    int rc = SqliteExec(db, "PRAGMA journal_mode=WAL");
    if (rc != SQLITE_OK && !IsTransient(rc)) {
        *why = SqliteError(db);
        return Outcome::Damaged;
    }
    SqliteExec(db, "PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON");
    if (!sqlite3_db_readonly(db, "main") && !RegistryTables::CreateSchema(db)) {
        *why = SqliteError(db);
        return Classify(sqlite3_errcode(db));
    }
    SqliteStatement check(db, "PRAGMA quick_check");
    if (check.Step() != SQLITE_ROW) {
        *why = SqliteError(db);
        return Classify(check.Code());
    }
    if (check.Text(0) != QLatin1String("ok")) {
        *why = check.Text(0);
        return Outcome::Damaged;
    }
    if (!RegistryTables::HasSchema(db)) {
        *why = QStringLiteral("not a settings store");
        return Outcome::Damaged;
    }
    return Outcome::Ok;
}

Outcome TryOpen(const QString &path, sqlite3 **db, QString *why)
{
    PrepareFile(path);
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Outcome outcome = Outcome::Ok;
    if (rc != SQLITE_OK) {
        *why = QString::fromUtf8(sqlite3_errstr(rc));
        outcome = Classify(rc);
    } else {
        outcome = Configure(*db, why);
    }
    if (outcome != Outcome::Ok) {
        sqlite3_close(*db);
        *db = nullptr;
    }
    return outcome;
}

// Renames the file and its companions; returns the new name, empty when it failed.
QString MoveAside(const QString &path)
{
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    const QString base = path + QStringLiteral(".corrupt-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0)
        return {};
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString from = path + QLatin1String(suffix);
        if (QFileInfo::exists(from))
            std::rename(QFile::encodeName(from).constData(), QFile::encodeName(aside + QLatin1String(suffix)).constData());
    }
    return aside;
}

// Copies every key and value that still reads from the old file; stops a table at
// its first unreadable row. Returns the number of values copied.
int Salvage(const QString &oldPath, sqlite3 *db)
{
    sqlite3 *old = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(oldPath).constData(), &old, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(old);
        return 0;
    }
    QHash<qint64, QStringList> paths{{RegistryTables::kRootKey, {}}};
    QList<qint64> keyOrder;
    {
        SqliteStatement keys(old, "SELECT id, parent, name FROM reg_key NOT INDEXED ORDER BY id");
        while (keys.Step() == SQLITE_ROW) {
            const auto parent = paths.constFind(keys.Int(1));
            if (parent != paths.constEnd() && keys.Int(0) != RegistryTables::kRootKey) {
                paths.insert(keys.Int(0), *parent + QStringList{keys.Text(2)});
                keyOrder.append(keys.Int(0));
            }
        }
    }
    RegistryTables tables(db);
    int copied = 0;
    SqliteExec(db, "BEGIN IMMEDIATE");
    for (qint64 id : keyOrder)
        tables.MakeKey(paths.value(id));
    {
        SqliteStatement values(old, "SELECT key, name, type, data FROM reg_value NOT INDEXED ORDER BY id");
        while (values.Step() == SQLITE_ROW) {
            const auto path = paths.constFind(values.Int(0));
            if (path == paths.constEnd())
                continue;
            const auto key = tables.MakeKey(*path);
            if (key && tables.WriteValue(*key, values.Text(1), {RegistryType(values.Int(2)), values.Blob(3)}))
                ++copied;
        }
    }
    if (SqliteExec(db, "COMMIT") != SQLITE_OK) {
        SqliteExec(db, "ROLLBACK");
        copied = 0;
    }
    sqlite3_close(old);
    return copied;
}

sqlite3 *OpenInMemory()
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    RegistryTables::CreateSchema(db);
    return db;
}

} // namespace

RegistryConnection OpenRegistryFile(const QString &path)
{
    sqlite3 *db = nullptr;
    QString why;
    Outcome outcome = TryOpen(path, &db, &why);
    if (outcome == Outcome::Damaged) {
        const QString aside = MoveAside(path);
        if (aside.isEmpty()) {
            outcome = Outcome::Failed;
        } else {
            Log(QStringLiteral("Settings store %1 is damaged (%2); moved it to %3 and started a new one").arg(path, why, aside));
            outcome = TryOpen(path, &db, &why);
            if (outcome == Outcome::Ok)
                Log(QStringLiteral("Recovered %1 values from %2").arg(Salvage(aside, db)).arg(aside));
        }
    }
    if (outcome != Outcome::Ok) {
        Log(QStringLiteral("Settings store %1 cannot be used (%2); settings are kept in memory until the program ends").arg(path, why));
        return {OpenInMemory(), false};
    }
    return {db, true};
}

} // namespace brindle
