#include "browser_test_support.h"
#include "platform/browser/web_engine_browser.h"
#include "platform/http/http_client.h"
#include "test_site.h"

#include <QApplication>
#include <QDialog>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace brindle;
using namespace brindle::test;

namespace {

class WebEngineBrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        TestSite::shared();
        UseTestPacing();
    }
    void SetUp() override { site.clearRequests(); }

    // Navigates and waits until the document is complete and the browser rests.
    bool load(const QString &address)
    {
        bool complete = false;
        const auto c = QObject::connect(&browser, &Browser::documentComplete, [&] { complete = true; });
        browser.Navigate(address);
        const bool ok = WaitUntil([&] { return complete && !browser.Busy(); });
        QObject::disconnect(c);
        return ok;
    }

    QString html()
    {
        return browser.DocumentHtml().value_or(QString());
    }

    // Runs a script of the program's own in the page and returns its result.
    QVariant run(const QString &script)
    {
        QVariant result;
        bool done = false;
        browser.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(WaitUntil([&] { return done; }));
        return result;
    }

    TestSite &site = TestSite::shared();
    WebEngineBrowser browser{QString()};
};

} // namespace

TEST_F(WebEngineBrowserTest, LoadsAPageWithoutItsPicturesAndReportsItsState)
{
    EXPECT_FALSE(browser.HasDocument());
    EXPECT_EQ(browser.ReadyState(), Browser::ReadyStateUninitialized);
    EXPECT_TRUE(browser.LocationURL().isEmpty());
    EXPECT_FALSE(browser.DocumentHtml().has_value());

    QList<int> events;
    QObject::connect(&browser, &Browser::downloadBegin, [&] { events.append(1); });
    QObject::connect(&browser, &Browser::navigateComplete, [&] { events.append(2); });
    QObject::connect(&browser, &Browser::downloadComplete, [&] { events.append(3); });
    QObject::connect(&browser, &Browser::documentComplete, [&] { events.append(4); });

    browser.Navigate(site.url(QStringLiteral("/pictures")));
    EXPECT_TRUE(browser.Busy());
    EXPECT_EQ(browser.ReadyState(), Browser::ReadyStateLoading);
    ASSERT_TRUE(WaitUntil([&] { return events.contains(4) && !browser.Busy(); }));

    EXPECT_EQ(events, (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(browser.ReadyState(), Browser::ReadyStateComplete);
    EXPECT_EQ(browser.LocationURL(), site.url(QStringLiteral("/pictures")));
    EXPECT_TRUE(html().contains(QLatin1String("<p>text</p>")));
    EXPECT_EQ(browser.FormCount(), 0);
    EXPECT_TRUE(site.requests("/pic.png").empty());
}

TEST_F(WebEngineBrowserTest, BackAndForwardFollowTheHistoryAndAnnounceTheirState)
{
    QList<QPair<Browser::Command, bool>> states;
    QObject::connect(&browser, &Browser::commandStateChange,
                     [&](Browser::Command command, bool enabled) { states.append({command, enabled}); });
    const QString first = site.url(QStringLiteral("/page?n=1"));
    const QString second = site.url(QStringLiteral("/page?n=2"));
    ASSERT_TRUE(load(first));
    ASSERT_TRUE(load(second));
    EXPECT_EQ(states, (QList<QPair<Browser::Command, bool>>{{Browser::Command::NavigateBack, true}}));

    browser.GoBack();
    ASSERT_TRUE(WaitUntil([&] { return browser.LocationURL() == first && !browser.Busy(); }));
    browser.GoBack(); // nothing before the first page: nothing happens
    EXPECT_FALSE(browser.Busy());
    browser.GoForward();
    ASSERT_TRUE(WaitUntil([&] { return browser.LocationURL() == second && !browser.Busy(); }));
    EXPECT_TRUE(states.contains({Browser::Command::NavigateForward, true}));
    EXPECT_EQ(states.last(), qMakePair(Browser::Command::NavigateForward, false));
}

TEST_F(WebEngineBrowserTest, ServerRedirectsAreFollowedInBothModes)
{
    for (DownloadControl mode : {DownloadControl::LoginMode, DownloadControl::BrowseMode}) {
        browser.SetDownloadControl(mode);
        ASSERT_TRUE(load(site.url(QStringLiteral("/redirect"))));
        EXPECT_EQ(browser.LocationURL(), site.url(QStringLiteral("/page?from=redirect"))) << int(mode);
        EXPECT_TRUE(html().contains(QLatin1String("query from=redirect"))) << int(mode);
    }
}

TEST_F(WebEngineBrowserTest, RefreshMetaTagIsFollowedOnlyOnPagesLoadedInLoginMode)
{
    const struct Case {
        DownloadControl loadedIn;
        DownloadControl afterwards; // set while the page waits to refresh itself
        int delay;
        bool followed;
    } cases[] = {
        {DownloadControl::LoginMode, DownloadControl::LoginMode, 0, true},
        {DownloadControl::BrowseMode, DownloadControl::BrowseMode, 0, false},
        {DownloadControl::LoginMode, DownloadControl::BrowseMode, 1, true},
        {DownloadControl::BrowseMode, DownloadControl::LoginMode, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        site.clearRequests();
        browser.SetDownloadControl(c.loadedIn);
        ASSERT_TRUE(load(site.url(QStringLiteral("/refresh?delay=%1").arg(c.delay))));
        browser.SetDownloadControl(c.afterwards);
        const QString target = site.url(QStringLiteral("/page?from=refresh"));
        const bool arrived = WaitUntil([&] { return browser.LocationURL() == target && !browser.Busy(); },
                                       c.followed ? 10000 : 1000 * c.delay + 1500);
        EXPECT_EQ(arrived, c.followed);
        EXPECT_EQ(site.requests("/page").size(), c.followed ? 1u : 0u);
    }
}

TEST_F(WebEngineBrowserTest, FormsAreReadFilledAndSubmittedWhilePageScriptsAreOff)
{
    ASSERT_TRUE(load(site.url(QStringLiteral("/signin"))));
    EXPECT_EQ(browser.FormCount(), 1);
    const QList<FormElement> elements = browser.FormElements();
    ASSERT_EQ(elements.size(), 5);
    const QStringList names{"login", "persistent", "pic", "go", ".save"};
    for (int i = 0; i < elements.size(); ++i) {
        EXPECT_EQ(elements[i].form, 0);
        EXPECT_EQ(elements[i].index, i);
        EXPECT_EQ(elements[i].name, names[i]);
        EXPECT_EQ(elements[i].tagName, QStringLiteral("INPUT"));
    }
    EXPECT_TRUE(elements[1].checked);
    EXPECT_EQ(elements[3].value, QStringLiteral(" Sign In "));

    const QString awkward = QStringLiteral("ann \"x\" <y> \\ ';");
    EXPECT_TRUE(browser.SetElementValue(0, 0, awkward));
    EXPECT_TRUE(browser.SetElementChecked(0, 1, false));
    EXPECT_FALSE(browser.ClickElement(0, 9));
    EXPECT_FALSE(browser.ClickElement(3, 0));
    EXPECT_TRUE(browser.ClickElement(0, 3));
    ASSERT_TRUE(WaitUntil([&] { return browser.LocationURL().contains(QLatin1String("/welcome")) && !browser.Busy(); }));

    const auto sent = site.requests("/welcome");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(QString::fromStdString(sent[0].params.at("login")), awkward);
    EXPECT_EQ(sent[0].params.count("persistent"), 0u);
    EXPECT_EQ(sent[0].params.at("go"), " Sign In ");
    EXPECT_EQ(sent[0].params.count(".save"), 0u);
}

TEST_F(WebEngineBrowserTest, PageScriptsDoNotRunAndScriptDialogsAreNeverShown)
{
    ASSERT_TRUE(load(site.url(QStringLiteral("/script"))));
    const QString text = run(QStringLiteral("document.body.innerText")).toString();
    EXPECT_TRUE(text.contains(QLatin1String("static")));
    EXPECT_FALSE(text.contains(QLatin1String("scripted")));

    // Were a dialog shown, these calls would wait for it forever.
    const QVariantList answers = run(QStringLiteral("[alert('a'), confirm('b'), prompt('c', 'd')]")).toList();
    ASSERT_EQ(answers.size(), 3);
    EXPECT_FALSE(answers[1].toBool());
    EXPECT_TRUE(answers[2].isNull());
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QDialog *>(w), nullptr);
}

TEST_F(WebEngineBrowserTest, ScriptErrorsAreLogged)
{
    LogCapture log;
    QStringList reported;
    QObject::connect(&browser, &Browser::scriptError, [&](const QString &, const QString &message) {
        reported.append(message);
    });
    ASSERT_TRUE(load(site.url(QStringLiteral("/page"))));
    run(QStringLiteral("throw new Error('boom')"));
    ASSERT_TRUE(WaitUntil([&] { return !reported.isEmpty(); }));
    EXPECT_TRUE(reported[0].contains(QLatin1String("boom")));
    const QStringList lines = log.lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith(QLatin1String(" Error In Script : ")));
    EXPECT_TRUE(lines.last().contains(QLatin1String("boom")));
}

TEST_F(WebEngineBrowserTest, NewWindowsArePermittedAndLogged)
{
    LogCapture log;
    int opened = 0;
    QObject::connect(&browser, &Browser::newWindow, [&] { ++opened; });
    ASSERT_TRUE(load(site.url(QStringLiteral("/popup"))));
    ASSERT_TRUE(browser.ClickElement(0, 0));
    ASSERT_TRUE(WaitUntil([&] { return opened == 1 && !site.requests("/page").empty(); }));
    EXPECT_EQ(log.count(QStringLiteral("In new Windows2 procedure")), 1);
    ASSERT_EQ(browser.newWindows().size(), 1);
    browser.closeNewWindows();
    EXPECT_TRUE(browser.newWindows().isEmpty());
    EXPECT_EQ(browser.LocationURL(), site.url(QStringLiteral("/popup")));
}

TEST_F(WebEngineBrowserTest, CookiesAreSharedWithFileTransfersAndDroppedBySessionEndAndCacheClearing)
{
    ASSERT_TRUE(load(site.url(QStringLiteral("/cookies"))));
    using Cookies = std::set<std::string>;
    const auto parse = [](const std::string &header) {
        Cookies cookies;
        for (size_t from = 0; from < header.size();) {
            const size_t end = std::min(header.find("; ", from), header.size());
            cookies.insert(header.substr(from, end - from));
            from = end + 2;
        }
        return cookies;
    };
    const auto browserSends = [&] {
        site.clearRequests();
        EXPECT_TRUE(load(site.url(QStringLiteral("/page"))));
        const auto r = site.requests("/page");
        return r.empty() ? Cookies{"(none)"} : parse(r.back().cookie);
    };
    const auto transferSends = [&] {
        site.clearRequests();
        HttpClient client;
        EXPECT_TRUE(client.get(site.url(QStringLiteral("/welcome"))));
        const auto r = site.requests("/welcome");
        return r.empty() ? Cookies{"(none)"} : parse(r.back().cookie);
    };
    const Cookies both{"keep=k1", "session=s1"};

    EXPECT_EQ(browserSends(), both);
    // The browser's store reports its cookies a moment later; the transfers follow then.
    EXPECT_TRUE(WaitUntil([&] { return transferSends() == both; }));

    browser.EndSession();
    EXPECT_EQ(browserSends(), Cookies{"keep=k1"});
    EXPECT_EQ(transferSends(), Cookies{"keep=k1"});

    browser.ClearCache();
    EXPECT_EQ(browserSends(), Cookies{});
    EXPECT_EQ(transferSends(), Cookies{});
}

TEST_F(WebEngineBrowserTest, FirstPageIsTheGroupSiteReachedThroughTheEnvironmentsProxy)
{
    WebEngineBrowser fresh;
    EXPECT_EQ(fresh.CurrentDownloadControl(), DownloadControl::LoginMode);
    ASSERT_TRUE(WaitUntil([&] { return fresh.HasDocument() && !fresh.Busy(); }));
    EXPECT_EQ(fresh.LocationURL(), QStringLiteral("http://groups.yahoo.com/"));
    const auto seen = site.requests("/");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].host, "groups.yahoo.com");
    EXPECT_TRUE(fresh.DocumentHtml().value_or(QString()).contains(QLatin1String("host groups.yahoo.com")));
}

TEST_F(WebEngineBrowserTest, NavigationThatNeverStartsStopsCountingAsBusy)
{
    const auto saved = CurrentPacing().navigationStartLimit;
    CurrentPacing().navigationStartLimit = std::chrono::milliseconds(300);
    browser.Navigate(QStringLiteral("http://"));
    EXPECT_TRUE(browser.Busy());
    EXPECT_TRUE(WaitUntil([&] { return !browser.Busy(); }, 5000));
    CurrentPacing().navigationStartLimit = saved;
}
