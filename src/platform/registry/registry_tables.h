#pragma once

#include "platform/registry/registry_value.h"

#include <QStringList>

#include <optional>

struct sqlite3;

namespace brindle {

// The key tree and its values in the tables of one SQLite connection.
//
// Keys and values carry the name as first written and a case-folded copy that
// makes names unique without regard to case. Rows are enumerated by id, which
// grows with every insert, so names come back in creation order.
// Not thread-safe and without transactions of its own: the caller provides both.
class RegistryTables {
public:
    static constexpr qint64 kRootKey = 1; // HKEY_CURRENT_USER

    explicit RegistryTables(sqlite3 *db) : m_db(db) {}

    // Creates the tables and the root key when missing.
    static bool CreateSchema(sqlite3 *db);
    // True when the tables have the columns this class uses.
    static bool HasSchema(sqlite3 *db);

    std::optional<qint64> FindKey(const QStringList &parts) const;
    // Finds the key, creating every missing part.
    std::optional<qint64> MakeKey(const QStringList &parts);

    std::optional<RegistryValue> ReadValue(qint64 key, const QString &name) const;
    // Creates the value or replaces its type and data (keeping its name and place).
    bool WriteValue(qint64 key, const QString &name, const RegistryValue &value);
    bool DeleteValue(qint64 key, const QString &name);
    bool ClearValues(qint64 key);
    // Deletes the key with its values and every key below it.
    bool DeleteKey(qint64 key);

    QStringList ValueNames(qint64 key) const;
    QStringList KeyNames(qint64 key) const;

private:
    // The subkey of parent named name (without regard to case), if it exists.
    std::optional<qint64> ChildKey(qint64 parent, const QString &name) const;

    sqlite3 *m_db;
};

} // namespace brindle
