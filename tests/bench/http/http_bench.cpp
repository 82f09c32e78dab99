// HttpClient against the curl command line on the same loopback URLs, in one run:
// one 200 MB file, and 500 files of 20 KB; plus the growth of peak memory while a
// 200 MB body goes to a file and while it is read through HttpStream.
//   http_bench [repeats]     (best of `repeats` runs per measurement, default 3)

#include "platform/http/http_client.h"
#include "platform/http/http_stream.h"
#include "unit/http/loopback_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

using namespace brindle;
using Clock = std::chrono::steady_clock;

namespace {

constexpr qint64 BigSize = 200LL * 1024 * 1024;
constexpr int SmallCount = 500;
constexpr qint64 SmallSize = 20 * 1024;

double BestSeconds(int repeats, const std::function<bool()> &run)
{
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        if (!run()) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

qint64 StatusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Growth of the peak resident size (KB) over what is resident before run().
qint64 PeakGrowthKb(const std::function<bool()> &run)
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // resets the peak to the current size
    clear.close();
    const qint64 before = StatusKb("VmRSS:");
    if (!run())
        std::fprintf(stderr, "a run failed\n");
    return StatusKb("VmHWM:") - before;
}

bool Curl(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("curl"), arguments) == 0;
}

void Report(const char *what, double ours, double curl)
{
    std::printf("%-22s HttpClient %8.3f s   curl %8.3f s   ratio %5.2f (HttpClient / curl)\n", what, ours, curl, ours / curl);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    test::UseDirectConnections();

    const QByteArray block(256 * 1024, 'x');
    const QByteArray small(SmallSize, 's');
    test::LoopbackServer server;
    server.http.Get("/big", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(size_t(BigSize), "application/octet-stream",
                                 [&](size_t offset, size_t, httplib::DataSink &sink) {
                                     const qint64 n = std::min<qint64>(block.size(), BigSize - qint64(offset));
                                     return sink.write(block.constData(), size_t(n));
                                 });
    });
    server.http.Get(R"(/small/(\d+))", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content(small.constData(), size_t(small.size()), "application/octet-stream");
    });
    server.http.set_tcp_nodelay(true); // no Nagle stalls on reused connections
    server.start();

    QTemporaryDir dir;
    const QString bigUrl = server.url(QStringLiteral("/big"));
    const QString bigFile = dir.filePath(QStringLiteral("big.bin"));
    QStringList smallUrls;
    QStringList curlConfig;
    for (int i = 0; i < SmallCount; ++i) {
        smallUrls << server.url(QStringLiteral("/small/%1").arg(i));
        curlConfig << QStringLiteral("url = \"%1\"\noutput = \"%2\"").arg(smallUrls.last(), dir.filePath(QStringLiteral("c%1").arg(i)));
    }
    const QString configPath = dir.filePath(QStringLiteral("curl.cfg"));
    {
        QFile config(configPath);
        config.open(QIODevice::WriteOnly);
        config.write(curlConfig.join(QLatin1Char('\n')).toUtf8());
    }

    const auto clientBig = [&] {
        HttpClient client;
        client.setTimeout(60000);
        return client.getToFile(bigUrl, bigFile) && QFileInfo(bigFile).size() == BigSize;
    };
    const auto streamBig = [&] {
        HttpStream stream(QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Win32)"), 60000);
        if (!stream.open(bigUrl))
            return false;
        char buffer[1024];
        qint64 total = 0;
        for (qint64 n; (n = stream.read(buffer, sizeof buffer)) > 0;)
            total += n;
        return total == BigSize;
    };
    const auto clientSmall = [&] {
        for (int i = 0; i < SmallCount; ++i) {
            HttpClient client; // a fresh client per request, as the pools do
            client.setTimeout(60000);
            if (!client.getToFile(smallUrls.at(i), dir.filePath(QStringLiteral("h%1").arg(i))))
                return false;
        }
        return true;
    };

    std::printf("best of %d runs; loopback server in this process\n", repeats);
    const double ourBig = BestSeconds(repeats, clientBig);
    const double curlBig = BestSeconds(repeats, [&] { return Curl({"-sS", "-o", bigFile, bigUrl}); });
    Report("200 MB file", ourBig, curlBig);
    const double ourSmall = BestSeconds(repeats, clientSmall);
    const double curlSmall = BestSeconds(repeats, [&] { return Curl({"-sS", "-K", configPath}); });
    Report("500 files of 20 KB", ourSmall, curlSmall);
    const double streamed = BestSeconds(repeats, streamBig);
    std::printf("%-22s HttpStream %8.3f s   (1024-byte reads)\n", "200 MB stream", streamed);

    const auto intoMemory = [&] {
        HttpClient client; // the control: a body kept in memory must show up
        return client.get(server.url(QStringLiteral("/big"))) && client.body().size() == BigSize;
    };
    std::printf("resident before: %lld KB\n", static_cast<long long>(StatusKb("VmRSS:")));
    std::printf("peak memory growth: 200 MB to file %lld KB, 200 MB streamed %lld KB, "
                "control 200 MB into memory %lld KB\n",
                static_cast<long long>(PeakGrowthKb(clientBig)), static_cast<long long>(PeakGrowthKb(streamBig)),
                static_cast<long long>(PeakGrowthKb(intoMemory)));
    server.stop();
    return 0;
}
