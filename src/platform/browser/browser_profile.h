#pragma once

class QWebEngineProfile;
class QWebEngineSettings;

namespace brindle {

// The one browser profile of the process. Its cookies (the login) persist in
// $XDG_DATA_HOME/brindle/browser, the engine's own caches go to
// $XDG_CACHE_HOME/brindle/browser, and loaded pages are cached in memory only.
// The proxy comes from the standard http_proxy, https_proxy and no_proxy
// environment, which the engine reads itself.
QWebEngineProfile *BrowserProfile();

// The security policy of every page: no plug-ins, no page scripts, no pictures,
// no page icons; forms may be submitted.
void ApplySecurityPolicy(QWebEngineSettings *settings);

} // namespace brindle
