#include "platform/http/cookie_share.h"
#include "platform/http/http_client.h"
#include "platform/http/http_stream.h"
#include "unit/http/http_fixture.h"

#include <QDateTime>

#include <atomic>
#include <thread>
#include <vector>

using namespace brindle;
using namespace brindle::test;

namespace {

class HttpConcurrencyTest : public HttpFixture {
protected:
    void TearDown() override
    {
        UseDirectConnections();
        HttpFixture::TearDown();
    }
};

// Item threads download side by side while the browser side keeps changing the shared
// cookie store: every file arrives whole and every request carries the login cookie.
TEST_F(HttpConcurrencyTest, ManyThreadsShareTheCookieStore)
{
    UseProxy(server.proxy());
    QNetworkCookie login("login", "yes");
    login.setDomain(QStringLiteral(".yahoo.com"));
    login.setPath(QStringLiteral("/"));
    login.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
    CookieShare::instance().setCookie(login);

    std::atomic<bool> running{true};
    std::thread browser([&] {
        for (int i = 0; running; ++i) {
            QNetworkCookie churn(QByteArray("churn") + QByteArray::number(i % 7), QByteArray::number(i));
            churn.setDomain(QStringLiteral("groups.yahoo.com"));
            CookieShare::instance().setCookie(churn);
            if (i % 3 == 0)
                CookieShare::instance().removeCookie(churn);
            if (i % 11 == 0)
                CookieShare::instance().clearSessionCookies();
        }
    });

    constexpr int threads = 8;
    constexpr int rounds = 12;
    std::atomic<int> failures{0};
    std::vector<std::thread> items;
    for (int t = 0; t < threads; ++t) {
        items.emplace_back([&, t] {
            for (int r = 0; r < rounds; ++r) {
                const QString name = QStringLiteral("t%1-r%2.bin").arg(t).arg(r);
                const int size = 20000 + 1000 * t + r;
                HttpClient file;
                file.setTimeout(10000);
                if (!file.getToFile(QStringLiteral("http://f1.grp.yahoofs.com/data/%1").arg(size), scratchPath(name))
                    || ReadFile(scratchPath(name)) != Pattern(size))
                    ++failures;
                HttpClient page;
                page.setTimeout(10000);
                if (!page.get(QStringLiteral("http://groups.yahoo.com/echo"))
                    || !EchoedHeader(page.body(), QStringLiteral("Cookie")).contains(QStringLiteral("login=yes")))
                    ++failures;
                HttpStream stream(QStringLiteral("agent"), 10000);
                char block[1024];
                qint64 total = 0;
                if (stream.open(QStringLiteral("http://photos.groups.yahoo.com/data/%1").arg(size))) {
                    for (qint64 n; (n = stream.read(block, sizeof block)) > 0;)
                        total += n;
                }
                if (total != size)
                    ++failures;
            }
        });
    }
    for (auto &item : items)
        item.join();
    running = false;
    browser.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(scratchEntries().size(), threads * rounds);
}

} // namespace
