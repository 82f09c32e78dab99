#pragma once

#include "platform/registry/registry_value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace brindle {

// The program's registry: a tree of keys below HKEY_CURRENT_USER holding typed
// values, kept in one SQLite file.
//
// Keys are named by paths of names separated by "\" relative to HKEY_CURRENT_USER
// (e.g. "Software\Brindle2\Profiles"); empty parts are ignored, so "" is
// HKEY_CURRENT_USER itself. Key and value names compare without regard to case
// and keep the case they were first written with; names enumerate in creation
// order, and rewriting a value keeps its place. An empty value name is the key's
// default value.
//
// Every write is one transaction: it is complete on disk when it returns true,
// or has left nothing. Reads never create keys. All members may be called from
// any thread at once; several Registry objects (in several processes, too) may
// share one file. Failures are logged and returned as false or empty results.
class Registry {
public:
    // $XDG_CONFIG_HOME/brindle/registry.sqlite3 (see ConfigFolder()).
    static QString DefaultFilePath();

    // Opens (creating when missing) the store file; see OpenRegistryFile() for
    // what happens to a damaged or unusable file.
    explicit Registry(const QString &filePath = DefaultFilePath());
    ~Registry();
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;

    QString FilePath() const;
    // False when the file could not be used and values live in memory only.
    bool IsPersistent() const;

    std::optional<RegistryValue> Read(const QString &key, const QString &name) const;
    bool KeyExists(const QString &key) const;
    QStringList ValueNames(const QString &key) const;
    QStringList KeyNames(const QString &key) const;

    // Writes the value, creating the key and its parents when missing.
    bool Write(const QString &key, const QString &name, const RegistryValue &value);
    // Reads and rewrites one value in a single transaction: change gets the current
    // value (none when missing) and returns the new one, or none to leave it alone.
    // change must not call this Registry.
    using Change = std::function<std::optional<RegistryValue>(const std::optional<RegistryValue> &current)>;
    bool Modify(const QString &key, const QString &name, const Change &change);
    // Deletes every value of the key, then writes the given ones in order, as one
    // transaction. Subkeys stay.
    bool ReplaceValues(const QString &key, const QList<std::pair<QString, RegistryValue>> &values);
    bool CreateKey(const QString &key);
    // True when the value is gone (also when it never existed).
    bool DeleteValue(const QString &key, const QString &name);
    // Deletes the key with its values and subkeys; HKEY_CURRENT_USER itself cannot be deleted.
    bool DeleteKey(const QString &key);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace brindle
