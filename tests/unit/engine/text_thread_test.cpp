#include "engine/messages/attachment_download.h"
#include "engine/messages/message_files.h"
#include "engine/messages/text_thread.h"
#include "platform/dispatcher/dispatcher.h"
#include "settings/store/group_profile.h"
#include "settings/store/settings_store.h"

#include "canned_site.h"
#include "common/log.h"
#include "engine_fakes.h"
#include "qt_print.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brindle {
namespace {

using namespace test;

class TextThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        options.strSaveDir = root.path() + "/";
        options.strErrorWaveFile = root.path() + "/error.wav";
        options.strSucessWaveFile = root.path() + "/ok.wav";
        options.boolGrabOtherGroups = false;
        options.boolGrabOtherURLs = false;
        DeleteSetting("OldFormat");
        SetLogSink([this](const QString &text) { log.append(text); });
    }
    void TearDown() override { SetLogSink({}); }

    std::unique_ptr<TTextThread> Make(const QStringList &groups, QList<int> to = {}, QList<int> from = {})
    {
        SectionWorker::Setup setup;
        setup.debug = debug;
        setup.userName = "member";
        setup.groups = groups;
        setup.options = &options;
        SectionWorker::Services services;
        services.pages = &pages;
        services.dispatcher = &dispatcher;
        services.progress = &progress;
        services.sound = &sound;
        services.pacing = Pacing::scaled(0);
        return std::make_unique<TTextThread>(setup, services, to, from, SimpleHtmlToText);
    }

    TDownloadStatus Run(const QStringList &groups, QList<int> to = {}, QList<int> from = {})
    {
        // The groups are in the member's group list, so their last message is recorded.
        for (const QString &group : groups)
            if (ReadGroupProfile("member", group).isEmpty())
                WriteGroupProfile("member", group, "C:N");
        auto worker = Make(groups, to, from);
        worker->RunHere();
        return progress.lastStatus.value(0, dsWaiting);
    }

    QStringList Files(const QString &group) const
    {
        return QDir(root.path() + "/Messages/" + group).entryList(QDir::Files, QDir::Name);
    }

    QByteArray Read(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int Requests(const QString &address) const { return int(pages.requests.count(address)); }

    QTemporaryDir root;
    TYahooDownloadOptions options;
    FakePageAccess pages;
    InlineDispatcher dispatcher;
    RecordingProgress progress;
    RecordingSound sound;
    QStringList log;
    bool debug = false;
};

TEST_F(TextThreadTest, ThreeLinkedMessagesGiveThreeFilesInEveryFormat)
{
    struct Case {
        int format;
        const char *extension;
    };
    for (const Case c : {Case{0, "html"}, Case{1, "eml"}, Case{3, "eml"}, Case{4, "eml"}}) {
        SCOPED_TRACE(c.format);
        const QString group = QStringLiteral("three%1").arg(c.format);
        AddGroup(pages, group, Chain(1, 3));
        options.m_intMessageFormat = c.format;
        progress = RecordingProgress();
        EXPECT_EQ(Run({group}), dsCompleted);
        const QString ext = QString::fromLatin1(c.extension);
        EXPECT_EQ(Files(group), QStringList({"0000001." + ext, "0000002." + ext, "0000003." + ext}));
        const QByteArray second = Read(root.path() + "/Messages/" + group + "/0000002." + ext);
        if (c.format == 0)
            EXPECT_TRUE(second.contains("Body of message 2 &amp; more &lt;text&gt;.")) << second.constData();
        else
            EXPECT_EQ(second, RawMessage(group, 2).toUtf8());
        // Mail formats read the "?source=1" page, the HTML format the message page.
        EXPECT_EQ(Requests(MessageAddress(group, 2, c.format != 0)), 1);
        EXPECT_EQ(Requests(MessageAddress(group, 2, c.format == 0)), 0);
        EXPECT_TRUE(progress.events.contains(QStringLiteral("GroupRow 0 Completed First=1 Last=3 Current=3 Saved=3")))
            << progress.events.join("\n").toStdString();
    }
}

TEST_F(TextThreadTest, GroupEventsFollowTheWalk)
{
    AddGroup(pages, "walk", Chain(1, 2));
    EXPECT_EQ(Run({"walk"}), dsCompleted);
    EXPECT_EQ(progress.events, QStringList({
        "GroupRange 0-1",
        "ItemReset",
        "GroupText Downloading From Group - walk (1 of 1) @0",
        "GroupRow 0 Starting First=-1 Last=-1 Current=-1 Saved=0",
        "ItemText Checking Group - walk @0",
        "ItemText Getting Group Information. @0",
        "ItemRange 1-2",
        "GroupRow 0 Downloading First=1 Last=2 Current=1 Saved=0",
        "ItemText Downloading Message 1  of 2 @1",
        "GroupRow 0 Downloading First=1 Last=2 Current=1 Saved=1",
        "ItemText Downloading Message 2  of 2 @2",
        "GroupRow 0 Completed First=1 Last=2 Current=2 Saved=2",
        "GroupText Completed Group - walk (1 of 1) @1",
        "ItemText Completed Message 1  of 2 @2",
        "ItemText Completed Downloading 1 Groups @2",
        "GroupText Completed all Message Downloads @1",
    }));
    const int start = int(log.indexOf(QString(36, '-')));
    ASSERT_GE(start, 0);
    EXPECT_EQ(log.mid(start, 5), QStringList({QString(36, '-'), "Group -walk", "First Page - 1", "Last Page - 2", QString(36, '-')}));
}

TEST_F(TextThreadTest, DebugRunsKeepCopiesOfTheWalkedPages)
{
    QStringList dumps;
    TYahooBase::SetPageDumpWriter([&](const QString &group, const QString &name, const QString &) {
        dumps.append(group + "/" + name);
    });
    debug = true;
    AddGroup(pages, "dumped", Chain(1, 3));
    EXPECT_EQ(Run({"dumped"}), dsCompleted);
    TYahooBase::SetPageDumpWriter({});
    EXPECT_TRUE(dumps.contains("dumped/FirstReq.html"));
    EXPECT_TRUE(dumps.contains("dumped/2.html"));
    EXPECT_TRUE(dumps.contains("dumped/3.html"));
}

TEST_F(TextThreadTest, FirstPageWithoutLinksTriesTheNextNumber)
{
    QList<CannedMessage> messages = Chain(1, 3);
    messages[0].links.clear();
    AddGroup(pages, "nolinks", messages);
    EXPECT_EQ(Run({"nolinks"}), dsCompleted);
    EXPECT_EQ(Files("nolinks"), QStringList({"0000001.html", "0000002.html", "0000003.html"}));
}

TEST_F(TextThreadTest, APageLinkingOnlyToItselfStopsTheGroupAfterTenRounds)
{
    QList<CannedMessage> messages = Chain(1, 5);
    messages[1].links = {2};
    AddGroup(pages, "loop", messages);
    EXPECT_EQ(Run({"loop"}), dsStopped);
    EXPECT_EQ(Files("loop"), QStringList({"0000001.html", "0000002.html"}));
    EXPECT_EQ(Requests(MessageAddress("loop", 3, false)), 0);
    EXPECT_GE(Requests(MessageAddress("loop", 2, false)), 10);
}

TEST_F(TextThreadTest, AFailedMessageFetchEndsTheGroupWithError)
{
    options.boolEnableSoundEvents = true;
    QFile(options.strErrorWaveFile).open(QIODevice::WriteOnly);
    AddGroup(pages, "broken", Chain(1, 4));
    pages.pages.remove(MessageAddress("broken", 3, false));
    EXPECT_EQ(Run({"broken", "other"}), dsError);
    EXPECT_EQ(Files("broken"), QStringList({"0000001.html", "0000002.html"}));
    EXPECT_EQ(sound.played.first(), options.strErrorWaveFile);
    // The record says how far the group got, so a later run can go on from there.
    TYahooAttachmentDownload model(&pages, 0, 0, false, &options, {}, "member", "broken");
    EXPECT_EQ(model.ReadLastMessage(), 2);
}

TEST_F(TextThreadTest, GroupsWithoutARangeOrPagesEndAsNotAvailableOrError)
{
    pages.pages[GroupUrl("empty")] = "<html>home</html>";
    pages.pages[GroupUrl("empty") + "/messages/1"] = "<html>no messages</html>";
    pages.pages[GroupUrl("empty") + "/messages/"] = "<html>no messages</html>";
    AddGroup(pages, "gone", Chain(1, 2));
    pages.pages.remove(GroupUrl("gone") + "/messages/1");
    auto worker = Make({"empty", "gone"});
    worker->RunHere();
    EXPECT_EQ(progress.lastStatus.value(0), dsNotAvailable);
    EXPECT_EQ(progress.lastStatus.value(1), dsError);
}

TEST_F(TextThreadTest, AdultConfirmationWithoutAcceptEndsTheGroupWithError)
{
    AddGroup(pages, "adult", Chain(1, 2));
    pages.redirects[GroupUrl("adult")] = "http://groups.yahoo.com/adultconf?dest=/group/adult";
    pages.clickResult = false;
    EXPECT_EQ(Run({"adult"}), dsError);
    EXPECT_TRUE(Files("adult").isEmpty());
}

TEST_F(TextThreadTest, StopAllDuringTheSecondOfFiveGroups)
{
    const QStringList groups = {"s1", "s2", "s3", "s4", "s5"};
    for (const QString &g : groups)
        AddGroup(pages, g, Chain(1, 4));
    auto worker = Make(groups);
    pages.onFetch = [&](const QString &address) {
        if (address == MessageAddress("s2", 2, false))
            worker->RequestStopAll();
    };
    worker->RunHere();
    EXPECT_EQ(progress.lastStatus.value(0), dsCompleted);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(progress.lastStatus.value(i), dsSkipped) << i;
    for (const QString &request : pages.requests)
        EXPECT_TRUE(request.contains("/s1") || request.contains("/s2")) << request.toStdString();
    EXPECT_EQ(Files("s2"), QStringList({"0000001.html", "0000002.html"}));
    EXPECT_TRUE(progress.events.endsWith("GroupText Completed all Message Downloads @5"));
}

TEST_F(TextThreadTest, FromAndToBoundTheWalk)
{
    QList<CannedMessage> messages = Chain(1, 8);
    messages.removeAt(2);   // message 3 was deleted
    messages[1].links = {1, 4};
    messages[2].links = {2, 5};
    AddGroup(pages, "range", messages);

    // From in a gap starts at the next existing message; To ends the walk.
    EXPECT_EQ(Run({"range"}, {6}, {3}), dsCompleted);
    EXPECT_EQ(Files("range"), QStringList({"0000004.html", "0000005.html", "0000006.html"}));
    EXPECT_EQ(Requests(MessageAddress("range", 7, false)), 0);
    EXPECT_EQ(Requests(MessageAddress("range", 1, false)), 0);

    // The next run goes on from the stored position.
    TYahooAttachmentDownload model(&pages, 0, 0, false, &options, {}, "member", "range");
    const int stored = model.ReadLastMessage();
    EXPECT_EQ(stored, 6);
    progress = RecordingProgress();
    EXPECT_EQ(Run({"range"}, {0}, {stored + 1}), dsCompleted);
    EXPECT_EQ(Files("range").size(), 5);
    EXPECT_TRUE(Files("range").contains("0000008.html"));

    // Nothing left: the group completes without fetching a message.
    pages.requests.clear();
    progress = RecordingProgress();
    EXPECT_EQ(Run({"range"}, {0}, {9}), dsCompleted);
    for (const QString &request : pages.requests)
        EXPECT_FALSE(request.contains("/message/")) << request.toStdString();
}

TEST_F(TextThreadTest, ToInAGapEndsBeforeTheNextMessage)
{
    QList<CannedMessage> messages = Chain(1, 6);
    messages.removeAt(3);   // message 4 was deleted
    messages[2].links = {2, 5};
    messages[3].links = {3, 6};
    AddGroup(pages, "gap", messages);
    EXPECT_EQ(Run({"gap"}, {4}, {0}), dsCompleted);
    EXPECT_EQ(Files("gap"), QStringList({"0000001.html", "0000002.html", "0000003.html"}));
    EXPECT_EQ(Requests(MessageAddress("gap", 5, false)), 0);
}

TEST_F(TextThreadTest, WithoutAUserNothingIsRecorded)
{
    // "Profiles" itself holds the login profiles; a run without a user must not touch it.
    WriteSetting("Profiles\\norecord", "secret");
    AddGroup(pages, "norecord", Chain(1, 2));
    SectionWorker::Setup setup;
    setup.groups = {"norecord"};
    setup.options = &options;
    SectionWorker::Services services;
    services.pages = &pages;
    services.dispatcher = &dispatcher;
    services.progress = &progress;
    services.pacing = Pacing::scaled(0);
    TTextThread worker(setup, services, {}, {}, SimpleHtmlToText);
    worker.RunHere();
    EXPECT_EQ(progress.lastStatus.value(0), dsCompleted);
    EXPECT_EQ(ReadSetting("Profiles\\norecord"), "secret");
    TYahooAttachmentDownload model(&pages, 0, 0, false, &options, {}, {}, "norecord");
    EXPECT_EQ(model.ReadLastMessage(), -1);
}

TEST_F(TextThreadTest, OldFormatLayoutAndDatePrefix)
{
    WriteTypedSetting("OldFormat", true, SettingType::Boolean);
    options.boolUseMessageDateFormat = true;
    AddGroup(pages, "dated", Chain(1, 1));
    EXPECT_EQ(Run({"dated"}), dsCompleted);
    EXPECT_EQ(QDir(root.path() + "/dated/Messages").entryList(QDir::Files),
              QStringList({"_01__05__2004_10_23_AM_0000001.html"}));
    EXPECT_FALSE(QDir(root.path() + "/Messages").exists());
}

TEST_F(TextThreadTest, DetailedHtmlSavesTheSourcePage)
{
    options.m_boolDownloadDetailMessage = true;
    AddGroup(pages, "detail", Chain(1, 1));
    EXPECT_EQ(Run({"detail"}), dsCompleted);
    EXPECT_TRUE(Read(root.path() + "/Messages/detail/0000001.html").contains("class=\"source user\""));
    EXPECT_EQ(Requests(MessageAddress("detail", 1, true)), 1);
}

TEST_F(TextThreadTest, MsgFormatKeepsTheMailFileWithoutAConverter)
{
    if (QFileInfo::exists(ConverterProgram()))
        GTEST_SKIP() << "a converter is installed beside the tests";
    options.m_intMessageFormat = 2;
    AddGroup(pages, "outlook", Chain(1, 2));
    EXPECT_EQ(Run({"outlook"}), dsCompleted);
    EXPECT_EQ(Files("outlook"), QStringList({"0000001.eml", "0000002.eml"}));
    EXPECT_TRUE(log.filter("Message converter not found").size() == 2);
}

TEST_F(TextThreadTest, AMissingSourceCellNeverReplacesAStoredMessage)
{
    options.m_intMessageFormat = 1;
    AddGroup(pages, "nosource", Chain(1, 2));
    ASSERT_EQ(Run({"nosource"}), dsCompleted);
    const QString second = root.path() + "/Messages/nosource/0000002.eml";
    const QByteArray stored = Read(second);
    pages.pages[MessageAddress("nosource", 2, true)] = "<html><a href=\"/group/nosource/message/1\">1</a>Please sign in</html>";
    progress = RecordingProgress();
    EXPECT_EQ(Run({"nosource"}), dsCompleted);
    EXPECT_EQ(Read(second), stored);
}

TEST_F(TextThreadTest, GrabsGroupNamesAndAddresses)
{
    options.boolGrabOtherGroups = true;
    options.boolGrabOtherURLs = true;
    options.IgnoreEmbbededSites = {"XA.YIMG.COM/"};
    QList<CannedMessage> messages = Chain(1, 1);
    messages[0].extra = "Write to other-owner@yahoogroups.com or see <a href=\"http://www.example.org/x\">x</a>"
                        " <a href=\"mailto:a@example.org\">m</a> <a href=\"http://xa.yimg.com/kq/p.jpg\">p</a>\n";
    AddGroup(pages, "grab", messages);
    EXPECT_EQ(Run({"grab"}), dsCompleted);
    EXPECT_TRUE(SettingValueNames("GrabbedGroups").contains("other"));
    EXPECT_EQ(SettingValueNames("GrabbedURLs"), QStringList({"http://www.example.org/x"}));
}

TEST(MessageConverter, GetsBothPathsAndIsWaitedFor)
{
    QTemporaryDir dir;
    const QString converter = dir.path() + "/tessel";
    QFile script(converter);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nsleep 0.2\nprintf '%s|%s' \"$1\" \"$2\" > \"$2\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString eml = dir.path() + "/a b/0000001.eml";
    const QString msg = dir.path() + "/a b/0000001.msg";
    ASSERT_TRUE(WriteMessageFile(eml, "Subject: x\n\nbody\n"));
    EXPECT_TRUE(ConvertMailToMessage(eml, msg, converter));
    QFile written(msg);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), eml + "|" + msg);
    EXPECT_TRUE(QFileInfo::exists(eml));
    EXPECT_FALSE(ConvertMailToMessage(eml, msg, dir.path() + "/missing"));
}

} // namespace
} // namespace brindle
