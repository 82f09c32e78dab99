// Cost of OpenURL with every fixed wait at zero: navigation, load, HTML read back
// and split into lines, on a loopback page. Run build/bin/open_url_bench.
#include "common/pacing.h"
#include "platform/browser/browser_environment.h"
#include "platform/browser/web_engine_browser.h"
#include "platform/http/http_client.h"
#include "site/retrieval/page_retrieval.h"
#include "support/test_env.h"
#include "test_site.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace brindle;

namespace {

void BM_OpenURL(benchmark::State &state)
{
    test::TestSite &site = test::TestSite::shared();
    WebEngineBrowser browser{QString()};
    PageRetrieval retrieval(browser);
    const int kb = int(state.range(0));
    QStringList lines;
    qint64 bytes = 0;
    int n = 0;
    for (auto _ : state) {
        // A new query each time, so every page really is loaded and read.
        const QString address = site.url(QStringLiteral("/big?kb=%1&n=%2").arg(kb).arg(++n));
        if (!retrieval.OpenURL(address, lines) || lines.size() < 10) {
            state.SkipWithError("page not read");
            break;
        }
        for (const QString &line : std::as_const(lines))
            bytes += line.size() + 1;
    }
    state.SetBytesProcessed(bytes);
    state.counters["lines"] = double(lines.size());
}
BENCHMARK(BM_OpenURL)->Arg(16)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The parts of it: the load alone, and reading the loaded document's HTML back.
void BM_LoadOnly(benchmark::State &state)
{
    test::TestSite &site = test::TestSite::shared();
    WebEngineBrowser browser{QString()};
    bool complete = false;
    QObject::connect(&browser, &Browser::documentComplete, [&] { complete = true; });
    int n = 0;
    for (auto _ : state) {
        complete = false;
        browser.Navigate(site.url(QStringLiteral("/big?kb=%1&n=%2").arg(state.range(0)).arg(++n)));
        while (!complete || browser.Busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
BENCHMARK(BM_LoadOnly)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_DocumentHtml(benchmark::State &state)
{
    test::TestSite &site = test::TestSite::shared();
    WebEngineBrowser browser{QString()};
    PageRetrieval retrieval(browser);
    QStringList lines;
    retrieval.OpenURL(site.url(QStringLiteral("/big?kb=%1").arg(state.range(0))), lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(browser.DocumentHtml());
}
BENCHMARK(BM_DocumentHtml)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The loopback site alone serving the same page, for comparison.
void BM_SiteOnly(benchmark::State &state)
{
    test::TestSite &site = test::TestSite::shared();
    int n = 0;
    for (auto _ : state) {
        HttpClient client;
        client.get(site.url(QStringLiteral("/big?kb=%1&n=%2").arg(state.range(0)).arg(++n)));
    }
}
BENCHMARK(BM_SiteOnly)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace

int main(int argc, char **argv)
{
    test::UseTemporaryHome();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                QByteArray("--disable-gpu --disable-background-networking --disable-component-update"));
    PrepareBrowserEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    CurrentPacing() = Pacing::scaled(0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
