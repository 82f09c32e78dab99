#include "platform/http/http_client.h"

#include "platform/http/curl_transfer.h"
#include "platform/http/part_file.h"

#include <QList>
#include <QStringDecoder>

#include <cerrno>

namespace brindle {

namespace {

bool IsSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

// The charset parameter of the last Content-Type header, or empty.
QByteArray CharsetOf(const QByteArray &rawHeaders)
{
    QByteArray charset;
    for (const QByteArray &line : rawHeaders.split('\n')) {
        const QByteArray lower = line.trimmed().toLower();
        if (!lower.startsWith("content-type:"))
            continue;
        charset.clear();
        const qsizetype at = lower.indexOf("charset=");
        if (at < 0)
            continue;
        charset = lower.mid(at + 8);
        const qsizetype end = charset.indexOf(';');
        if (end >= 0)
            charset.truncate(end);
        charset = charset.trimmed();
        if (charset.startsWith('"') && charset.endsWith('"') && charset.size() >= 2)
            charset = charset.mid(1, charset.size() - 2);
    }
    return charset;
}

} // namespace

struct HttpClient::Impl {
    QString referrer;
    qint64 timeoutMs = 0;
    HeaderHandler handler;

    // The request in progress and its results.
    std::unique_ptr<CurlTransfer> transfer;
    QString targetPath; // empty: the body goes into memory
    std::unique_ptr<PartFile> part;
    QByteArray body;
    QByteArray headers;
    int status = 0;
    int error = 0;
    qint64 received = 0;
    bool answerStarted = false; // the final answer is known (its body began or it completed)
    bool declined = false;
    int fileError = 0;

    bool run(const QString &url, const QString &target);
    bool startAnswer();
    size_t takeBody(const char *data, size_t size);
    bool finish(CURLcode code);
    bool fail(int code);
};

bool HttpClient::Impl::run(const QString &url, const QString &target)
{
    targetPath = target;
    part.reset();
    body.clear();
    headers.clear();
    status = error = fileError = 0;
    received = 0;
    answerStarted = declined = false;

    transfer = std::make_unique<CurlTransfer>(QByteArray(UserAgent), timeoutMs, referrer);
    if (!transfer->handle())
        return fail(ENOMEM);
    if (!transfer->setUrl(url))
        return fail(EINVAL);
    transfer->setBodySink([this](const char *data, size_t size) { return takeBody(data, size); });
    const CURLcode code = curl_easy_perform(transfer->handle());
    const bool ok = finish(code);
    transfer.reset();
    return ok;
}

// The final answer's headers are in: ask the handler, and for a file open the part file.
// False stops the transfer.
bool HttpClient::Impl::startAnswer()
{
    answerStarted = true;
    status = transfer->status();
    if (handler && !handler(status)) {
        declined = true;
        return false;
    }
    if (targetPath.isEmpty())
        return true;
    if (!IsSuccessStatus(status))
        return false; // nothing of an error answer goes to disk
    part = std::make_unique<PartFile>(targetPath);
    if (!part->open()) {
        fileError = part->error();
        part.reset();
        return false;
    }
    return true;
}

size_t HttpClient::Impl::takeBody(const char *data, size_t size)
{
    if (!answerStarted && !startAnswer())
        return 0;
    if (part) {
        if (!part->write(data, size)) {
            fileError = part->error();
            return 0;
        }
    } else if (targetPath.isEmpty()) {
        body.append(data, qsizetype(size));
    }
    received += qint64(size);
    return size;
}

bool HttpClient::Impl::finish(CURLcode code)
{
    if (code == CURLE_OK && !answerStarted)
        startAnswer(); // an answer without a body
    status = transfer->status();
    headers = transfer->headers();
    if (declined)
        return fail(0);
    if (answerStarted && !IsSuccessStatus(status))
        return fail(status);
    if (fileError)
        return fail(fileError);
    if (code != CURLE_OK)
        return fail(transfer->systemError(code));
    if (part) {
        curl_off_t expected = -1;
        curl_easy_getinfo(transfer->handle(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
        if (expected >= 0 && expected != part->size())
            return fail(ECONNRESET);
        if (!part->commit())
            return fail(part->error());
        part.reset();
    }
    return true;
}

// Ends a request with error code (0 for a declined body, which counts as success).
bool HttpClient::Impl::fail(int code)
{
    part.reset(); // removes an unfinished part file
    error = code;
    return code == 0;
}

HttpClient::HttpClient()
    : d(std::make_unique<Impl>())
{
}

HttpClient::~HttpClient() = default;

void HttpClient::setReferrer(const QString &referrer)
{
    d->referrer = referrer;
}

void HttpClient::setTimeout(qint64 milliseconds)
{
    d->timeoutMs = milliseconds;
}

void HttpClient::setHeaderHandler(HeaderHandler handler)
{
    d->handler = std::move(handler);
}

bool HttpClient::get(const QString &url)
{
    return d->run(url, QString());
}

bool HttpClient::getToFile(const QString &url, const QString &localPath)
{
    if (localPath.isEmpty()) {
        d->error = ENOENT;
        return false;
    }
    return d->run(url, localPath);
}

const QByteArray &HttpClient::body() const
{
    return d->body;
}

QString HttpClient::bodyText() const
{
    const QByteArray charset = CharsetOf(d->headers);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(d->body);
    }
    QStringDecoder decoder = QStringDecoder::decoderForHtml(d->body);
    if (decoder.isValid())
        return decoder.decode(d->body);
    return QString::fromUtf8(d->body);
}

const QByteArray &HttpClient::rawHeaders() const
{
    return d->headers;
}

int HttpClient::statusCode() const
{
    return d->status;
}

int HttpClient::errorCode() const
{
    return d->error;
}

qint64 HttpClient::bytesReceived() const
{
    return d->received;
}

} // namespace brindle
