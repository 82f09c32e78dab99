#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace brindle::test {

// Runs the built groupsim program for one test: starts it with the given arguments
// (adding "--port 0" unless they name a port), reads the port from its first line,
// and stops it (SIGTERM, then kill) when destroyed.
class GroupsimProcess {
public:
    explicit GroupsimProcess(const QStringList &arguments);
    ~GroupsimProcess();
    GroupsimProcess(const GroupsimProcess &) = delete;
    GroupsimProcess &operator=(const GroupsimProcess &) = delete;

    // True once the program has said which port it listens on.
    bool Started() const { return port_ > 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:PORT", the value for http_proxy.
    QString ProxyUrl() const;
    // Why it did not start (its error output), empty when it did.
    QString Error() const { return error_; }

    // Asks it to stop (SIGTERM) and waits. Returns its exit code, or -1 when it crashed
    // or had to be killed.
    int Stop(int timeoutMs = 10000);
    // Standard output after the first line (the --log lines), as far as it has arrived.
    // With --log, read it now and then (or keep an event loop running) so the pipe never
    // fills; --log-file avoids the question.
    QByteArray Output();

    // The program's path: BinFolder() + "groupsim", or beside the test program.
    static QString ProgramPath();

private:
    QProcess process_;
    int port_ = -1;
    QString error_;
    QByteArray output_;
};

// Points this process's HTTP clients at the simulator: http_proxy, HTTP_PROXY,
// https_proxy and HTTPS_PROXY become proxyUrl (https requests then fail at the
// simulator instead of reaching the internet); no_proxy and NO_PROXY become
// "127.0.0.1,localhost".
void UseProxy(const QString &proxyUrl);

} // namespace brindle::test
