#include "platform/browser/cookie_mirror.h"

#include "platform/http/cookie_share.h"

#include <QNetworkCookie>
#include <QWebEngineCookieStore>

namespace brindle {

void MirrorCookies(QWebEngineCookieStore *store)
{
    QObject::connect(store, &QWebEngineCookieStore::cookieAdded, store,
                     [](const QNetworkCookie &cookie) { CookieShare::instance().setCookie(cookie); });
    QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, store,
                     [](const QNetworkCookie &cookie) { CookieShare::instance().removeCookie(cookie); });
    store->loadAllCookies();
}

} // namespace brindle
