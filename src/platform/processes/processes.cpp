#include "platform/processes/processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace brindle {

namespace {

// File name of a process's executable: the target of /proc/<pid>/exe, else argv[0].
// Zombies and other users' processes may show neither; they give an empty name.
QString ExecutableName(const QString &procDir)
{
    QString exe = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    exe.remove(QStringLiteral(" (deleted)"));
    if (exe.isEmpty()) {
        QFile cmdline(procDir + QStringLiteral("/cmdline"));
        if (cmdline.open(QIODevice::ReadOnly))
            exe = QFile::decodeName(cmdline.read(4096).split('\0').value(0));
    }
    return QFileInfo(exe).fileName();
}

bool OwnedByCurrentUser(const QString &procDir)
{
    return QFileInfo(procDir).ownerId() == ::getuid();
}

} // namespace

bool StartDetached(const QString &program, const QStringList &arguments, qint64 *pid)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached(pid);
}

int RunAndWait(const QString &program, const QStringList &arguments, std::chrono::milliseconds timeout)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted())
        return -1;
    const int waitMs = timeout.count() < 0 ? -1 : int(timeout.count());
    if (!process.waitForFinished(waitMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QList<qint64> FindProcessesByName(const QString &executableName)
{
    QList<qint64> found;
    if (executableName.isEmpty())
        return found;
    const qint64 self = ::getpid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QString dir = QStringLiteral("/proc/") + entry;
        if (OwnedByCurrentUser(dir) && ExecutableName(dir) == executableName)
            found.append(pid);
    }
    return found;
}

int TerminateProcessesByName(const QString &executableName)
{
    int count = 0;
    for (const qint64 pid : FindProcessesByName(executableName)) {
        if (::kill(pid_t(pid), SIGTERM) == 0)
            ++count;
    }
    return count;
}

} // namespace brindle
