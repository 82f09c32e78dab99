#pragma once

#include "platform/http/cookie_share.h"
#include "unit/http/loopback_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace brindle::test {

// The deterministic content of the /data/<size> answers: size bytes from offset on.
inline QByteArray Pattern(qsizetype size, qsizetype offset = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(((offset + i) * 131 + (offset + i) / 1024) & 0xff);
    return bytes;
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A loopback server with the answers the client tests need, a scratch folder, a clean
// cookie store and no proxy.
//   /hello           200 "Hello, world" (UTF-8 text)
//   /latin1          200 "café" in ISO-8859-1
//   /data/<n>        200, n bytes of Pattern(n) with Content-Length, sent in pieces
//   /status/<code>   that status, body "error page <code>"
//   /redirect/<n>    n redirects, then 200 "arrived" with "X-Final: yes"
//   /loop            redirects to itself for ever
//   /slow            answers only when the test ends
//   /trickle         10000 bytes, 500 every 100 ms
//   /cut             announces 100000 bytes, sends 40000 and closes
//   /empty           200 with an empty body
//   /echo            the request line's path and request headers as text
//   /set-cookie      200 with "Set-Cookie: fromserver=1; Path=/"
class HttpFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseDirectConnections();
        CookieShare::instance().clearAll();
        ASSERT_TRUE(scratch.isValid());
        addRoutes(server.http);
        server.start();
    }

    void TearDown() override
    {
        {
            std::lock_guard guard(slowLock);
            releaseSlow = true;
        }
        slowDone.notify_all();
        server.stop();
    }

    QString scratchPath(const QString &name) const { return scratch.path() + QLatin1Char('/') + name; }

    // Every entry of the scratch folder, hidden ones included.
    QStringList scratchEntries() const
    {
        return QDir(scratch.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    LoopbackServer server;
    QTemporaryDir scratch;

private:
    void addRoutes(httplib::Server &http)
    {
        http.Get(R"(.*/hello)", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("Hello, world", "text/plain; charset=utf-8");
        });
        http.Get(R"(.*/latin1)", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("caf\xe9", "text/html; charset=ISO-8859-1");
        });
        http.Get(R"(.*/data/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const qsizetype size = std::stoll(req.matches[1]);
            res.set_content_provider(size_t(size), "application/octet-stream",
                                     [](size_t offset, size_t length, httplib::DataSink &sink) {
                                         const qsizetype n = std::min<qsizetype>(qsizetype(length), 64 * 1024);
                                         const QByteArray block = Pattern(n, qsizetype(offset));
                                         return sink.write(block.constData(), size_t(n));
                                     });
        });
        http.Get(R"(.*/status/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("error page " + std::string(req.matches[1]), "text/plain");
        });
        http.Get(R"(.*/redirect/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const int left = std::stoi(req.matches[1]);
            if (left > 0) {
                res.set_redirect("/redirect/" + std::to_string(left - 1), 302);
                return;
            }
            res.set_header("X-Final", "yes");
            res.set_content("arrived", "text/plain");
        });
        http.Get(R"(.*/loop)", [](const httplib::Request &, httplib::Response &res) { res.set_redirect("/loop", 302); });
        http.Get(R"(.*/slow)", [this](const httplib::Request &, httplib::Response &res) {
            std::unique_lock guard(slowLock);
            slowDone.wait_for(guard, std::chrono::seconds(20), [this] { return releaseSlow; });
            res.set_content("late", "text/plain");
        });
        http.Get(R"(.*/trickle)", [](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(10000, "application/octet-stream",
                                     [](size_t offset, size_t, httplib::DataSink &sink) {
                                         std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                         const QByteArray block = Pattern(500, qsizetype(offset));
                                         return sink.write(block.constData(), size_t(block.size()));
                                     });
        });
        http.Get(R"(.*/cut)", [](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(100000, "application/octet-stream",
                                     [](size_t offset, size_t, httplib::DataSink &sink) {
                                         if (offset >= 40000)
                                             return false; // drops the connection mid-body
                                         const QByteArray block = Pattern(10000, qsizetype(offset));
                                         return sink.write(block.constData(), size_t(block.size()));
                                     });
        });
        http.Get(R"(.*/empty)", [](const httplib::Request &, httplib::Response &res) { res.set_content("", "text/plain"); });
        http.Get(R"(.*/echo)", [](const httplib::Request &req, httplib::Response &res) {
            std::string text = "path: " + req.path + "\n";
            for (const auto &[name, value] : req.headers) {
                if (name.find('_') == std::string::npos) // leaves out REMOTE_ADDR and the like
                    text += name + ": " + value + "\n";
            }
            res.set_content(text, "text/plain");
        });
        http.Get(R"(.*/set-cookie)", [](const httplib::Request &, httplib::Response &res) {
            res.set_header("Set-Cookie", "fromserver=1; Path=/");
            res.set_content("ok", "text/plain");
        });
    }

    std::mutex slowLock;
    std::condition_variable slowDone;
    bool releaseSlow = false;
};

// The value of one header line of an /echo answer ("" when absent).
inline QString EchoedHeader(const QByteArray &echo, const QString &name)
{
    for (const QByteArray &line : echo.split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(name + QStringLiteral(": "), Qt::CaseInsensitive))
            return text.mid(name.size() + 2);
    }
    return {};
}

} // namespace brindle::test
