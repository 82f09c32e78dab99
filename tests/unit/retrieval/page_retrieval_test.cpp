#include "common/log.h"
#include "common/pacing.h"
#include "fake_browser.h"
#include "platform/dispatcher/dispatcher.h"
#include "site/retrieval/browser_page_access.h"
#include "site/retrieval/page_retrieval.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace brindle;
using brindle::test::FakeBrowser;

namespace {

class RetrievalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentPacing() = Pacing::scaled(0.01);
        SetLogSink([this](const QString &text) { log.append(text); });
        browser.pages.insert(QStringLiteral("http://a/"), QStringLiteral("<html>\r\n<p>a</p>\n</html>\n"));
        browser.pages.insert(QStringLiteral("http://b/"), QStringLiteral("<html><p>b</p></html>"));
    }
    void TearDown() override { SetLogSink({}); }

    FakeBrowser browser;
    PageRetrieval retrieval{browser};
    QStringList log;
};

FormElement Element(int form, int index, const char *name, const char *value)
{
    return FormElement{form, index, QString::fromLatin1(name), QString::fromLatin1(value), false,
                       QStringLiteral("INPUT")};
}

} // namespace

TEST_F(RetrievalTest, OpenURLCopiesTheDocumentLineByLine)
{
    QStringList lines{QStringLiteral("stale")};
    EXPECT_TRUE(retrieval.OpenURL(QStringLiteral("  http://a/ \n"), lines));
    EXPECT_EQ(lines, (QStringList{"<html>", "<p>a</p>", "</html>"}));
    EXPECT_EQ(browser.navigations, QStringList{"http://a/"});
    EXPECT_EQ(log.mid(0, 4), (QStringList{"Entering frmMain.OpenURL= http://a/", "Entering Delay -1",
                                          "Exiting Delay -1", "Before READYSTATE_COMPLETE"}));
}

TEST_F(RetrievalTest, RefusedNavigationIsTriedSevenTimesThenGivesUpWithoutLines)
{
    QStringList lines;
    ASSERT_TRUE(retrieval.OpenURL(QStringLiteral("http://a/"), lines));
    browser.navigations.clear();

    EXPECT_FALSE(retrieval.OpenURL(QStringLiteral("http://nowhere/"), lines));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(browser.navigations.size(), 7);
    EXPECT_EQ(log.count(QStringLiteral("Tries Exceeded...")), 1);
}

TEST_F(RetrievalTest, RefusedNavigationToTheShownAddressIsNotRetried)
{
    QStringList lines;
    ASSERT_TRUE(retrieval.OpenURL(QStringLiteral("http://a/"), lines));
    browser.pages.remove(QStringLiteral("http://a/"));
    browser.navigations.clear();

    EXPECT_TRUE(retrieval.OpenURL(QStringLiteral("HTTP://A/"), lines));
    EXPECT_EQ(browser.navigations.size(), 1);
    EXPECT_EQ(log.count(QStringLiteral("Tries Exceeded...")), 0);
}

TEST_F(RetrievalTest, FormClickMatchesCaptionOrNameInDocumentOrder)
{
    browser.formCount = 2;
    browser.elements = {Element(0, 0, "login", ""), Element(0, 1, ".save", "Save"), Element(1, 0, "go", " Sign In "),
                        Element(1, 1, "other", "Sign In")};
    struct Case {
        const char *name;
        const char *caption;
        bool clicked;
        QPair<int, int> element;
    } cases[] = {
        {".save", "Sign In", true, {0, 1}},  // the name matches first in document order
        {"nothing", "sign in", true, {1, 0}}, // caption trimmed, any case
        {"  .SAVE ", "", true, {0, 1}},       // name trimmed, any case
        {"", "", false, {}},                  // nothing asked for, nothing clicked
        {"x", "y", false, {}},
    };
    for (const Case &c : cases) {
        browser.clicks.clear();
        EXPECT_EQ(retrieval.ClickFormButton(QString::fromLatin1(c.name), QString::fromLatin1(c.caption)), c.clicked)
            << c.name << "/" << c.caption;
        if (c.clicked)
            EXPECT_EQ(browser.clicks, (QList<QPair<int, int>>{c.element})) << c.name << "/" << c.caption;
        else
            EXPECT_TRUE(browser.clicks.isEmpty());
    }
}

TEST_F(RetrievalTest, FormClickIsFalseWithoutFormsOrWhenTheFormsCannotBeRead)
{
    browser.elements = {Element(0, 0, ".save", "Sign In")};
    browser.formCount = 0;
    EXPECT_FALSE(retrieval.ClickFormButton(QStringLiteral(".save"), QStringLiteral("Sign In")));
    browser.formCount = 1;
    browser.throwOnForms = true;
    EXPECT_FALSE(retrieval.ClickFormButton(QStringLiteral(".save"), QStringLiteral("Sign In")));
    EXPECT_TRUE(browser.clicks.isEmpty());
}

TEST_F(RetrievalTest, ClickAndWaitReadsTheDocumentEvenWhenNothingWasClicked)
{
    QStringList lines;
    ASSERT_TRUE(retrieval.OpenURL(QStringLiteral("http://b/"), lines));
    lines = QStringList{QStringLiteral("stale")};
    EXPECT_FALSE(retrieval.ClickAndWait(QStringLiteral(".save"), QStringLiteral("Sign In"), lines));
    EXPECT_EQ(lines, QStringList{"<html><p>b</p></html>"});
    const int click = int(log.indexOf(QStringLiteral("After Button Click")));
    ASSERT_GE(click, 0);
    EXPECT_EQ(log.mid(click + 1),
              (QStringList{"Breaking on Busy", "After step -1 ", "After step -2 ", "Before READYSTATE_COMPLETE",
                           "After step -3 ", "After step -4 ", "After step -6 ", "After step -7 ", "After step -9 "}));
}

TEST_F(RetrievalTest, FetchPageSyncRunsTheLoginCheckInLoginModeAndReturnsToBrowseMode)
{
    InlineDispatcher dispatcher;
    BrowserPageAccess access(retrieval, dispatcher);
    QList<DownloadControl> modes;
    retrieval.SetLoginCheck([&] { modes.append(browser.CurrentDownloadControl()); });

    QStringList lines;
    EXPECT_TRUE(access.FetchPageSync(QStringLiteral("http://a/"), lines));
    EXPECT_EQ(lines.size(), 3);
    EXPECT_EQ(modes, QList<DownloadControl>{DownloadControl::LoginMode});
    EXPECT_EQ(browser.CurrentDownloadControl(), DownloadControl::BrowseMode);
    EXPECT_EQ(access.LocationURL(), QStringLiteral("http://a/"));
}

TEST_F(RetrievalTest, FailureInTheMainThreadGivesThePreviousResult)
{
    InlineDispatcher dispatcher;
    BrowserPageAccess access(retrieval, dispatcher);
    QStringList lines;

    ASSERT_TRUE(access.FetchPageSync(QStringLiteral("http://a/"), lines));
    EXPECT_TRUE(access.FetchPageSync(QStringLiteral("boom://"), lines));
    ASSERT_FALSE(access.FetchPageSync(QStringLiteral("http://nowhere/"), lines));
    EXPECT_FALSE(access.FetchPageSync(QStringLiteral("boom://"), lines));

    // A login check that fails neither changes the fetch's result nor leaves LoginMode on.
    retrieval.SetLoginCheck([] { throw std::runtime_error("login check failed"); });
    EXPECT_TRUE(access.FetchPageSync(QStringLiteral("http://b/"), lines));
    EXPECT_EQ(lines, QStringList{"<html><p>b</p></html>"});
    EXPECT_EQ(browser.CurrentDownloadControl(), DownloadControl::BrowseMode);
}

TEST_F(RetrievalTest, WorkerCallsRunInTheMainThreadWhileTheWorkerWaits)
{
#if defined(__SANITIZE_THREAD__)
    // Qt's event queue is not built for the thread sanitizer, so the hand-over of the
    // call to the main thread looks like a race to it.
    GTEST_SKIP() << "cross-thread Qt events are invisible to the thread sanitizer";
#endif
    QtDispatcher dispatcher;
    BrowserPageAccess access(retrieval, dispatcher);
    const std::thread::id mainThread = std::this_thread::get_id();
    std::thread::id checkedIn;
    retrieval.SetLoginCheck([&] { checkedIn = std::this_thread::get_id(); });

    std::atomic<bool> done{false};
    bool fetched = false, clicked = true;
    QStringList lines, afterClick;
    QString location;
    std::thread worker([&] {
        fetched = access.FetchPageSync(QStringLiteral("http://a/"), lines);
        clicked = access.ClickSync(QStringLiteral(".save"), QStringLiteral("Sign In"), afterClick);
        location = access.LocationURL();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    worker.join();

    EXPECT_TRUE(fetched);
    EXPECT_EQ(lines.size(), 3);
    EXPECT_FALSE(clicked);
    EXPECT_EQ(afterClick.size(), 3);
    EXPECT_EQ(location, QStringLiteral("http://a/"));
    EXPECT_EQ(checkedIn, mainThread);
}
