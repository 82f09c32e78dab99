#include "platform/http/cookie_share.h"
#include "platform/http/http_client.h"
#include "unit/http/http_fixture.h"

#include <QDateTime>

using namespace brindle;
using namespace brindle::test;

namespace {

// Requests for the service's host names reach the loopback server as their proxy.
class CookieShareTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        UseProxy(server.proxy());
    }
    void TearDown() override
    {
        UseDirectConnections();
        HttpFixture::TearDown();
    }

    // The cookies a request for url carried, as sorted "name=value" entries.
    static QStringList CookiesSentTo(const QString &url)
    {
        HttpClient client;
        client.setTimeout(5000);
        EXPECT_TRUE(client.get(url)) << url.toStdString() << " " << client.errorCode();
        QStringList cookies;
        for (const QString &part : EchoedHeader(client.body(), QStringLiteral("Cookie")).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            cookies << part.trimmed();
        cookies.sort();
        return cookies;
    }

    static QNetworkCookie Cookie(const char *name, const char *domain, const char *path = "/", int daysToLive = 0)
    {
        QNetworkCookie cookie(name, QByteArray(name) + "-value");
        cookie.setDomain(QString::fromLatin1(domain));
        cookie.setPath(QString::fromLatin1(path));
        if (daysToLive)
            cookie.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(daysToLive));
        return cookie;
    }
};

TEST_F(CookieShareTest, RequestsGoThroughTheProxyFromTheEnvironment)
{
    HttpClient client;
    ASSERT_TRUE(client.get(QStringLiteral("http://groups.yahoo.com/group/pets/echo")));
    EXPECT_EQ(EchoedHeader(client.body(), QStringLiteral("Host")), QStringLiteral("groups.yahoo.com"));
    EXPECT_TRUE(client.body().startsWith("path: http://groups.yahoo.com/group/pets/echo"));
}

TEST_F(CookieShareTest, CookiesGoToTheHostsAndPathsTheyMatch)
{
    CookieShare &share = CookieShare::instance();
    share.setCookie(Cookie("wide", ".yahoo.com"));                    // every host below yahoo.com
    share.setCookie(Cookie("hostonly", "groups.yahoo.com"));          // that host alone
    share.setCookie(Cookie("origin", "", "/"), QStringLiteral("login.yahoo.com")); // domain from its origin
    share.setCookie(Cookie("grouppath", ".yahoo.com", "/group"));     // only below /group

    const struct {
        const char *url;
        QStringList expected;
    } cases[] = {
        {"http://groups.yahoo.com/echo", {"hostonly=hostonly-value", "wide=wide-value"}},
        {"http://groups.yahoo.com/group/pets/echo",
         {"grouppath=grouppath-value", "hostonly=hostonly-value", "wide=wide-value"}},
        {"http://photos.groups.yahoo.com/echo", {"wide=wide-value"}},
        {"http://login.yahoo.com/echo", {"origin=origin-value", "wide=wide-value"}},
        {"http://yahoo.com/echo", {"wide=wide-value"}},
        {"http://notyahoo.com/echo", {}},
        {"http://xa.yimg.com/echo", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CookiesSentTo(QString::fromLatin1(c.url)), c.expected) << c.url;
}

TEST_F(CookieShareTest, ClearingSessionCookiesKeepsPersistentOnes)
{
    CookieShare &share = CookieShare::instance();
    share.setCookie(Cookie("session", ".yahoo.com"));
    share.setCookie(Cookie("persistent", ".yahoo.com", "/", 30));
    const QString url = QStringLiteral("http://groups.yahoo.com/echo");
    EXPECT_EQ(CookiesSentTo(url), QStringList({"persistent=persistent-value", "session=session-value"}));

    share.clearSessionCookies();
    EXPECT_EQ(CookiesSentTo(url), QStringList{"persistent=persistent-value"});

    share.clearAll();
    EXPECT_EQ(CookiesSentTo(url), QStringList());
}

TEST_F(CookieShareTest, ReplacingAndRemovingOneCookie)
{
    CookieShare &share = CookieShare::instance();
    share.setCookie(Cookie("keep", ".yahoo.com"));
    QNetworkCookie login = Cookie("login", ".yahoo.com", "/", 1);
    share.setCookie(login);
    login.setValue("second");
    share.setCookie(login); // same name, domain and path: replaces
    const QString url = QStringLiteral("http://groups.yahoo.com/echo");
    EXPECT_EQ(CookiesSentTo(url), QStringList({"keep=keep-value", "login=second"}));

    share.removeCookie(login);
    EXPECT_EQ(CookiesSentTo(url), QStringList{"keep=keep-value"});
}

TEST_F(CookieShareTest, CookiesFromAnswersAreKeptForLaterRequests)
{
    HttpClient setter;
    ASSERT_TRUE(setter.get(QStringLiteral("http://groups.yahoo.com/set-cookie")));
    EXPECT_EQ(CookiesSentTo(QStringLiteral("http://groups.yahoo.com/echo")), QStringList{"fromserver=1"});
    EXPECT_EQ(CookiesSentTo(QStringLiteral("http://login.yahoo.com/echo")), QStringList());
}

TEST_F(CookieShareTest, CookiesThatCannotBeStoredAreIgnored)
{
    CookieShare &share = CookieShare::instance();
    share.setCookie(QNetworkCookie("nodomain", "x"));                 // neither domain nor origin
    share.setCookie(Cookie("bad\tname", ".yahoo.com"));
    QNetworkCookie broken = Cookie("broken", ".yahoo.com");
    broken.setValue("a\nb");
    share.setCookie(broken);
    EXPECT_EQ(CookiesSentTo(QStringLiteral("http://groups.yahoo.com/echo")), QStringList());
}

} // namespace
