#include "common/app_folders.h"
#include "settings/options/download_options.h"
#include "site/retrieval/general_utils.h"
#include "support/fake_page_access.h"

#include <QFile>
#include <gtest/gtest.h>
#include <httplib.h>

#include <cerrno>
#include <thread>

using namespace brindle;

namespace {

class HttpGetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.Get("/text", [this](const httplib::Request &req, httplib::Response &res) {
            referrer = req.get_header_value("Referer");
            res.set_content("caf\xC3\xA9 page", "text/html; charset=utf-8");
        });
        server.Get("/missing", [](const httplib::Request &, httplib::Response &res) {
            res.status = 404;
            res.set_content("gone", "text/plain");
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
    }
    void TearDown() override
    {
        server.stop();
        thread.join();
    }
    QString url(const char *path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path)); }

    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::string referrer;
    TYahooDownloadOptions options;
    TGeneralUtils utils{&options};
};

} // namespace

TEST_F(HttpGetTest, HandsBackBodyAndErrorCode)
{
    int code = -1;
    QString body;
    EXPECT_TRUE(utils.HttpGet(QStringLiteral("  ") + url("/text") + QStringLiteral(" \r\n"),
                              QStringLiteral("http://groups.yahoo.com/group/g/"), code, body));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(body, QStringLiteral("caf\u00e9 page"));
    EXPECT_EQ(referrer, "http://groups.yahoo.com/group/g/");

    EXPECT_FALSE(utils.HttpGet(url("/missing"), QString(), code, body));
    EXPECT_EQ(code, 404);
    EXPECT_EQ(body, QStringLiteral("gone"));

    server.stop();
    thread.join();
    thread = std::thread([] {});
    EXPECT_FALSE(utils.HttpGet(url("/text"), QString(), code, body));
    EXPECT_EQ(code, ECONNREFUSED);
}

TEST(GeneralUtils, BrowserHostIsTheHostOfTheCurrentAddress)
{
    EXPECT_TRUE(TGeneralUtils().BrowserHost().isEmpty());
    test::FakePageAccess pages;
    pages.location = QStringLiteral("http://uk.groups.yahoo.com/group/g/photos?b=1");
    EXPECT_EQ(TGeneralUtils(nullptr, &pages).BrowserHost(), QStringLiteral("uk.groups.yahoo.com"));
}

TEST(GeneralUtils, DumpsOnlyWhileDebuggingDownloads)
{
    TYahooDownloadOptions options;
    TGeneralUtils utils(&options);
    const QString path = DebugFolder() + QStringLiteral("lines.html");
    utils.DumpLines(QStringLiteral("lines.html"), {QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_FALSE(QFile::exists(path));

    options.boolDebugDownloads = true;
    utils.DumpLines(QStringLiteral("lines.html"), {QStringLiteral("a"), QStringLiteral("b")});
    utils.DumpText(QStringLiteral("text.html"), QStringLiteral("t"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a\r\nb\r\n"));
    EXPECT_TRUE(QFile::exists(DebugFolder() + QStringLiteral("text.html")));
}
