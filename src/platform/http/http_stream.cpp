#include "platform/http/http_stream.h"

#include "platform/http/curl_transfer.h"

#include <cerrno>
#include <cstring>

namespace brindle {

namespace {

// Past this much unread body the transfer is paused until the caller catches up.
constexpr qsizetype PauseAbove = 64 * 1024;
constexpr int PollMs = 100;

} // namespace

struct HttpStream::Impl {
    QByteArray agent;
    qint64 timeoutMs = 0;

    std::unique_ptr<CurlTransfer> transfer;
    CURLM *multi = nullptr;
    QByteArray pending; // received, not yet read; starts at readPos
    qsizetype readPos = 0;
    bool paused = false;
    bool done = false;
    CURLcode result = CURLE_OK;
    int status = 0;
    QByteArray headers;
    int error = 0;

    qsizetype available() const { return pending.size() - readPos; }
    size_t takeBody(const char *data, size_t size);
    void pump();
    void checkDone();
    void close();
};

size_t HttpStream::Impl::takeBody(const char *data, size_t size)
{
    if (available() > PauseAbove) {
        paused = true;
        return CURL_WRITEFUNC_PAUSE; // curl keeps these bytes and hands them over again later
    }
    if (readPos > 0) {
        pending.remove(0, readPos);
        readPos = 0;
    }
    pending.append(data, qsizetype(size));
    return size;
}

// Drives the transfer until some body is available or the transfer has ended.
void HttpStream::Impl::pump()
{
    transfer->resetIdleClock(); // only waiting for the network counts towards the time-out
    if (paused) {
        paused = false;
        curl_easy_pause(transfer->handle(), CURLPAUSE_CONT);
    }
    while (!done && available() == 0 && !paused) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            done = true;
            result = CURLE_FAILED_INIT;
            break;
        }
        checkDone();
        if (!done && available() == 0)
            curl_multi_poll(multi, nullptr, 0, PollMs, nullptr);
    }
    status = transfer->status();
    headers = transfer->headers();
    if (done && result != CURLE_OK && error == 0)
        error = transfer->systemError(result);
}

void HttpStream::Impl::checkDone()
{
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg == CURLMSG_DONE) {
            done = true;
            result = msg->data.result;
        }
    }
}

void HttpStream::Impl::close()
{
    if (multi) {
        if (transfer)
            curl_multi_remove_handle(multi, transfer->handle());
        curl_multi_cleanup(multi);
        multi = nullptr;
    }
    transfer.reset();
    pending.clear();
    readPos = 0;
    paused = done = false;
}

HttpStream::HttpStream(const QString &agent, qint64 timeoutMs)
    : d(std::make_unique<Impl>())
{
    d->agent = agent.toUtf8();
    d->timeoutMs = timeoutMs;
}

HttpStream::~HttpStream()
{
    close();
}

bool HttpStream::open(const QString &url)
{
    close();
    d->status = d->error = 0;
    d->headers.clear();
    d->result = CURLE_OK;
    d->transfer = std::make_unique<CurlTransfer>(d->agent, d->timeoutMs, QString());
    d->multi = curl_multi_init();
    if (!d->transfer->handle() || !d->multi) {
        d->error = ENOMEM;
        close();
        return false;
    }
    if (!d->transfer->setUrl(url)) {
        d->error = EINVAL;
        close();
        return false;
    }
    d->transfer->setBodySink([impl = d.get()](const char *data, size_t size) { return impl->takeBody(data, size); });
    curl_multi_add_handle(d->multi, d->transfer->handle());
    d->pump();
    // An answer came when its body began or the transfer ended well.
    return d->available() > 0 || d->paused || (d->done && d->result == CURLE_OK);
}

qint64 HttpStream::read(char *data, qint64 maxSize)
{
    if (!d->transfer || maxSize <= 0)
        return d->error ? -1 : 0;
    qint64 copied = 0;
    while (copied < maxSize) {
        if (d->available() == 0) {
            if (d->done)
                break;
            d->pump();
            continue;
        }
        const qint64 n = std::min<qint64>(maxSize - copied, d->available());
        std::memcpy(data + copied, d->pending.constData() + d->readPos, size_t(n));
        d->readPos += qsizetype(n);
        copied += n;
    }
    if (copied == 0 && d->done && d->result != CURLE_OK)
        return -1;
    return copied;
}

void HttpStream::close()
{
    d->close();
}

int HttpStream::statusCode() const
{
    return d->status;
}

const QByteArray &HttpStream::rawHeaders() const
{
    return d->headers;
}

int HttpStream::errorCode() const
{
    return d->error;
}

} // namespace brindle
