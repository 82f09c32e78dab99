#include "platform/registry/registry.h"

#include "common/app_folders.h"
#include "common/log.h"
#include "platform/registry/registry_file.h"
#include "platform/registry/registry_tables.h"
#include "platform/registry/sqlite_statement.h"

#include <sqlite3.h>

#include <mutex>

namespace brindle {

static QStringList KeyParts(const QString &key)
{
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

struct Registry::Impl {
    QString path;
    RegistryConnection connection;
    mutable std::mutex mutex;

    RegistryTables Tables() const { return RegistryTables(connection.db); }

    // Runs body inside one write transaction; logs and rolls back on failure.
    template <typename Body>
    bool Transaction(const char *what, Body &&body)
    {
        std::lock_guard lock(mutex);
        sqlite3 *db = connection.db;
        bool ok = SqliteExec(db, "BEGIN IMMEDIATE") == SQLITE_OK;
        if (ok) {
            RegistryTables tables(db);
            ok = body(tables) && SqliteExec(db, "COMMIT") == SQLITE_OK;
            if (!ok)
                SqliteExec(db, "ROLLBACK");
        }
        if (!ok)
            Log(QStringLiteral("Registry %1 failed: %2").arg(QLatin1String(what), SqliteError(db)));
        return ok;
    }
};

QString Registry::DefaultFilePath()
{
    return ConfigFolder() + QStringLiteral("brindle/registry.sqlite3");
}

Registry::Registry(const QString &filePath) : m(std::make_unique<Impl>())
{
    m->path = filePath;
    m->connection = OpenRegistryFile(filePath);
}

Registry::~Registry()
{
    sqlite3_close(m->connection.db);
}

QString Registry::FilePath() const
{
    return m->path;
}

bool Registry::IsPersistent() const
{
    return m->connection.persistent;
}

std::optional<RegistryValue> Registry::Read(const QString &key, const QString &name) const
{
    std::lock_guard lock(m->mutex);
    const RegistryTables tables = m->Tables();
    const auto id = tables.FindKey(KeyParts(key));
    return id ? tables.ReadValue(*id, name) : std::nullopt;
}

bool Registry::KeyExists(const QString &key) const
{
    std::lock_guard lock(m->mutex);
    return m->Tables().FindKey(KeyParts(key)).has_value();
}

QStringList Registry::ValueNames(const QString &key) const
{
    std::lock_guard lock(m->mutex);
    const RegistryTables tables = m->Tables();
    const auto id = tables.FindKey(KeyParts(key));
    return id ? tables.ValueNames(*id) : QStringList();
}

QStringList Registry::KeyNames(const QString &key) const
{
    std::lock_guard lock(m->mutex);
    const RegistryTables tables = m->Tables();
    const auto id = tables.FindKey(KeyParts(key));
    return id ? tables.KeyNames(*id) : QStringList();
}

bool Registry::Write(const QString &key, const QString &name, const RegistryValue &value)
{
    return m->Transaction("write", [&](RegistryTables &tables) {
        const auto id = tables.MakeKey(KeyParts(key));
        return id && tables.WriteValue(*id, name, value);
    });
}

bool Registry::Modify(const QString &key, const QString &name, const Change &change)
{
    return m->Transaction("write", [&](RegistryTables &tables) {
        const auto id = tables.FindKey(KeyParts(key));
        const auto next = change(id ? tables.ReadValue(*id, name) : std::nullopt);
        if (!next)
            return true;
        const auto made = id ? id : tables.MakeKey(KeyParts(key));
        return made && tables.WriteValue(*made, name, *next);
    });
}

bool Registry::ReplaceValues(const QString &key, const QList<std::pair<QString, RegistryValue>> &values)
{
    return m->Transaction("write", [&](RegistryTables &tables) {
        const auto id = tables.MakeKey(KeyParts(key));
        if (!id || !tables.ClearValues(*id))
            return false;
        for (const auto &[name, value] : values) {
            if (!tables.WriteValue(*id, name, value))
                return false;
        }
        return true;
    });
}

bool Registry::CreateKey(const QString &key)
{
    return m->Transaction("key creation", [&](RegistryTables &tables) {
        return tables.MakeKey(KeyParts(key)).has_value();
    });
}

bool Registry::DeleteValue(const QString &key, const QString &name)
{
    return m->Transaction("delete", [&](RegistryTables &tables) {
        const auto id = tables.FindKey(KeyParts(key));
        return !id || tables.DeleteValue(*id, name);
    });
}

bool Registry::DeleteKey(const QString &key)
{
    const QStringList parts = KeyParts(key);
    if (parts.isEmpty())
        return false;
    return m->Transaction("key deletion", [&](RegistryTables &tables) {
        const auto id = tables.FindKey(parts);
        return !id || tables.DeleteKey(*id);
    });
}

} // namespace brindle
