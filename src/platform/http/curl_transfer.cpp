#include "platform/http/curl_transfer.h"

#include "platform/http/cookie_share.h"

#include <QUrl>

#include <cerrno>
#include <mutex>

namespace brindle {

void EnsureCurlReady()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int SystemErrorFor(CURLcode code, long osErrno)
{
    const int os = int(osErrno);
    switch (code) {
    case CURLE_OK:
        return 0;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return EHOSTUNREACH;
    case CURLE_COULDNT_CONNECT:
        return os ? os : ECONNREFUSED;
    case CURLE_OPERATION_TIMEDOUT:
        return ETIMEDOUT;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
        return os ? os : ECONNRESET;
    case CURLE_SEND_ERROR:
        return os ? os : EPIPE;
    case CURLE_TOO_MANY_REDIRECTS:
        return ELOOP;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return EINVAL;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return EPROTO;
    case CURLE_OUT_OF_MEMORY:
        return ENOMEM;
    case CURLE_ABORTED_BY_CALLBACK:
        return ECANCELED;
    default:
        return EIO;
    }
}

CurlTransfer::CurlTransfer(const QByteArray &userAgent, qint64 timeoutMs, const QString &referrer)
    : m_timeoutMs(timeoutMs)
{
    EnsureCurlReady();
    m_curl = curl_easy_init();
    if (!m_curl)
        return;
    CURL *h = m_curl;
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, userAgent.constData());
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, MaxRedirects);
    if (!referrer.isEmpty())
        curl_easy_setopt(h, CURLOPT_REFERER, QUrl(referrer.trimmed(), QUrl::TolerantMode).toEncoded().constData());

    // The cookie engine on, over the process-wide store (no cookie file is read).
    curl_easy_setopt(h, CURLOPT_SHARE, static_cast<CURLSH *>(CookieShare::instance().nativeHandle()));
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");

    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &CurlTransfer::onConnected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    if (timeoutMs > 0) {
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs));
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::onProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    }
}

CurlTransfer::~CurlTransfer()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

bool CurlTransfer::setUrl(const QString &url)
{
    const QUrl parsed(url.trimmed(), QUrl::TolerantMode);
    if (!m_curl || !parsed.isValid() || parsed.host().isEmpty())
        return false;
    // QUrl percent-encodes what a page address may hold unencoded (blanks, non-ASCII).
    return curl_easy_setopt(m_curl, CURLOPT_URL, parsed.toEncoded().constData()) == CURLE_OK;
}

int CurlTransfer::systemError(CURLcode code) const
{
    if (m_timedOut)
        return ETIMEDOUT;
    long osErrno = 0;
    curl_easy_getinfo(m_curl, CURLINFO_OS_ERRNO, &osErrno);
    return SystemErrorFor(code, osErrno);
}

void CurlTransfer::resetIdleClock()
{
    m_lastActivity = std::chrono::steady_clock::now();
}

size_t CurlTransfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<CurlTransfer *>(self);
    const size_t n = size * count;
    t->resetIdleClock();
    const QByteArray line(data, qsizetype(n));
    if (line.startsWith("HTTP/")) {
        // A new answer begins (after a redirect or a proxy's CONNECT reply): keep only it.
        t->m_headers.clear();
        const QList<QByteArray> parts = line.simplified().split(' ');
        t->m_status = parts.size() > 1 ? parts.at(1).toInt() : 0;
    }
    t->m_headers += line;
    return n;
}

size_t CurlTransfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<CurlTransfer *>(self);
    t->resetIdleClock();
    return t->m_sink ? t->m_sink(data, size * count) : size * count;
}

int CurlTransfer::onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *t = static_cast<CurlTransfer *>(self);
    if (!t->m_connected)
        return 0; // until connected, curl's connect time-out applies
    const auto idle = std::chrono::steady_clock::now() - t->m_lastActivity;
    if (idle > std::chrono::milliseconds(t->m_timeoutMs)) {
        t->m_timedOut = true;
        return 1;
    }
    return 0;
}

int CurlTransfer::onConnected(void *self, char *, char *, int, int)
{
    auto *t = static_cast<CurlTransfer *>(self);
    t->m_connected = true;
    t->resetIdleClock();
    return CURL_PREREQFUNC_OK;
}

} // namespace brindle
