#pragma once

#include <QByteArray>
#include <QNetworkCookie>
#include <QString>

#include <memory>

namespace brindle {

// The one cookie store that file transfers share with the browser. The browser layer
// mirrors every cookie its store adds or removes into it; every HttpClient request
// sends the cookies that match its address. Safe to use from any thread.
class CookieShare {
public:
    static CookieShare &instance();

    // Adds or replaces a cookie. An empty domain in the cookie is taken from origin's host.
    void setCookie(const QNetworkCookie &cookie, const QString &originHost = {});
    void removeCookie(const QNetworkCookie &cookie, const QString &originHost = {});
    void clearAll();
    // Drops the cookies without an expiry date (ends the browser session).
    void clearSessionCookies();

    // Implementation-defined handle for the HTTP layer (a curl share handle).
    void *nativeHandle() const;

    CookieShare(const CookieShare &) = delete;
    CookieShare &operator=(const CookieShare &) = delete;

private:
    CookieShare();
    ~CookieShare();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace brindle
