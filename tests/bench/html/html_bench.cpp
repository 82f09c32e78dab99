// Throughput of reading large pages: run build/bin/html_bench.
#include "platform/html/html_page.h"

#include <benchmark/benchmark.h>

using namespace brindle;

namespace {

constexpr qsizetype kPageBytes = 20 * 1000 * 1000;

// A message list page grown to the wanted size: table rows with links, text,
// character references and some sloppy markup.
QString MessageListPage(qsizetype bytes)
{
    QString page = "<!DOCTYPE html><html><head><title>foo</title></head><body><table class=\"datatable\">";
    for (int n = 1; page.size() < bytes; ++n) {
        const QString number = QString::number(n);
        page += "<tr class=\"msg\"><td class=\"subject\"><a href=\"/group/foo/message/" + number + "\">Re: question " +
                number + " &amp; answer</a></td><td class=\"author\"><a href=/group/foo/post?act=reply&amp;messageNum=" +
                number + ">sender" + number + "</a><td>Mon Jan 5, 2004 10:23 am<br>\n<img src=\"/img/" + number +
                ".gif\"> caf\u00e9 \u65e5\u672c</td></tr>\n";
    }
    return page + "</table></body></html>";
}

// The same kind of content, each row nested as deep as a browser allows.
QString DeeplyNestedPage(qsizetype bytes)
{
    QString page = "<html><body>";
    for (int i = 0; i < 500; ++i)
        page += "<div>";
    for (int n = 1; page.size() < bytes; ++n)
        page += "<p><a href=\"/group/foo/message/" + QString::number(n) + "\">message</a> text</p>\n";
    return page;
}

const QString &Page()
{
    static const QString page = MessageListPage(kPageBytes);
    return page;
}

void Report(benchmark::State &state, const QString &page, qsizetype found)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * page.toUtf8().size());
    state.counters["found"] = double(found);
}

void BM_LinkTargets(benchmark::State &state)
{
    const QString &page = Page();
    qsizetype found = 0;
    for (auto _ : state)
        found = HtmlPage(page).LinkTargets().size();
    Report(state, page, found);
}

void BM_LinkTargetsDeepNesting(benchmark::State &state)
{
    static const QString page = DeeplyNestedPage(kPageBytes);
    qsizetype found = 0;
    for (auto _ : state)
        found = HtmlPage(page).LinkTargets().size();
    Report(state, page, found);
}

void BM_Items(benchmark::State &state)
{
    const QString &page = Page();
    qsizetype found = 0;
    for (auto _ : state)
        found = HtmlPage(page).Items().size();
    Report(state, page, found);
}

void BM_TableCells(benchmark::State &state)
{
    const QString &page = Page();
    qsizetype found = 0;
    for (auto _ : state)
        found = HtmlPage(page).TableCells().size();
    Report(state, page, found);
}

} // namespace

BENCHMARK(BM_LinkTargets)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LinkTargetsDeepNesting)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Items)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TableCells)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
