#pragma once

#include <QString>

#include <httplib.h>

#include <cstdlib>
#include <thread>

namespace brindle::test {

// An HTTP server on 127.0.0.1 and a free port, answering from its own threads while
// the object lives. Add handlers to `http` before start().
class LoopbackServer {
public:
    LoopbackServer()
    {
        http.new_task_queue = [] { return new httplib::ThreadPool(32); };
    }
    ~LoopbackServer() { stop(); }

    void start()
    {
        port = http.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { http.listen_after_bind(); });
        while (!http.is_running())
            std::this_thread::yield();
    }

    void stop()
    {
        if (!thread.joinable())
            return;
        http.stop();
        thread.join();
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    }
    QString proxy() const { return QStringLiteral("http://127.0.0.1:%1").arg(port); }

    httplib::Server http;
    int port = 0;

private:
    std::thread thread;
};

// Requests go straight to loopback servers, whatever proxy the environment names.
inline void UseDirectConnections()
{
    for (const char *name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    setenv("no_proxy", "127.0.0.1,localhost", 1);
}

// Requests go through the loopback server at proxyUrl as their HTTP proxy, so any host
// name (groups.yahoo.com, ...) lands there and nothing leaves the machine.
inline void UseProxy(const QString &proxyUrl)
{
    UseDirectConnections();
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    setenv("http_proxy", proxyUrl.toUtf8().constData(), 1);
}

} // namespace brindle::test
