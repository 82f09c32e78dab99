#pragma once

#include <QString>

struct sqlite3;

namespace brindle {

// An open connection to a registry store, ready for RegistryTables.
struct RegistryConnection {
    sqlite3 *db = nullptr;
    bool persistent = false; // false: the file could not be used, values live in memory only
};

// Opens the store file at path, creating it (mode 0600, and its folder) when missing.
//
// The file runs in WAL mode with synchronous=NORMAL: a commit has reached the
// kernel when it returns, so every write that returned survives the process being
// killed; a power loss can cost the last commits but never the file's consistency.
//
// A file that is damaged, not a store, or unreadable is never deleted: it is
// renamed to path + ".corrupt-<yyyyMMdd-HHmmss>" (its -wal and -shm with it), a
// new store is started, and every key and value that can still be read from the
// old file is copied into the new one. When no file can be used at all (folder not
// writable, file locked), the store lives in memory. Each of these is logged.
RegistryConnection OpenRegistryFile(const QString &path);

} // namespace brindle
