// The browser and the HTTP client together against the simulated service, driven
// from a worker thread as a download run drives them.
#include "browser_test_support.h"
#include "platform/browser/web_engine_browser.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/http/http_client.h"
#include "site/retrieval/browser_page_access.h"
#include "site/retrieval/page_retrieval.h"
#include "support/groupsim_process.h"
#include "support/test_env.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace brindle;
using namespace brindle::test;

namespace {

// SimGroup1 lives on a regional host, SimGroup2 is for members only, SimGroup3 asks
// for the adult confirmation. simuser / simpass is a member of all three.
const QStringList kService{"--generate", "groups=3,messages=12,regional=1,membersonly=1,adult=1,files=1,"
                                         "filesize=20k,user=simuser,password=simpass"};

QString Joined(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

// The first match of pattern's first group in text, or empty.
QString First(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern).match(text).captured(1);
}

class GroupsimFlowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sim = std::make_unique<GroupsimProcess>(kService);
        // Before any browser exists: the engine reads the proxy once.
        if (sim->Started())
            UseProxy(sim->ProxyUrl());
    }
    static void TearDownTestSuite() { sim.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(sim->Started()) << sim->Error().toStdString();
        UseTestPacing();
        // Signs in again when a fetched page shows the sign-in form, as the session does.
        retrieval.SetLoginCheck([this] {
            bool form = false;
            for (const FormElement &e : browser.FormElements()) {
                if (e.name == QLatin1String("login"))
                    browser.SetElementValue(e.form, e.index, QStringLiteral("simuser"));
                if (e.name == QLatin1String("passwd")) {
                    browser.SetElementValue(e.form, e.index, QStringLiteral("simpass"));
                    form = true;
                }
            }
            if (form) {
                ++logins;
                QStringList lines;
                retrieval.ClickAndWait(QStringLiteral(".save"), QStringLiteral("Sign In"), lines);
            }
        });
    }

    // Runs the work in a worker thread while this (the main) thread keeps processing events.
    void RunInWorker(const std::function<void()> &work)
    {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            work();
            done = true;
        });
        const bool finished = WaitUntil([&] { return done.load(); }, 150000);
        worker.join();
        ASSERT_TRUE(finished);
    }

    static inline std::unique_ptr<GroupsimProcess> sim;
    WebEngineBrowser browser{QString()};
    PageRetrieval retrieval{browser};
    QtDispatcher dispatcher;
    BrowserPageAccess access{retrieval, dispatcher};
    int logins = 0;
};

} // namespace

TEST_F(GroupsimFlowTest, WorkerSignsInPassesTheAdultPageFollowsTheRegionAndDownloadsWithTheLogin)
{
    const QString membersList = QStringLiteral("http://groups.yahoo.com/group/SimGroup2/messages");
    QString beforeLogin, afterLogin, startPage, adultPage, adultGroup, adultLocation, regionalLocation, source,
        filesPage, fileUrl, savedFile;
    bool adultClicked = false, sourceRead = false, fileSaved = false;
    const QString target = TemporaryHome() + QStringLiteral("download.bin");

    RunInWorker([&] {
        QStringList lines;
        HttpClient anonymous;
        anonymous.get(membersList);
        beforeLogin = anonymous.bodyText();

        access.FetchPageSync(membersList, lines); // the sign-in form; the login check signs in
        access.FetchPageSync(QStringLiteral("http://groups.yahoo.com/"), lines);
        startPage = Joined(lines);
        HttpClient member;
        member.get(membersList);
        afterLogin = member.bodyText();

        access.FetchPageSync(QStringLiteral("http://groups.yahoo.com/group/SimGroup3/"), lines);
        adultPage = Joined(lines);
        adultClicked = access.ClickSync(QStringLiteral("accept"), QStringLiteral("I Accept"), lines);
        adultGroup = Joined(lines);
        adultLocation = access.LocationURL();

        access.FetchPageSync(QStringLiteral("http://groups.yahoo.com/group/SimGroup1/messages"), lines);
        regionalLocation = access.LocationURL();
        const QString number = First(Joined(lines), QStringLiteral("/group/SimGroup1/message/(\\d+)"));
        sourceRead = access.FetchPageSync(
            QStringLiteral("http://uk.groups.yahoo.com/group/SimGroup1/message/%1?source=1").arg(number), lines);
        source = Joined(lines);

        access.FetchPageSync(QStringLiteral("http://uk.groups.yahoo.com/group/SimGroup1/files/"), lines);
        filesPage = Joined(lines);
        fileUrl = First(filesPage, QStringLiteral("\"(http://f1\\.grp\\.yahoofs\\.com/[^\"]+)\""));
        HttpClient file;
        file.setReferrer(QStringLiteral("http://uk.groups.yahoo.com/group/SimGroup1/files/"));
        fileSaved = file.getToFile(QString(fileUrl).replace(QLatin1String("&amp;"), QLatin1String("&")), target);
    });

    EXPECT_TRUE(beforeLogin.contains(QLatin1String("passwd")));
    EXPECT_EQ(logins, 1);
    EXPECT_TRUE(startPage.contains(QLatin1String("simuser"))) << startPage.toStdString();
    EXPECT_FALSE(afterLogin.contains(QLatin1String("passwd")));
    EXPECT_TRUE(afterLogin.contains(QLatin1String("/group/SimGroup2/message/")));

    EXPECT_TRUE(adultPage.contains(QLatin1String("I Accept")));
    EXPECT_TRUE(adultClicked);
    EXPECT_EQ(adultLocation, QStringLiteral("http://groups.yahoo.com/group/SimGroup3/"));
    EXPECT_FALSE(adultGroup.contains(QLatin1String("I Accept")));

    EXPECT_EQ(QUrl(regionalLocation).host(), QStringLiteral("uk.groups.yahoo.com"));
    EXPECT_TRUE(sourceRead);
    EXPECT_TRUE(source.contains(QLatin1String("<td class=\"source user\">")));
    EXPECT_TRUE(source.contains(QLatin1String("Message-ID:"), Qt::CaseInsensitive));

    ASSERT_FALSE(fileUrl.isEmpty()) << filesPage.toStdString();
    EXPECT_TRUE(fileSaved);
    EXPECT_EQ(QFileInfo(target).size(), 20 * 1024);
    EXPECT_EQ(browser.CurrentDownloadControl(), DownloadControl::BrowseMode);
}
