#include "support/groupsim_process.h"

#include "support/test_env.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

namespace brindle::test {

namespace {

constexpr int kStartTimeoutMs = 15000;
const QByteArray kReadyLine = "groupsim listening on 127.0.0.1:";

} // namespace

QString GroupsimProcess::ProgramPath()
{
    QString folder = BinFolder();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    return folder + QStringLiteral("groupsim");
}

GroupsimProcess::GroupsimProcess(const QStringList &arguments)
{
    QStringList args = arguments;
    if (!args.contains(QStringLiteral("--port")))
        args << QStringLiteral("--port") << QStringLiteral("0");
    process_.setProgram(ProgramPath());
    process_.setArguments(args);
    process_.start(QIODevice::ReadOnly);
    if (!process_.waitForStarted(kStartTimeoutMs)) {
        error_ = QStringLiteral("cannot start %1: %2").arg(ProgramPath(), process_.errorString());
        return;
    }
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!process_.canReadLine() && process_.state() == QProcess::Running && !deadline.hasExpired())
        process_.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    const QByteArray line = process_.canReadLine() ? process_.readLine().trimmed() : QByteArray();
    if (line.startsWith(kReadyLine))
        port_ = line.mid(kReadyLine.size()).toInt();
    if (port_ <= 0) {
        process_.waitForFinished(2000);
        error_ = QStringLiteral("groupsim did not start: %1 %2")
                     .arg(QString::fromLocal8Bit(line), QString::fromLocal8Bit(process_.readAllStandardError()));
    }
}

GroupsimProcess::~GroupsimProcess()
{
    Stop();
}

QString GroupsimProcess::ProxyUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

int GroupsimProcess::Stop(int timeoutMs)
{
    if (process_.state() == QProcess::NotRunning)
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    process_.terminate();
    if (!process_.waitForFinished(timeoutMs)) {
        process_.kill();
        process_.waitForFinished(timeoutMs);
        return -1;
    }
    output_ += process_.readAllStandardOutput();
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QByteArray GroupsimProcess::Output()
{
    if (process_.state() == QProcess::Running)
        process_.waitForReadyRead(0);
    output_ += process_.readAllStandardOutput();
    return output_;
}

void UseProxy(const QString &proxyUrl)
{
    const QByteArray url = proxyUrl.toLocal8Bit();
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        qputenv(name, url);
    for (const char *name : {"no_proxy", "NO_PROXY"})
        qputenv(name, "127.0.0.1,localhost");
}

} // namespace brindle::test
