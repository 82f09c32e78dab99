#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>

namespace brindle {

// Starting and ending other programs. Programs are always started with an argument
// list, never through a shell, so no argument is ever interpreted.

// Starts program without waiting for it; it outlives this process. Returns false
// when it could not be started. pid receives its process id when given.
bool StartDetached(const QString &program, const QStringList &arguments, qint64 *pid = nullptr);

// Runs program hidden (no terminal, output discarded) and waits until it ends.
// Returns its exit code, or -1 when it could not start, crashed, or ran longer than
// timeout (it is then killed). A negative timeout waits without limit.
int RunAndWait(const QString &program, const QStringList &arguments,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

// Process ids of the current user's running processes whose executable file is
// called executableName (file name only, e.g. "glimmer"); this process excluded.
QList<qint64> FindProcessesByName(const QString &executableName);

// Asks every process FindProcessesByName() lists to end (SIGTERM). Returns how many
// were signalled.
int TerminateProcessesByName(const QString &executableName);

} // namespace brindle
