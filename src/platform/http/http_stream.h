#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace brindle {

// Reads an address's body piece by piece, pulled by the caller: open, read blocks
// until a read gives 0, close. Same transport as HttpClient (cookies, proxy, redirects,
// time-out rule), but with the caller's agent name, and the status is not judged: any
// answer the server gives is a body to read. At most a small bounded amount of the body
// is buffered; the transfer waits while the caller does not read.
class HttpStream {
public:
    HttpStream(const QString &agent, qint64 timeoutMs);
    ~HttpStream(); // closes

    // Sends the request and waits for the answer. False when no answer came
    // (errorCode() says why, as for HttpClient).
    bool open(const QString &url);

    // Fills data with up to maxSize bytes; fewer only at the end of the body. Returns the
    // count, 0 once the body is complete, -1 when the transfer broke off or timed out.
    qint64 read(char *data, qint64 maxSize);

    void close();

    int statusCode() const;
    const QByteArray &rawHeaders() const;
    int errorCode() const; // 0, or an errno value after a failure

    HttpStream(const HttpStream &) = delete;
    HttpStream &operator=(const HttpStream &) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace brindle
