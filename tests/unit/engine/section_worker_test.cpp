#include "engine/driver/attach_thread.h"
#include "engine/driver/section_worker.h"
#include "platform/dispatcher/dispatcher.h"

#include "common/log.h"
#include "engine_fakes.h"
#include "qt_print.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace brindle {
namespace {

using test::FakePageAccess;
using test::RecordingProgress;
using test::RecordingSound;

QString HomeOf(const QString &group)
{
    return "http://groups.yahoo.com/group/" + group;
}

QString WorkOf(const QString &group)
{
    return HomeOf(group) + "/work";
}

// A section that fetches one page per group; enough to drive the shared loop.
class OnePageWorker final : public SectionWorker {
public:
    using SectionWorker::SectionWorker;
    bool adultFailureEndsGroup = true;
    std::function<void(const QString &group)> duringGroup;
    int resets = 0;

protected:
    void DownloadGroup(int index, const QString &group) override
    {
        if (!PassGroupHome(HomeOf(group)) && adultFailureEndsGroup) {
            GroupRow(index, dsError);
            return;
        }
        if (duringGroup)
            duringGroup(group);
        QStringList lines;
        const bool ok = FetchPageSync(WorkOf(group), lines);
        if (TakeStopCurrent() || StopAllRequested()) {
            GroupRow(index, dsSkipped);
            return;
        }
        GroupRow(index, ok ? dsCompleted : dsError);
    }
    void ResetGroupCounters() override { ++resets; }
    RowCounters GroupCounters() const override { return {{QStringLiteral("Resets"), resets}}; }
    void FinalTexts() override
    {
        ItemText(QStringLiteral("all items done"), ItemMaximum());
        GroupText(QStringLiteral("all groups done"), GroupCount());
    }
};

class SectionWorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        options.strSucessWaveFile = sounds.filePath("ok.wav");
        options.strErrorWaveFile = sounds.filePath("error.wav");
        QFile ok(options.strSucessWaveFile);
        ASSERT_TRUE(ok.open(QIODevice::WriteOnly));
        for (const char *g : {"g1", "g2", "g3", "g4", "g5"}) {
            pages.pages[HomeOf(g)] = "<html>home</html>";
            pages.pages[WorkOf(g)] = "<html>work</html>";
        }
    }

    std::unique_ptr<OnePageWorker> Make(const QStringList &groups)
    {
        SectionWorker::Setup setup;
        setup.groups = groups;
        setup.options = &options;
        SectionWorker::Services services;
        services.pages = &pages;
        services.dispatcher = &dispatcher;
        services.progress = &progress;
        services.sound = &sound;
        services.session = session;
        services.pacing = Pacing::scaled(0);
        return std::make_unique<OnePageWorker>(setup, services);
    }

    QTemporaryDir sounds;
    TYahooDownloadOptions options;
    FakePageAccess pages;
    InlineDispatcher dispatcher;
    RecordingProgress progress;
    RecordingSound sound;
    SessionHooks session;
};

TEST_F(SectionWorkerTest, EmptyGroupListGivesOnlyTheFinalTextsAndTheSound)
{
    options.boolEnableSoundEvents = true;
    auto worker = Make({});
    worker->RunHere();
    EXPECT_EQ(progress.events,
              QStringList({"GroupRange 0-0", "ItemText all items done @0", "GroupText all groups done @0"}));
    EXPECT_EQ(sound.played, QStringList({options.strSucessWaveFile}));
    EXPECT_EQ(progress.runEnded, 1);
    EXPECT_TRUE(pages.requests.isEmpty());
}

TEST_F(SectionWorkerTest, GroupStartEventsInOrder)
{
    auto worker = Make({" g1 "});
    worker->RunHere();
    EXPECT_EQ(progress.events, QStringList({
        "GroupRange 0-1",
        "ItemReset",
        "GroupText Downloading From Group - g1 (1 of 1) @0",
        "GroupRow 0 Starting Resets=1",
        "ItemText Checking Group - g1 @0",
        "GroupRow 0 Completed Resets=1",
        "ItemText all items done @0",
        "GroupText all groups done @1",
    }));
    EXPECT_EQ(pages.requests, QStringList({HomeOf("g1"), WorkOf("g1")}));
    // Sounds are off by default.
    EXPECT_TRUE(sound.played.isEmpty());
}

TEST_F(SectionWorkerTest, StopAllDuringSecondOfFiveGroups)
{
    auto worker = Make({"g1", "g2", "g3", "g4", "g5"});
    worker->duringGroup = [&](const QString &group) {
        if (group == "g2")
            worker->RequestStopAll();
    };
    worker->RunHere();
    EXPECT_EQ(progress.lastStatus.value(0), dsCompleted);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(progress.lastStatus.value(i), dsSkipped) << i;
    // Nothing of groups 3 to 5 was requested, and their rows kept their counters.
    for (const QString &request : pages.requests)
        EXPECT_TRUE(request.contains("/g1") || request.contains("/g2")) << request.toStdString();
    EXPECT_EQ(progress.Matching("GroupRow 4"), QStringList({"GroupRow 4 Skipped"}));
    EXPECT_TRUE(progress.events.endsWith("GroupText all groups done @5"));
    // Stop all lasts until the run ends, then is cleared.
    EXPECT_FALSE(worker->StopAllRequested());
    EXPECT_EQ(progress.runEnded, 1);
}

TEST_F(SectionWorkerTest, StopCurrentBetweenGroupsSkipsOnlyTheNextGroup)
{
    auto worker = Make({"g1", "g2", "g3"});
    progress.onRow = [&](int index, TDownloadStatus status) {
        if (index == 0 && status == dsCompleted)
            worker->RequestStopCurrent();
    };
    worker->RunHere();
    EXPECT_EQ(progress.lastStatus.value(0), dsCompleted);
    EXPECT_EQ(progress.lastStatus.value(1), dsSkipped);
    EXPECT_EQ(progress.lastStatus.value(2), dsCompleted);
    EXPECT_FALSE(worker->StopCurrentRequested());
    EXPECT_FALSE(pages.requests.join(' ').contains("/g2"));
}

struct LoginCase {
    bool automated;
    bool relogin;
    bool clearCache;
    bool reloginSucceeds;
    int expectedRelogins;
    int expectedClears;
    TDownloadStatus expectedStatus;
};

class LoginStep : public SectionWorkerTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginStep, FollowsTheOptions)
{
    const LoginCase c = GetParam();
    options.m_boolLastLoginAutomated = c.automated;
    options.m_boolReloginBeforeDownload = c.relogin;
    options.m_boolClearCacheBeforeDownload = c.clearCache;
    int relogins = 0;
    int clears = 0;
    session.relogin = [&] {
        ++relogins;
        return c.reloginSucceeds;
    };
    session.clearCache = [&] { ++clears; };
    auto worker = Make({"g1", "g2"});
    worker->RunHere();
    EXPECT_EQ(relogins, c.expectedRelogins);
    EXPECT_EQ(clears, c.expectedClears);
    EXPECT_EQ(progress.lastStatus.value(0), c.expectedStatus);
    EXPECT_EQ(progress.lastStatus.value(1), c.expectedStatus);
    if (c.expectedStatus == dsError) {
        EXPECT_TRUE(pages.requests.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoginStep, ::testing::Values(
    LoginCase{false, true, true, false, 0, 0, dsCompleted},   // manual login: neither, whatever the options
    LoginCase{true, false, false, false, 0, 0, dsCompleted},
    LoginCase{true, true, true, true, 2, 2, dsCompleted},
    LoginCase{true, true, false, false, 2, 0, dsError},
    LoginCase{true, false, true, false, 0, 2, dsCompleted}));

TEST_F(SectionWorkerTest, AdultConfirmationIsClickedAndAFailedClickFollowsTheSection)
{
    pages.redirects[HomeOf("g1")] = "http://groups.yahoo.com/AdultConf?dest=/group/g1";
    pages.clickResult = false;
    auto worker = Make({"g1", "g2"});
    worker->RunHere();
    EXPECT_EQ(pages.clicks, QStringList({"accept|"}));
    EXPECT_EQ(progress.lastStatus.value(0), dsError);
    EXPECT_EQ(progress.lastStatus.value(1), dsCompleted);

    progress.events.clear();
    pages.clicks.clear();
    auto goesOn = Make({"g1"});
    goesOn->adultFailureEndsGroup = false;
    goesOn->RunHere();
    EXPECT_EQ(pages.clicks.size(), 1);
    EXPECT_EQ(progress.lastStatus.value(0), dsCompleted);
}

TEST_F(SectionWorkerTest, AFaultEndsTheRunButTheRunEndHandlerStillRuns)
{
    auto worker = Make({"g1", "g2"});
    worker->duringGroup = [](const QString &) { throw std::runtime_error("broken page"); };
    worker->RunHere();
    EXPECT_EQ(progress.lastStatus.value(0), dsError);
    EXPECT_FALSE(progress.lastStatus.contains(1));
    EXPECT_EQ(progress.runEnded, 1);
}

TEST_F(SectionWorkerTest, ContextOnlyWorkerFetchesButNeverRuns)
{
    SectionWorker::Setup setup;
    setup.groups = {"g1"};
    setup.options = &options;
    SectionWorker::Services services;
    services.pages = &pages;
    services.dispatcher = &dispatcher;
    services.progress = &progress;
    TAttachThread context(setup, services);
    context.Resume();
    context.RunHere();
    EXPECT_TRUE(progress.events.isEmpty());
    QStringList lines;
    EXPECT_TRUE(context.FetchPageSync(HomeOf("g1"), lines));
    EXPECT_EQ(lines, QStringList({"<html>home</html>"}));
    EXPECT_EQ(context.LocationURL(), HomeOf("g1"));
}

// A section that reports a growing item count to the advanced delay.
class CountingWorker final : public SectionWorker {
public:
    using SectionWorker::SectionWorker;
    int items = 0;
    std::function<void(int item)> afterItem;

protected:
    void DownloadGroup(int index, const QString &) override
    {
        for (int i = 0; i < 5; ++i) {
            ++items;
            AdvancedDelay(items, Options()->m_intAdvPhotoFilesCount, QStringLiteral(" , count = "), i);
            if (afterItem)
                afterItem(items);
        }
        GroupRow(index, dsCompleted);
    }
    void ResetGroupCounters() override {}
    RowCounters GroupCounters() const override { return {}; }
    void FinalTexts() override {}
};

TEST_F(SectionWorkerTest, AdvancedDelayPausesAtEachThresholdUntilStopped)
{
    options.m_boolEnableAdvDownloadDelay = true;
    options.m_intAdvPhotoFilesCount = 2;
    options.m_intAdvDownloadDelayInMins = 10;
    QStringList log;
    SetLogSink([&](const QString &text) { log.append(text); });

    SectionWorker::Setup setup;
    setup.groups = {"g1", "g2"};
    setup.options = &options;
    SectionWorker::Services services;
    services.pages = &pages;
    services.dispatcher = &dispatcher;
    services.progress = &progress;
    services.pacing = Pacing::scaled(0);
    services.pacing.advancedDelayMinuteMs = 2;   // ten "minutes" of 2 ms
    services.pacing.advancedDelayCheck = Pacing::ms(1);
    CountingWorker worker(setup, services);
    worker.RunHere();
    SetLogSink({});

    // Ten items over two groups: pauses after items 2, 4, 6, 8 and 10.
    const QStringList waits = progress.Matching("ItemText Waiting 10 mins for Advanced delay - Download starts at : ");
    EXPECT_EQ(waits.size(), 5);
    EXPECT_EQ(log.first(), "m_AdvDelayHitCount = 1 , count = 1");
    EXPECT_TRUE(log.contains("m_AdvDelayHitCount = 2 , count = 3"));
    EXPECT_EQ(log.size(), 10);
}

TEST_F(SectionWorkerTest, AdvancedDelayOffNeverPausesAndAStopEndsAPause)
{
    options.m_intAdvPhotoFilesCount = 1;
    options.m_intAdvDownloadDelayInMins = 10;
    SectionWorker::Setup setup;
    setup.groups = {"g1"};
    setup.options = &options;
    SectionWorker::Services services;
    services.pages = &pages;
    services.dispatcher = &dispatcher;
    services.progress = &progress;
    services.pacing = Pacing::scaled(0);
    services.pacing.advancedDelayMinuteMs = 60000;
    services.pacing.advancedDelayCheck = Pacing::ms(5);
    {
        CountingWorker off(setup, services);
        off.RunHere();
        EXPECT_TRUE(progress.Matching("ItemText Waiting").isEmpty());
    }
    options.m_boolEnableAdvDownloadDelay = true;
    CountingWorker on(setup, services);
    // A stop request from another thread ends the ten-minute pause at the next check.
    std::thread stopper([&] {
        QThread::msleep(50);
        on.RequestStopAll();
    });
    QElapsedTimer timer;
    timer.start();
    on.RunHere();
    stopper.join();
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_FALSE(progress.Matching("ItemText Waiting").isEmpty());
}

TEST_F(SectionWorkerTest, ThreadedRunReportsInTheMainThread)
{
    QtDispatcher mainThread;
    QThread *const main = QThread::currentThread();
    bool allInMain = true;
    progress.onRow = [&](int, TDownloadStatus) { allInMain = allInMain && QThread::currentThread() == main; };

    SectionWorker::Setup setup;
    setup.groups = {"g1", "g2", "g3"};
    setup.options = &options;
    SectionWorker::Services services;
    services.pages = &pages;
    services.dispatcher = &mainThread;
    services.progress = &progress;
    services.pacing = Pacing::scaled(0);
    OnePageWorker worker(setup, services);
    worker.Resume();
    QElapsedTimer timer;
    timer.start();
    while (!worker.Finished() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.Join();
    EXPECT_TRUE(worker.Finished());
    EXPECT_TRUE(allInMain);
    EXPECT_EQ(progress.runEnded, 1);
    EXPECT_EQ(progress.lastStatus.value(2), dsCompleted);
}

TEST(RowImage, ByStatus)
{
    const std::optional<int> expected[] = {0, 3, 3, 1, 2, 2, 2, 2, 1, 2, 2, std::nullopt, 1, std::nullopt};
    for (int status = 0; status <= 13; ++status)
        EXPECT_EQ(RowImage(TDownloadStatus(status)), expected[status]) << status;
}

} // namespace
} // namespace brindle
