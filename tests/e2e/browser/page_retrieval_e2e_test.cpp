#include "browser_test_support.h"
#include "platform/browser/web_engine_browser.h"
#include "platform/dispatcher/dispatcher.h"
#include "site/retrieval/browser_page_access.h"
#include "site/retrieval/page_retrieval.h"
#include "test_site.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace brindle;
using namespace brindle::test;

namespace {

class PageRetrievalE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestSite::shared(); }
    void SetUp() override
    {
        UseTestPacing();
        site.clearRequests();
    }

    bool open(const QString &path, QStringList &lines) { return retrieval.OpenURL(site.url(path), lines); }

    static bool has(const QStringList &lines, const char *text)
    {
        return lines.join(QLatin1Char('\n')).contains(QLatin1String(text));
    }

    TestSite &site = TestSite::shared();
    WebEngineBrowser browser{QString()};
    PageRetrieval retrieval{browser};
    LogCapture log;
};

} // namespace

TEST_F(PageRetrievalE2eTest, OpenURLCopiesTheLoadedPageIntoLines)
{
    QStringList lines;
    ASSERT_TRUE(open(QStringLiteral("/page?n=1"), lines));
    EXPECT_TRUE(lines.contains(QStringLiteral("<p>path /page</p>")));
    EXPECT_TRUE(lines.contains(QStringLiteral("<p>query n=1</p>")));
    const QString address = site.url(QStringLiteral("/page?n=1"));
    EXPECT_EQ(log.lines().mid(0, 4), (QStringList{"Entering frmMain.OpenURL= " + address, "Entering Delay -1",
                                                  "Exiting Delay -1", "Before READYSTATE_COMPLETE"}));
    EXPECT_EQ(log.count(QStringLiteral("Ready State is still not in ready state")), 0);
    EXPECT_EQ(log.count(QStringLiteral("In Last Retry Ready State is still not in ready state")), 0);
}

TEST_F(PageRetrievalE2eTest, OpenURLOfTheAddressAlreadyShownLoadsItOnce)
{
    QStringList lines;
    ASSERT_TRUE(open(QStringLiteral("/page?n=2"), lines));
    site.clearRequests();
    lines.clear();
    EXPECT_TRUE(open(QStringLiteral("/page?n=2"), lines));
    EXPECT_TRUE(has(lines, "query n=2"));
    EXPECT_EQ(site.requests("/page").size(), 1u);
    EXPECT_EQ(log.count(QStringLiteral("Tries Exceeded...")), 0);
}

TEST_F(PageRetrievalE2eTest, NavigationThatNeverLeavesTheOldAddressGivesUpAfterSevenTries)
{
    QStringList lines;
    ASSERT_TRUE(open(QStringLiteral("/page"), lines));
    EXPECT_FALSE(open(QStringLiteral("/nocontent"), lines));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(site.requests("/nocontent").size(), 7u);
    EXPECT_EQ(log.count(QStringLiteral("Tries Exceeded...")), 1);
    EXPECT_EQ(browser.LocationURL(), site.url(QStringLiteral("/page")));
}

TEST_F(PageRetrievalE2eTest, ClickAndWaitFindsTheButtonByCaptionOrNameAndReadsTheResult)
{
    const struct Case {
        const char *order;
        const char *name;
        const char *caption;
        const char *sent; // the button that went with the form, empty: none clicked
    } cases[] = {
        {"caption-first", ".save", "Sign In", "go"},
        {"name-first", ".save", "Sign In", ".save"},
        {"caption-first", "nothing", "  sign in", "go"},
        {"caption-first", " .SAVE ", "", ".save"},
        {"caption-first", "nothing", "nothing", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.order << " " << c.name << " / " << c.caption);
        QStringList lines;
        ASSERT_TRUE(open(QStringLiteral("/signin?order=%1").arg(QLatin1String(c.order)), lines));
        site.clearRequests();
        const bool clicked = retrieval.ClickAndWait(QString::fromLatin1(c.name), QString::fromLatin1(c.caption), lines);
        const auto sent = site.requests("/welcome");
        if (*c.sent) {
            EXPECT_TRUE(clicked);
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].params.count(c.sent), 1u);
            EXPECT_TRUE(has(lines, "path /welcome"));
        } else {
            EXPECT_FALSE(clicked);
            EXPECT_TRUE(sent.empty());
            EXPECT_TRUE(has(lines, "login_form"));
        }
    }
    EXPECT_EQ(log.count(QStringLiteral("After step -9 ")), 5);
}

TEST_F(PageRetrievalE2eTest, PageWithoutAFormMakesTheClickFalse)
{
    QStringList lines;
    ASSERT_TRUE(open(QStringLiteral("/noform"), lines));
    EXPECT_FALSE(retrieval.ClickFormButton(QStringLiteral(".save"), QStringLiteral("Sign In")));
    EXPECT_FALSE(retrieval.ClickAndWait(QStringLiteral(".save"), QStringLiteral("Sign In"), lines));
    EXPECT_TRUE(has(lines, "nothing to click"));
}

TEST_F(PageRetrievalE2eTest, DocumentThatNeverCompletesIsStoppedAndReadAfterTheWaitLimit)
{
    QStringList lines;
    ASSERT_TRUE(open(QStringLiteral("/page?n=3"), lines));
    CurrentPacing().pageWaitLimit = std::chrono::milliseconds(400);
    EXPECT_TRUE(open(QStringLiteral("/slow?ms=2500"), lines));
    EXPECT_EQ(log.count(QStringLiteral("In Last Retry Ready State is still not in ready state")), 2);
    EXPECT_FALSE(browser.Busy());
    EXPECT_TRUE(has(lines, "query n=3"));
}

TEST_F(PageRetrievalE2eTest, RefreshMetaTagIsFollowedAfterALoginOnly)
{
    QStringList lines;
    retrieval.BrowseMode();
    ASSERT_TRUE(open(QStringLiteral("/refresh"), lines));
    EXPECT_TRUE(has(lines, "refreshing"));
    retrieval.LoginMode();
    ASSERT_TRUE(retrieval.NavigateAndRead(site.url(QStringLiteral("/refresh")), lines));
    EXPECT_TRUE(WaitUntil([&] { return browser.LocationURL().endsWith(QLatin1String("/page?from=refresh")); }));
    retrieval.BrowseMode();
}

TEST_F(PageRetrievalE2eTest, WorkerFetchesPagesWhileTheMainThreadKeepsProcessingEvents)
{
    QtDispatcher dispatcher;
    BrowserPageAccess access(retrieval, dispatcher);
    QList<DownloadControl> modesDuringCheck;
    retrieval.SetLoginCheck([&] { modesDuringCheck.append(browser.CurrentDownloadControl()); });

    std::atomic<bool> done{false};
    bool fetched[3] = {};
    QStringList pages[3];
    bool clicked = false;
    QStringList afterClick;
    QString location;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            fetched[i] = access.FetchPageSync(site.url(QStringLiteral("/page?n=%1").arg(10 + i)), pages[i]);
        QStringList form;
        access.FetchPageSync(site.url(QStringLiteral("/signin")), form);
        clicked = access.ClickSync(QStringLiteral(".save"), QStringLiteral("Sign In"), afterClick);
        location = access.LocationURL();
        done = true;
    });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    const bool finished = WaitUntil([&] { return done.load(); }, 60000);
    worker.join();
    ASSERT_TRUE(finished);

    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(fetched[i]);
        EXPECT_TRUE(pages[i].contains(QStringLiteral("<p>query n=%1</p>").arg(10 + i)));
    }
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(has(afterClick, "path /welcome"));
    EXPECT_TRUE(location.contains(QLatin1String("/welcome?")));
    EXPECT_EQ(modesDuringCheck, QList<DownloadControl>(4, DownloadControl::LoginMode));
    EXPECT_EQ(browser.CurrentDownloadControl(), DownloadControl::BrowseMode);
    EXPECT_GT(ticks, 5); // the main thread's timers kept running during the fetches
}
