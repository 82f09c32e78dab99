#include "platform/http/http_stream.h"
#include "unit/http/http_fixture.h"

#include <cerrno>
#include <vector>

using namespace brindle;
using namespace brindle::test;

namespace {

class HttpStreamTest : public HttpFixture {
protected:
    static constexpr const char Agent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Win32)";

    // Reads the whole body in 1024-byte reads; sizes gets the count of every read.
    static QByteArray ReadAll(HttpStream &stream, std::vector<qint64> &sizes)
    {
        QByteArray body;
        char block[1024];
        for (;;) {
            const qint64 n = stream.read(block, sizeof block);
            sizes.push_back(n);
            if (n <= 0)
                return body;
            body.append(block, qsizetype(n));
        }
    }
};

TEST_F(HttpStreamTest, ReadsTheBodyInBlocks)
{
    HttpStream stream(QString::fromLatin1(Agent), 5000);
    ASSERT_TRUE(stream.open(server.url(QStringLiteral("/data/5000"))));
    EXPECT_EQ(stream.statusCode(), 200);
    std::vector<qint64> sizes;
    EXPECT_EQ(ReadAll(stream, sizes), Pattern(5000));
    EXPECT_EQ(sizes, (std::vector<qint64>{1024, 1024, 1024, 1024, 904, 0}));
    EXPECT_EQ(stream.errorCode(), 0);
    stream.close();
}

TEST_F(HttpStreamTest, SendsTheAgentName)
{
    HttpStream stream(QString::fromLatin1(Agent), 5000);
    ASSERT_TRUE(stream.open(server.url(QStringLiteral("/echo"))));
    std::vector<qint64> sizes;
    EXPECT_EQ(EchoedHeader(ReadAll(stream, sizes), QStringLiteral("User-Agent")), QString::fromLatin1(Agent));
}

// A large body read slowly, 1024 bytes at a time: the transfer pauses and resumes
// while the caller catches up, and no byte is lost or repeated.
TEST_F(HttpStreamTest, LargeBodyArrivesWhole)
{
    HttpStream stream(QString::fromLatin1(Agent), 5000);
    ASSERT_TRUE(stream.open(server.url(QStringLiteral("/data/3000000"))));
    std::vector<qint64> sizes;
    EXPECT_EQ(ReadAll(stream, sizes), Pattern(3000000));
    EXPECT_EQ(sizes.back(), 0);
}

TEST_F(HttpStreamTest, ErrorAnswerIsABodyLikeAnyOther)
{
    HttpStream stream(QString::fromLatin1(Agent), 5000);
    ASSERT_TRUE(stream.open(server.url(QStringLiteral("/status/404"))));
    EXPECT_EQ(stream.statusCode(), 404);
    std::vector<qint64> sizes;
    EXPECT_EQ(ReadAll(stream, sizes), QByteArray("error page 404"));
    EXPECT_EQ(stream.errorCode(), 0);
}

TEST_F(HttpStreamTest, BrokenTransferEndsWithAFailedRead)
{
    HttpStream stream(QString::fromLatin1(Agent), 5000);
    ASSERT_TRUE(stream.open(server.url(QStringLiteral("/cut"))));
    std::vector<qint64> sizes;
    const QByteArray body = ReadAll(stream, sizes);
    EXPECT_EQ(sizes.back(), -1);
    EXPECT_LT(body.size(), 100000);
    EXPECT_NE(stream.errorCode(), 0);
}

TEST_F(HttpStreamTest, NoAnswerFailsToOpen)
{
    HttpStream slow(QString::fromLatin1(Agent), 300);
    EXPECT_FALSE(slow.open(server.url(QStringLiteral("/slow"))));
    EXPECT_EQ(slow.errorCode(), ETIMEDOUT);

    LoopbackServer closed;
    closed.start();
    const QString url = closed.url(QStringLiteral("/hello"));
    closed.stop();
    HttpStream refused(QString::fromLatin1(Agent), 5000);
    EXPECT_FALSE(refused.open(url));
    EXPECT_EQ(refused.errorCode(), ECONNREFUSED);
    char block[1024];
    EXPECT_EQ(refused.read(block, sizeof block), -1);
}

} // namespace
