#include "platform/registry/registry_tables.h"

#include "platform/registry/sqlite_statement.h"

#include <sqlite3.h>

namespace brindle {

static QString Folded(const QString &name)
{
    return name.toCaseFolded();
}

bool RegistryTables::CreateSchema(sqlite3 *db)
{
    static const char schema[] =
        "CREATE TABLE IF NOT EXISTS reg_key("
        " id INTEGER PRIMARY KEY,"
        " parent INTEGER REFERENCES reg_key(id),"
        " name TEXT NOT NULL,"
        " folded TEXT NOT NULL,"
        " UNIQUE(parent, folded));"
        "CREATE TABLE IF NOT EXISTS reg_value("
        " id INTEGER PRIMARY KEY,"
        " key INTEGER NOT NULL REFERENCES reg_key(id),"
        " name TEXT NOT NULL,"
        " folded TEXT NOT NULL,"
        " type INTEGER NOT NULL,"
        " data BLOB NOT NULL,"
        " UNIQUE(key, folded));"
        "INSERT OR IGNORE INTO reg_key(id, parent, name, folded)"
        " VALUES(1, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user');";
    return SqliteExec(db, schema) == SQLITE_OK;
}

bool RegistryTables::HasSchema(sqlite3 *db)
{
    SqliteStatement keys(db, "SELECT id, parent, name, folded FROM reg_key WHERE id = 1");
    SqliteStatement values(db, "SELECT id, key, name, folded, type, data FROM reg_value LIMIT 0");
    return keys.IsPrepared() && values.IsPrepared() && keys.Step() == SQLITE_ROW && values.Run();
}

std::optional<qint64> RegistryTables::ChildKey(qint64 parent, const QString &name) const
{
    SqliteStatement find(m_db, "SELECT id FROM reg_key WHERE parent = ? AND folded = ?");
    find.Bind(1, parent).Bind(2, Folded(name));
    if (find.Step() != SQLITE_ROW)
        return std::nullopt;
    return find.Int(0);
}

std::optional<qint64> RegistryTables::FindKey(const QStringList &parts) const
{
    std::optional<qint64> key = kRootKey;
    for (const QString &part : parts) {
        key = ChildKey(*key, part);
        if (!key)
            return std::nullopt;
    }
    return key;
}

std::optional<qint64> RegistryTables::MakeKey(const QStringList &parts)
{
    std::optional<qint64> key = kRootKey;
    for (const QString &part : parts) {
        SqliteStatement insert(m_db, "INSERT INTO reg_key(parent, name, folded) VALUES(?, ?, ?)"
                                     " ON CONFLICT(parent, folded) DO NOTHING");
        insert.Bind(1, *key).Bind(2, part).Bind(3, Folded(part));
        if (!insert.Run())
            return std::nullopt;
        key = ChildKey(*key, part);
        if (!key)
            return std::nullopt;
    }
    return key;
}

std::optional<RegistryValue> RegistryTables::ReadValue(qint64 key, const QString &name) const
{
    SqliteStatement read(m_db, "SELECT type, data FROM reg_value WHERE key = ? AND folded = ?");
    read.Bind(1, key).Bind(2, Folded(name));
    if (read.Step() != SQLITE_ROW)
        return std::nullopt;
    return RegistryValue{RegistryType(read.Int(0)), read.Blob(1)};
}

bool RegistryTables::WriteValue(qint64 key, const QString &name, const RegistryValue &value)
{
    SqliteStatement write(m_db, "INSERT INTO reg_value(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?)"
                                " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    write.Bind(1, key).Bind(2, name).Bind(3, Folded(name)).Bind(4, qint64(value.type)).BindBlob(5, value.data);
    return write.Run();
}

bool RegistryTables::DeleteValue(qint64 key, const QString &name)
{
    SqliteStatement remove(m_db, "DELETE FROM reg_value WHERE key = ? AND folded = ?");
    remove.Bind(1, key).Bind(2, Folded(name));
    return remove.Run();
}

bool RegistryTables::ClearValues(qint64 key)
{
    SqliteStatement remove(m_db, "DELETE FROM reg_value WHERE key = ?");
    remove.Bind(1, key);
    return remove.Run();
}

bool RegistryTables::DeleteKey(qint64 key)
{
    static const char below[] =
        "WITH RECURSIVE tree(id) AS (SELECT ?"
        " UNION ALL SELECT reg_key.id FROM reg_key JOIN tree ON reg_key.parent = tree.id) ";
    SqliteStatement values(m_db, (QByteArray(below) + "DELETE FROM reg_value WHERE key IN tree").constData());
    values.Bind(1, key);
    SqliteStatement keys(m_db, (QByteArray(below) + "DELETE FROM reg_key WHERE id IN tree").constData());
    keys.Bind(1, key);
    return values.Run() && keys.Run();
}

static QStringList Names(sqlite3 *db, const char *sql, qint64 key)
{
    SqliteStatement list(db, sql);
    list.Bind(1, key);
    QStringList names;
    while (list.Step() == SQLITE_ROW)
        names.append(list.Text(0));
    return names;
}

QStringList RegistryTables::ValueNames(qint64 key) const
{
    return Names(m_db, "SELECT name FROM reg_value WHERE key = ? ORDER BY id", key);
}

QStringList RegistryTables::KeyNames(qint64 key) const
{
    return Names(m_db, "SELECT name FROM reg_key WHERE parent = ? ORDER BY id", key);
}

} // namespace brindle
