#include "settings/diagnostics/log_file.h"

#include "common/app_folders.h"
#include "common/log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace brindle {

namespace {

const char kNewLogLine[] = "Created New Log File\r\n";

// One lock for every log object of the process: they may name the same file.
std::mutex &LogMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool WriteAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// Opens the log for appending. A file made by this call gets the first line.
int OpenLog(const QByteArray &path, bool &created)
{
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC;
    int fd = ::open(path.constData(), flags | O_CREAT | O_EXCL, 0644);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = ::open(path.constData(), flags);
    return fd;
}

std::shared_ptr<LogFile> &InstalledLog()
{
    static std::shared_ptr<LogFile> log;
    return log;
}

} // namespace

LogFile::LogFile(QString path, bool enabled) : m_path(std::move(path)), m_enabled(enabled) {}

QString LogFile::DefaultPath()
{
    return DebugFolder() + QStringLiteral("Brindle_LogFile.log");
}

QString LogFile::EntryLine(const QString &text)
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(now.time(), QLocale::LongFormat) + QStringLiteral(" \t ") + text
        + QStringLiteral("\r\n");
}

void LogFile::write(const QString &text) const
{
    if (!enabled())
        return;
    try {
        // The time is taken under the lock as well: local time conversion is not
        // safe in several threads at once, and lines stay in time order.
        std::lock_guard<std::mutex> lock(LogMutex());
        append(EntryLine(text).toUtf8());
    } catch (...) {
        // The log never disturbs the program.
    }
}

// Called with LogMutex() held.
void LogFile::append(const QByteArray &line) const
{
    const QByteArray path = QFile::encodeName(m_path);
    bool created = false;
    int fd = OpenLog(path, created);
    if (fd < 0 && errno == ENOENT) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        fd = OpenLog(path, created);
    }
    if (fd < 0)
        return;
    WriteAll(fd, created ? QByteArray(kNewLogLine) + line : line);
    ::close(fd);
}

void InstallApplicationLog(bool enabled)
{
    auto log = std::make_shared<LogFile>(LogFile::DefaultPath(), enabled);
    InstalledLog() = log;
    SetLogSink([log](const QString &text) { log->write(text); });
}

void SetLoggingEnabled(bool enabled)
{
    if (const auto &log = InstalledLog())
        log->setEnabled(enabled);
}

} // namespace brindle
