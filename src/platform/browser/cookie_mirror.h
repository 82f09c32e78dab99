#pragma once

class QWebEngineCookieStore;

namespace brindle {

// Copies every cookie the browser's store adds or removes into CookieShare, so file
// transfers carry the browser's login. Also loads the cookies kept from earlier runs,
// which reach the share the same way.
void MirrorCookies(QWebEngineCookieStore *store);

} // namespace brindle
