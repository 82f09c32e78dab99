#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace brindle {

// The HTTP client through which single files and pages are fetched outside the browser,
// with the browser's cookies (CookieShare). Use a fresh client per request, from any
// thread; one client is not to be shared between threads.
//
// Every request is a plain HTTP/1.1 GET with no headers of the program's own beyond
// the referrer, the user agent "Brindle/4.3" and the matching cookies. Redirects are
// followed (up to 10); status and headers reported are those of the final answer. The
// proxy comes from the http_proxy, https_proxy and no_proxy environment variables.
//
// The time-out bounds connecting, and then every wait for the next byte while sending
// and receiving; a transfer that keeps moving is never cut, however long it takes.
//
// Error code after a request:
//   0                      the request succeeded (or the body was declined)
//   the HTTP status        the server answered with a status outside 200 to 299
//   an errno value         the request could not be made or broke off (ECONNREFUSED,
//                          ETIMEDOUT, ECONNRESET, EHOSTUNREACH, ELOOP for too many
//                          redirects, EINVAL for an unusable address, or the error of
//                          creating or writing the local file)
class HttpClient {
public:
    static constexpr const char UserAgent[] = "Brindle/4.3";

    // Called with the final answer's status before its body is read (for an empty body,
    // when the answer is complete). Return false to decline the body: the request then
    // counts as a success whatever the status, and nothing is stored.
    using HeaderHandler = std::function<bool(int statusCode)>;

    HttpClient();
    ~HttpClient();

    void setReferrer(const QString &referrer);
    void setTimeout(qint64 milliseconds); // <= 0: no time-out
    void setHeaderHandler(HeaderHandler handler);

    // GET into memory; the body is then readable with body() / bodyText() (also the
    // body of an answer outside 200 to 299). Returns the success flag.
    bool get(const QString &url);

    // GET into a local file, streamed block by block. The file is written only for an
    // answer in 200 to 299, and replaces an existing file only once the whole body has
    // arrived (and matched Content-Length, when the server sent one). On failure an
    // existing file is left as it was and nothing else stays behind.
    bool getToFile(const QString &url, const QString &localPath);

    const QByteArray &body() const;
    // The body as text: charset from Content-Type, else from the page itself, else UTF-8.
    QString bodyText() const;
    // The final answer's status line and header lines, each ending in CRLF.
    const QByteArray &rawHeaders() const;
    int statusCode() const;
    int errorCode() const;
    qint64 bytesReceived() const;

    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace brindle
