#include "platform/http/cookie_share.h"

#include "platform/http/curl_transfer.h"

#include <QDateTime>

#include <curl/curl.h>

#include <array>
#include <mutex>

namespace brindle {

namespace {

// One line of curl's cookie file format:
// domain, include subdomains, path, secure, expiry (0 for a session cookie), name, value.
// A domain with a leading dot stands for the domain and every host below it; without
// one the cookie belongs to that host alone. Empty when the cookie cannot be expressed.
QByteArray CookieLine(const QNetworkCookie &cookie, const QString &originHost, bool expired)
{
    QString domain = cookie.domain().trimmed();
    if (domain.isEmpty())
        domain = originHost.trimmed();
    const bool subdomains = domain.startsWith(QLatin1Char('.'));
    if (subdomains)
        domain.remove(0, 1);
    QString path = cookie.path();
    if (path.isEmpty())
        path = QStringLiteral("/");
    const QByteArray host = domain.toLower().toUtf8();
    const QByteArray pathBytes = path.toUtf8();
    if (host.isEmpty() || cookie.name().isEmpty())
        return {};
    for (const QByteArray &field : {host, pathBytes, cookie.name(), cookie.value()}) {
        if (field.contains('\t') || field.contains('\n') || field.contains('\r'))
            return {};
    }

    qint64 expires = 0;
    if (expired)
        expires = 1; // long past: the stored cookie is replaced and then dropped
    else if (!cookie.isSessionCookie())
        expires = std::max<qint64>(1, cookie.expirationDate().toSecsSinceEpoch());

    QByteArray line;
    if (cookie.isHttpOnly())
        line += "#HttpOnly_";
    line += (subdomains ? "." : "") + host + '\t' + (subdomains ? "TRUE" : "FALSE") + '\t' + pathBytes + '\t'
        + (cookie.isSecure() ? "TRUE" : "FALSE") + '\t' + QByteArray::number(expires) + '\t' + cookie.name() + '\t'
        + cookie.value();
    return line;
}

} // namespace

struct CookieShare::Impl {
    CURLSH *share = nullptr;
    // Lock per kind of shared data, as curl asks for them from any thread.
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
    // The handle through which cookie lines are put into the store; one thread at a time.
    std::mutex feedLock;
    CURL *feed = nullptr;

    static void lock(CURL *, curl_lock_data data, curl_lock_access, void *self)
    {
        static_cast<Impl *>(self)->locks.at(size_t(data)).lock();
    }
    static void unlock(CURL *, curl_lock_data data, void *self)
    {
        static_cast<Impl *>(self)->locks.at(size_t(data)).unlock();
    }

    void apply(const char *command)
    {
        std::lock_guard guard(feedLock);
        if (feed)
            curl_easy_setopt(feed, CURLOPT_COOKIELIST, command);
    }
};

CookieShare &CookieShare::instance()
{
    static CookieShare share;
    return share;
}

CookieShare::CookieShare()
    : d(std::make_unique<Impl>())
{
    EnsureCurlReady();
    d->share = curl_share_init();
    if (!d->share)
        return;
    curl_share_setopt(d->share, CURLSHOPT_LOCKFUNC, &Impl::lock);
    curl_share_setopt(d->share, CURLSHOPT_UNLOCKFUNC, &Impl::unlock);
    curl_share_setopt(d->share, CURLSHOPT_USERDATA, d.get());
    curl_share_setopt(d->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(d->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    d->feed = curl_easy_init();
    if (d->feed) {
        curl_easy_setopt(d->feed, CURLOPT_SHARE, d->share);
        curl_easy_setopt(d->feed, CURLOPT_COOKIEFILE, "");
    }
}

CookieShare::~CookieShare()
{
    if (d->feed)
        curl_easy_cleanup(d->feed);
    if (d->share)
        curl_share_cleanup(d->share);
}

void CookieShare::setCookie(const QNetworkCookie &cookie, const QString &originHost)
{
    const QByteArray line = CookieLine(cookie, originHost, false);
    if (!line.isEmpty())
        d->apply(line.constData());
}

void CookieShare::removeCookie(const QNetworkCookie &cookie, const QString &originHost)
{
    const QByteArray line = CookieLine(cookie, originHost, true);
    if (!line.isEmpty())
        d->apply(line.constData());
}

void CookieShare::clearAll()
{
    d->apply("ALL");
}

void CookieShare::clearSessionCookies()
{
    d->apply("SESS");
}

void *CookieShare::nativeHandle() const
{
    return d->share;
}

} // namespace brindle
