#include "platform/http/http_client.h"
#include "unit/http/http_fixture.h"

#include <cerrno>

using namespace brindle;
using namespace brindle::test;

namespace {

class HttpClientTest : public HttpFixture {};

TEST_F(HttpClientTest, GetIntoMemory)
{
    HttpClient client;
    client.setTimeout(5000);
    ASSERT_TRUE(client.get(server.url(QStringLiteral("/hello"))));
    EXPECT_EQ(client.errorCode(), 0);
    EXPECT_EQ(client.statusCode(), 200);
    EXPECT_EQ(client.body(), QByteArray("Hello, world"));
    EXPECT_EQ(client.bodyText(), QStringLiteral("Hello, world"));
    EXPECT_EQ(client.bytesReceived(), 12);
    EXPECT_TRUE(client.rawHeaders().startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(client.rawHeaders().contains("Content-Length: 12\r\n"));

    HttpClient latin1;
    ASSERT_TRUE(latin1.get(server.url(QStringLiteral("/latin1"))));
    EXPECT_EQ(latin1.bodyText(), QStringLiteral("caf\u00e9"));
}

TEST_F(HttpClientTest, GetIntoFileReplacesOlderFileAndLeavesNothingElse)
{
    const QString target = scratchPath(QStringLiteral("big.bin"));
    WriteFile(target, "an older copy");
    HttpClient client;
    client.setTimeout(5000);
    ASSERT_TRUE(client.getToFile(server.url(QStringLiteral("/data/3000000")), target)) << client.errorCode();
    EXPECT_EQ(client.errorCode(), 0);
    EXPECT_EQ(client.bytesReceived(), 3000000);
    EXPECT_TRUE(client.body().isEmpty()); // the body went to disk only
    EXPECT_EQ(ReadFile(target), Pattern(3000000));
    EXPECT_EQ(scratchEntries(), QStringList{QStringLiteral("big.bin")});
}

TEST_F(HttpClientTest, EmptyBodyGivesEmptyFile)
{
    const QString target = scratchPath(QStringLiteral("empty.txt"));
    WriteFile(target, "old");
    HttpClient client;
    ASSERT_TRUE(client.getToFile(server.url(QStringLiteral("/empty")), target));
    EXPECT_EQ(ReadFile(target), QByteArray());
    EXPECT_EQ(scratchEntries(), QStringList{QStringLiteral("empty.txt")});
}

// Every failing download: no file appears, an older file keeps its content, and no
// part file stays behind.
TEST_F(HttpClientTest, FailedDownloadsKeepOlderFilesAndLeaveNoTrace)
{
    LoopbackServer closed;
    closed.start();
    const QString refused = closed.url(QStringLiteral("/hello"));
    closed.stop();

    constexpr int anySystemError = -1;
    const struct {
        QString url;
        int error;
        int status;
        qint64 timeoutMs = 5000;
    } cases[] = {
        {server.url(QStringLiteral("/status/403")), 403, 403},
        {server.url(QStringLiteral("/status/404")), 404, 404},
        {server.url(QStringLiteral("/status/500")), 500, 500},
        {server.url(QStringLiteral("/cut")), anySystemError, 200},
        {server.url(QStringLiteral("/slow")), ETIMEDOUT, 0, 400},
        {server.url(QStringLiteral("/loop")), ELOOP, 302},
        {refused, ECONNREFUSED, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const QString older = scratchPath(QStringLiteral("older.jpg"));
        const QString fresh = scratchPath(QStringLiteral("fresh.jpg"));
        WriteFile(older, "good file of an earlier run");
        for (const QString &target : {older, fresh}) {
            HttpClient client;
            client.setTimeout(c.timeoutMs);
            EXPECT_FALSE(client.getToFile(c.url, target));
            if (c.error == anySystemError) {
                EXPECT_NE(client.errorCode(), 0);
                EXPECT_LT(client.errorCode(), 200); // an errno value, not a status
            } else {
                EXPECT_EQ(client.errorCode(), c.error);
            }
            EXPECT_EQ(client.statusCode(), c.status);
        }
        EXPECT_EQ(ReadFile(older), QByteArray("good file of an earlier run"));
        EXPECT_EQ(scratchEntries(), QStringList{QStringLiteral("older.jpg")});
    }
}

TEST_F(HttpClientTest, ErrorAnswerIntoMemoryKeepsItsBody)
{
    for (const int status : {403, 404, 500}) {
        HttpClient client;
        EXPECT_FALSE(client.get(server.url(QStringLiteral("/status/%1").arg(status))));
        EXPECT_EQ(client.errorCode(), status);
        EXPECT_EQ(client.statusCode(), status);
        EXPECT_EQ(client.body(), QByteArray("error page ") + QByteArray::number(status));
    }
}

TEST_F(HttpClientTest, UnusableAddressesFailWithoutRequest)
{
    for (const char *url : {"not an address", "file:///etc/passwd", "ftp://127.0.0.1/x", ""}) {
        HttpClient client;
        EXPECT_FALSE(client.get(QString::fromLatin1(url))) << url;
        EXPECT_EQ(client.errorCode(), EINVAL) << url;
    }
}

TEST_F(HttpClientTest, MissingFolderFailsWithItsSystemError)
{
    HttpClient client;
    EXPECT_FALSE(client.getToFile(server.url(QStringLiteral("/hello")), scratchPath(QStringLiteral("no/such/dir/f.txt"))));
    EXPECT_EQ(client.errorCode(), ENOENT);
    EXPECT_TRUE(scratchEntries().isEmpty());
}

TEST_F(HttpClientTest, RedirectsReportTheFinalAnswer)
{
    HttpClient client;
    int handlerStatus = 0;
    int handlerCalls = 0;
    client.setHeaderHandler([&](int status) {
        handlerStatus = status;
        ++handlerCalls;
        return true;
    });
    ASSERT_TRUE(client.get(server.url(QStringLiteral("/redirect/3"))));
    EXPECT_EQ(client.statusCode(), 200);
    EXPECT_EQ(client.body(), QByteArray("arrived"));
    EXPECT_TRUE(client.rawHeaders().startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(client.rawHeaders().contains("X-Final: yes"));
    EXPECT_FALSE(client.rawHeaders().contains("Location"));
    EXPECT_EQ(handlerCalls, 1);
    EXPECT_EQ(handlerStatus, 200);

    HttpClient longest; // ten redirects are followed
    EXPECT_TRUE(longest.get(server.url(QStringLiteral("/redirect/10"))));
}

TEST_F(HttpClientTest, SendsOnlyReferrerAgentAndWhatHttpNeeds)
{
    HttpClient client;
    const QString referrer = QStringLiteral("http://groups.yahoo.com/group/pets/files/Dogs/");
    client.setReferrer(referrer);
    ASSERT_TRUE(client.get(server.url(QStringLiteral("/echo"))));
    const QByteArray echo = client.body();
    EXPECT_EQ(EchoedHeader(echo, QStringLiteral("Referer")), referrer);
    EXPECT_EQ(EchoedHeader(echo, QStringLiteral("User-Agent")), QStringLiteral("Brindle/4.3"));
    for (const QByteArray &line : echo.split('\n')) {
        if (line.isEmpty() || line.startsWith("path: "))
            continue;
        const QString name = QString::fromUtf8(line.left(line.indexOf(':'))).toLower();
        EXPECT_TRUE(QStringList({"host", "user-agent", "accept", "referer"}).contains(name)) << line.constData();
    }
}

TEST_F(HttpClientTest, DeclinedBodyIsSuccessWhateverTheStatus)
{
    const QString target = scratchPath(QStringLiteral("probe.bin"));
    for (const int status : {200, 404}) {
        HttpClient client;
        int seen = 0;
        client.setHeaderHandler([&](int s) {
            seen = s;
            return false;
        });
        const QString path = status == 200 ? QStringLiteral("/data/50000") : QStringLiteral("/status/404");
        EXPECT_TRUE(client.getToFile(server.url(path), target)) << status;
        EXPECT_EQ(seen, status);
        EXPECT_EQ(client.errorCode(), 0);
        EXPECT_EQ(client.statusCode(), status);
        EXPECT_EQ(client.bytesReceived(), 0);
        EXPECT_TRUE(scratchEntries().isEmpty());
    }

    // A size probe reads Content-Length from the headers of the declined answer.
    HttpClient probe;
    probe.setHeaderHandler([](int) { return false; });
    EXPECT_TRUE(probe.get(server.url(QStringLiteral("/data/50000"))));
    EXPECT_TRUE(probe.rawHeaders().contains("Content-Length: 50000\r\n"));
    EXPECT_TRUE(probe.body().isEmpty());
}

TEST_F(HttpClientTest, AcceptedErrorAnswerStillFails)
{
    HttpClient client;
    client.setHeaderHandler([](int) { return true; });
    EXPECT_FALSE(client.getToFile(server.url(QStringLiteral("/status/404")), scratchPath(QStringLiteral("x"))));
    EXPECT_EQ(client.errorCode(), 404);
    EXPECT_TRUE(scratchEntries().isEmpty());
}

// The time-out bounds each wait for data, not the whole transfer: a body that keeps
// arriving (2 s in all, a piece every 100 ms) outlasts an 800 ms time-out.
TEST_F(HttpClientTest, SteadyTransferOutlastsTheTimeOut)
{
    HttpClient client;
    client.setTimeout(800);
    const QString target = scratchPath(QStringLiteral("slowly.bin"));
    ASSERT_TRUE(client.getToFile(server.url(QStringLiteral("/trickle")), target)) << client.errorCode();
    EXPECT_EQ(ReadFile(target), Pattern(10000));
}

} // namespace
