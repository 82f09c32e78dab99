#pragma once

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

#include <chrono>
#include <functional>

namespace brindle {

// Starts libcurl once per process (safe to call from any thread, any number of times).
void EnsureCurlReady();

// The errno-style number that stands for a failed curl request, for callers that keep
// only a numeric error code:
//   could not resolve host or proxy      EHOSTUNREACH
//   could not connect                    the socket's errno (ECONNREFUSED, ENETUNREACH, ...)
//   time-out (connect or idle transfer)  ETIMEDOUT
//   transfer broke off / empty answer    ECONNRESET (or the socket's errno)
//   request could not be sent            EPIPE (or the socket's errno)
//   too many redirects                   ELOOP
//   malformed address, other protocol    EINVAL
//   TLS / certificate failure            EPROTO
//   out of memory                        ENOMEM
//   anything else                        EIO
int SystemErrorFor(CURLcode code, long osErrno);

// One request on its own curl easy handle, with the settings every request of the
// program shares: HTTP/1.1 GET, http and https only, redirects followed (up to
// MaxRedirects), proxy from the http_proxy / https_proxy / no_proxy environment
// (curl's default), the shared cookie store, and the time-out rule below.
//
// Time-out (milliseconds, <= 0 for none): connecting (name look-up, TCP, TLS) is bounded
// by CURLOPT_CONNECTTIMEOUT_MS; once connected, the request fails when no byte moved
// for the same time (checked from curl's progress callback, so the check runs at least
// once a second). There is deliberately no limit on the whole transfer: a large file
// that keeps flowing never times out.
//
// Of the answers of a redirect chain, headers() and status() describe the latest one;
// curl skips the bodies of the answers it follows, so the body sink sees only the
// final answer's body.
class CurlTransfer {
public:
    static constexpr long MaxRedirects = 10;

    // Return size to take the bytes, 0 to stop the transfer, CURL_WRITEFUNC_PAUSE to pause it.
    using BodySink = std::function<size_t(const char *data, size_t size)>;

    CurlTransfer(const QByteArray &userAgent, qint64 timeoutMs, const QString &referrer);
    ~CurlTransfer();

    // Sets the address. False when the address cannot be used (then nothing is sent).
    bool setUrl(const QString &url);
    void setBodySink(BodySink sink) { m_sink = std::move(sink); }

    CURL *handle() const { return m_curl; }
    int status() const { return m_status; }
    const QByteArray &headers() const { return m_headers; }
    bool timedOut() const { return m_timedOut; }
    // The error code of a finished request that curl ended with code.
    int systemError(CURLcode code) const;
    // Restarts the idle clock (the caller, not the network, kept the transfer waiting).
    void resetIdleClock();

    CurlTransfer(const CurlTransfer &) = delete;
    CurlTransfer &operator=(const CurlTransfer &) = delete;

private:
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int onConnected(void *self, char *, char *, int, int);

    CURL *m_curl = nullptr;
    BodySink m_sink;
    qint64 m_timeoutMs = 0;
    bool m_connected = false;
    bool m_timedOut = false;
    std::chrono::steady_clock::time_point m_lastActivity;
    int m_status = 0;
    QByteArray m_headers;
};

} // namespace brindle
