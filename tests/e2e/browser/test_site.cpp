#include "test_site.h"

#include <QByteArray>
#include <QtGlobal>

#include <httplib.h>

#include <mutex>
#include <thread>

namespace brindle::test {

namespace {

const char kHtml[] = "text/html";

std::string Page(const std::string &title, const std::string &body)
{
    return "<html><head><title>" + title + "</title></head><body>\n" + body + "\n</body></html>\n";
}

std::string LocalPath(const httplib::Request &req)
{
    std::string path = req.path;
    const auto scheme = path.find("://");
    if (scheme != std::string::npos) {
        const auto slash = path.find('/', scheme + 3);
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }
    return path;
}

std::string Host(const httplib::Request &req)
{
    std::string host = req.get_header_value("Host");
    const auto colon = host.find(':');
    return colon == std::string::npos ? host : host.substr(0, colon);
}

std::string SignInForm(const std::string &order)
{
    const std::string signIn = "<input type=\"submit\" name=\"go\" value=\" Sign In \">\n";
    const std::string save = "<input type=\"submit\" name=\".save\" value=\"Save\">\n";
    return Page("Sign in",
                "<form name=\"login_form\" action=\"/welcome\" method=\"get\">\n"
                "<input type=\"text\" name=\"login\" value=\"\">\n"
                "<input type=\"checkbox\" name=\"persistent\" value=\"y\" checked>\n"
                "<input type=\"image\" name=\"pic\" src=\"/pic.png\">\n" +
                    (order == "name-first" ? save + signIn : signIn + save) + "</form>");
}

} // namespace

struct TestSite::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;
    std::vector<Request> seen;

    void record(const httplib::Request &req, const std::string &path)
    {
        Request r{Host(req), path, {}, req.get_header_value("Cookie")};
        for (const auto &[k, v] : req.params)
            r.params[k] = v;
        std::lock_guard lock(mutex);
        seen.push_back(std::move(r));
    }

    void serve(const httplib::Request &req, httplib::Response &res)
    {
        const std::string path = LocalPath(req);
        record(req, path);
        const auto param = [&](const char *name, const std::string &fallback) {
            return req.has_param(name) ? req.get_param_value(name) : fallback;
        };
        if (path == "/" || path == "/page" || path == "/welcome") {
            std::string query;
            for (const auto &[k, v] : req.params)
                query += " " + k + "=" + v;
            res.set_content(Page("Page", "<p>host " + Host(req) + "</p>\n<p>path " + path + "</p>\n<p>query" + query +
                                             "</p>"),
                            kHtml);
        } else if (path == "/signin") {
            res.set_content(SignInForm(param("order", "caption-first")), kHtml);
        } else if (path == "/noform") {
            res.set_content(Page("No form", "<p>nothing to click</p>"), kHtml);
        } else if (path == "/nocontent") {
            res.status = 204;
        } else if (path == "/redirect") {
            res.set_redirect("/page?from=redirect");
        } else if (path == "/refresh") {
            res.set_content("<html><head><meta http-equiv=\"REFRESH\" content=\"" + param("delay", "0") +
                                ";url=/page?from=refresh\"></head><body>\n<p>refreshing</p>\n</body></html>",
                            kHtml);
        } else if (path == "/pictures") {
            res.set_content(Page("Pictures", "<img src=\"/pic.png\">\n<p>text</p>"), kHtml);
        } else if (path == "/pic.png") {
            res.set_content("not really a picture", "image/png");
        } else if (path == "/script") {
            res.set_content(Page("Script", "<script>alert('hello'); confirm('sure?'); "
                                           "document.write('scripted');</script>\n<p>static</p>"),
                            kHtml);
        } else if (path == "/cookies") {
            res.set_header("Set-Cookie", "session=s1; Path=/");
            res.headers.emplace("Set-Cookie", "keep=k1; Path=/; Max-Age=3600");
            res.set_content(Page("Cookies", "<p>cookies set</p>"), kHtml);
        } else if (path == "/popup") {
            res.set_content(Page("Popup", "<form action=\"/page\" target=\"_blank\">"
                                          "<input type=\"submit\" name=\"open\" value=\"Open\"></form>"),
                            kHtml);
        } else if (path == "/slow") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(param("ms", "1000"))));
            res.set_content(Page("Slow", "<p>slow page</p>"), kHtml);
        } else if (path == "/big") {
            const int kb = std::stoi(param("kb", "1024"));
            std::string body;
            body.reserve(size_t(kb) * 1024 + 64);
            for (int i = 0; body.size() < size_t(kb) * 1024; ++i)
                body += "<p>line " + std::to_string(i) + " of a long page with some text in it</p>\n";
            res.set_content(Page("Big", body), kHtml);
        } else {
            res.status = 404;
            res.set_content(Page("Not found", "<p>not found</p>"), kHtml);
        }
    }
};

TestSite::TestSite()
    : d(std::make_unique<Impl>())
{
    d->server.Get(".*", [this](const httplib::Request &req, httplib::Response &res) { d->serve(req, res); });
    d->port = d->server.bind_to_any_port("127.0.0.1");
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
}

TestSite::~TestSite()
{
    d->server.stop();
    d->thread.join();
}

int TestSite::port() const
{
    return d->port;
}

QString TestSite::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(path);
}

std::vector<TestSite::Request> TestSite::requests(const std::string &path) const
{
    std::lock_guard lock(d->mutex);
    std::vector<Request> out;
    for (const auto &r : d->seen)
        if (r.path == path)
            out.push_back(r);
    return out;
}

void TestSite::clearRequests()
{
    std::lock_guard lock(d->mutex);
    d->seen.clear();
}

TestSite &TestSite::shared()
{
    static TestSite site;
    static const bool proxySet = [] {
        qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(site.port()).toUtf8());
        qunsetenv("no_proxy");
        return true;
    }();
    (void)proxySet;
    return site;
}

} // namespace brindle::test
