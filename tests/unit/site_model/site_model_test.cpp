#include "common/log.h"
#include "platform/html/html_page.h"
#include "site/model/regional_prefixes.h"
#include "site/model/site_addresses.h"
#include "site/model/yahoo_base.h"
#include "support/fake_page_access.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace brindle;
using brindle::test::FakePageAccess;

namespace {

const QString kMain = "http://groups.yahoo.com";

// A page whose only content is links to the given targets.
QString LinkPage(const QStringList &targets)
{
    QString page = "<html><body>\n";
    for (const QString &target : targets)
        page += "<a href=\"" + target + "\">link</a>\n";
    return page + "</body></html>\n";
}

// The model with access to its protected state, as a section's model has.
class Model : public TYahooBase {
public:
    using TYahooBase::TYahooBase;
    void SetPrefix(const QString &prefix) { Prefix = prefix; }
};

class SiteModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLogSink([this](const QString &text) { log << text; });
        TYahooBase::SetPageDumpWriter(
            [this](const QString &group, const QString &file, const QString &) { dumps << group + "/" + file; });
    }

    void TearDown() override
    {
        SetLogSink(nullptr);
        TYahooBase::SetPageDumpWriter(nullptr);
    }

    Model MakeModel(const QString &group = "foo", bool debug = true)
    {
        return Model(&service, debug, &options, "secret", "user", group);
    }

    // The group's two message list pages on the main site.
    void ServeMessageLists(const QStringList &firstPage, const QStringList &lastPage)
    {
        service.pages[kMain + "/group/foo/messages/1"] = LinkPage(firstPage);
        service.pages[kMain + "/group/foo/messages/"] = LinkPage(lastPage);
    }

    FakePageAccess service;
    TYahooDownloadOptions options;
    QStringList log;
    QStringList dumps;
};

} // namespace

TEST_F(SiteModel, AddressesAndKeysOnMainAndRegionalSites)
{
    Model model = MakeModel("Foo");
    const struct {
        const char *prefix;
        QString (*build)(const Model &);
        const char *expected;
    } cases[] = {
        {"", [](const Model &m) { return m.GroupHomeURL(); }, "http://groups.yahoo.com/group/Foo"},
        {"uk.", [](const Model &m) { return m.GroupHomeURL(); }, "http://groups.yahoo.com/group/Foo"},
        {"", [](const Model &m) { return m.MessagesFirstPageURL(); }, "http://groups.yahoo.com/group/Foo/messages/1"},
        {"uk.", [](const Model &m) { return m.MessagesFirstPageURL(); }, "http://uk.groups.yahoo.com/group/Foo/messages/1"},
        {"uk.", [](const Model &m) { return m.MessagesURL(); }, "http://uk.groups.yahoo.com/group/Foo/messages/"},
        {"", [](const Model &m) { return m.MessageURL(5); }, "http://groups.yahoo.com/group/Foo/message/5"},
        {"uk.", [](const Model &m) { return m.MessageURL(5); }, "http://uk.groups.yahoo.com/group/Foo/message/5"},
        {"uk.", [](const Model &m) { return m.PhotoAlbumURL("/0/list"); }, "http://uk.groups.yahoo.com/group/Foo/photos/album/0/list"},
        {"", [](const Model &m) { return m.AttachmentsFolderURL("/0/list"); }, "http://groups.yahoo.com/group/Foo/attachments/folder/0/list"},
        {"uk.", [](const Model &m) { return m.FilesURL("/"); }, "http://uk.groups.yahoo.com/group/Foo/files/"},
        {"uk.", [](const Model &m) { return m.FilesKey(); }, "UK.GROUPS.YAHOO.COM/GROUP/FOO/FILES/"},
        {"", [](const Model &m) { return m.GroupHostKey(); }, "GROUPS.YAHOO.COM/GROUP/FOO/"},
        {"uk.", [](const Model &m) { return m.GroupHostKey(); }, "UK.GROUPS.YAHOO.COM/GROUP/FOO/"},
        {"uk.", [](const Model &m) { return m.PhotoHostKey(); }, "UK.PHOTOS.GROUPS.YAHOO.COM/GROUP/FOO/"},
        {"uk.", [](const Model &m) { return m.PhHostKey(); }, "UK.PH.GROUPS.YAHOO.COM/GROUP/FOO/"},
    };
    for (const auto &c : cases) {
        model.SetPrefix(c.prefix);
        EXPECT_EQ(c.build(model), c.expected) << "prefix '" << c.prefix << "'";
    }
}

TEST_F(SiteModel, CreationTakesTheViewerSwitchAndStartsWithoutRange)
{
    options.m_boolIgnoreViewer = true;
    Model model = MakeModel();
    EXPECT_TRUE(model.NoViewer);
    EXPECT_EQ(model.GetHost(), "groups.yahoo.com");
    EXPECT_EQ(model.GetPrefix(), "");
    EXPECT_EQ(model.GetFirstMessage(), -1);
    EXPECT_EQ(model.GetLastMessage(), -1);
    EXPECT_EQ(model.URLResult.StatusCode, 0);
    model.SetLastMessage(9);
    EXPECT_EQ(model.GetLastMessage(), 9);

    // A bare model fetches nothing but still reads pages.
    TYahooBase bare;
    QStringList lines{"old"};
    EXPECT_EQ(bare.FetchPage(kMain, lines), dsError);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(bare.CheckAdultPage(lines));
    EXPECT_EQ(TYahooBase::GetSourceUser("<table><tr><td class=\"source user\">x</td></tr></table>"), "x");
}

TEST_F(SiteModel, MessageRangeOnTheMainSite)
{
    ServeMessageLists({"/group/foo/message/4", "/group/foo/message/2?l=1", "/group/foo/message/3"},
                      {"/group/foo/message/17", "http://groups.yahoo.com/group/foo/message/19", "/"});
    Model model = MakeModel();
    ASSERT_EQ(model.InitMessageRange(), dsOk);
    EXPECT_EQ(model.GetPrefix(), "");
    EXPECT_EQ(model.GetFirstMessage(), 2);
    EXPECT_EQ(model.GetLastMessage(), 19);
    EXPECT_EQ(model.MessageURL(5), "http://groups.yahoo.com/group/foo/message/5");
    EXPECT_EQ(service.requests, (QStringList{kMain + "/group/foo/messages/1", kMain + "/group/foo/messages/1",
                                             kMain + "/group/foo/messages/"}));
    EXPECT_EQ(dumps, (QStringList{"foo/FirstReq.html", "foo/LastReq.html"}));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(SiteModel, MessageRangeOfARegionalGroupFollowsTheRedirect)
{
    const QString regional = "http://espanol.groups.yahoo.com/group/foo/";
    service.redirects[kMain + "/group/foo/messages/1"] = regional + "messages/1";
    service.pages[regional + "messages/1"] = LinkPage({"/group/foo/message/7", "http://espanol.groups.yahoo.com/group/foo/message/6"});
    service.pages[regional + "messages/"] = LinkPage({"/group/foo/message/30"});
    Model model = MakeModel();
    ASSERT_EQ(model.InitMessageRange(), dsOk);
    EXPECT_EQ(model.GetPrefix(), "espanol.");
    EXPECT_EQ(service.requests, (QStringList{kMain + "/group/foo/messages/1", regional + "messages/1", regional + "messages/"}));
    EXPECT_EQ(model.GetFirstMessage(), 6);
    EXPECT_EQ(model.GetLastMessage(), 30);
    EXPECT_EQ(log, QStringList{"espanol. - foo"});
    EXPECT_TRUE(model.IsRegional());
}

TEST_F(SiteModel, MessageRangeFailuresAndMissingLinks)
{
    Model unreachable = MakeModel();
    EXPECT_EQ(unreachable.InitMessageRange(), dsError);
    EXPECT_EQ(service.requests.size(), 1);

    // Message pages without message links leave both numbers unknown; that is not a failure.
    ServeMessageLists({"/group/foo/files/", "/group/other/message/3"}, {});
    Model empty = MakeModel();
    EXPECT_EQ(empty.InitMessageRange(), dsOk);
    EXPECT_EQ(empty.GetFirstMessage(), -1);
    EXPECT_EQ(empty.GetLastMessage(), -1);

    // The last page cannot be fetched.
    service.pages.remove(kMain + "/group/foo/messages/");
    Model noLast = MakeModel();
    EXPECT_EQ(noLast.InitMessageRange(), dsError);
}

TEST_F(SiteModel, MessageRangeBehindAnAdultConfirmation)
{
    const QString confirm = "http://groups.yahoo.com/adultconf?done=foo";
    service.redirects[kMain + "/group/foo/messages/1"] = confirm;
    service.pages[confirm] = "<form><input type=submit name=accept value=\"I Accept\"></form>";
    service.pages[kMain + "/group/foo/messages/"] = LinkPage({"/group/foo/message/8"});
    service.pages[kMain + "/group/foo/messages/1?ok"] = LinkPage({"/group/foo/message/1"});
    service.forms[confirm] = {"accept", kMain + "/group/foo/messages/1?ok"};

    // Every request lands on the confirmation; clicking passes it each time.
    Model model = MakeModel();
    EXPECT_EQ(model.InitMessageRange(), dsOk);
    EXPECT_EQ(model.GetFirstMessage(), 1);
    EXPECT_EQ(service.clicks, (QStringList{"accept|", "accept|"}));
    EXPECT_TRUE(dumps.contains("foo/AdultPage.html"));

    // A confirmation without the element fails after two tries.
    service.forms.clear();
    service.clicks.clear();
    Model refused = MakeModel();
    EXPECT_EQ(refused.InitMessageRange(), dsError);
    EXPECT_EQ(service.clicks, (QStringList{"accept|", "accept|"}));
}

TEST_F(SiteModel, CheckAdultPageOnlyActsOnTheConfirmation)
{
    Model model = MakeModel();
    QStringList lines{"page"};
    service.location = kMain + "/group/foo/";
    EXPECT_TRUE(model.CheckAdultPage(lines));
    EXPECT_TRUE(service.clicks.isEmpty());
    EXPECT_EQ(lines, QStringList{"page"});

    // The second click succeeds.
    int clicksSeen = 0;
    service.location = "http://groups.yahoo.com/AdultConf?x";
    struct Flaky : FakePageAccess {
        int *count;
        bool ClickSync(const QString &, const QString &, QStringList &) override { return ++*count == 2; }
    } flaky;
    flaky.count = &clicksSeen;
    flaky.location = service.location;
    Model second(&flaky, false, &options, "", "", "foo");
    EXPECT_TRUE(second.CheckAdultPage(lines));
    EXPECT_EQ(clicksSeen, 2);
}

TEST_F(SiteModel, PrefixFromTheBrowsersAddress)
{
    const struct {
        const char *location;
        const char *prefix;
    } cases[] = {
        {"http://groups.yahoo.com/group/foo/messages/1", ""},
        {"http://uk.groups.yahoo.com/group/foo/messages/1", "uk."},
        {"  HTTP://ES.Groups.Yahoo.COM/group/foo  ", "es."},
        {"http://espanol.groups.yahoo.com", "espanol."},
        {"https://de.groups.yahoo.com/group/foo", "de."},
        {"http://fr.groups.yahoo.com:8080/group/foo", "fr."},
        {"http://groups.yahoo.com", ""},
        // the group host in a sign-in page's query is no regional host
        {"http://login.yahoo.com/config/login?.done=http://uk.groups.yahoo.com/group/foo", ""},
        {"http://www.example.com/", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        service.location = c.location;
        Model model = MakeModel();
        model.SetPrefix("stale.");
        model.DetectPrefix();
        EXPECT_EQ(model.GetPrefix(), c.prefix) << c.location;
    }
}

TEST_F(SiteModel, RegionalPrefixes)
{
    const struct {
        const char *prefix;
        bool regional;
    } cases[] = {
        {"uk.", true}, {"UK.", true}, {"espanol.", true}, {"ct.", true}, {"asia.", true},
        {"", false}, {"xx.", false}, {"k.", false}, {"uk", false}, {"www.", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsRegionalPrefix(c.prefix), c.regional) << c.prefix;
    EXPECT_EQ(QString(kRegionalPrefixes).count(';'), 24);
}

TEST_F(SiteModel, FirstAndLastMessageLinks)
{
    const struct {
        const char *prefix;
        QStringList links;
        int first;
        int last;
    } cases[] = {
        {"", {"/group/Foo/message/12?l=1", "/group/Foo/message/3"}, 3, 12},
        {"", {"group/foo/message/5", "http://groups.yahoo.com/group/FOO/message/9", "https://groups.yahoo.com/group/foo/message/1"}, 1, 9},
        // not message links of this group on this site
        {"", {"/group/foo/messages/5", "/group/foobar/message/6", "http://uk.groups.yahoo.com/group/foo/message/7",
              "/group/foo/message/", "/group/foo/message/8/", "/group/foo/message/x9", "/group/foo/message/99999999999999",
              "/", "mailto:foo@yahoogroups.com"}, -1, -1},
        {"uk.", {"/group/foo/message/7", "http://uk.groups.yahoo.com/group/foo/message/2", "http://groups.yahoo.com/group/foo/message/1"}, 2, 7},
        {"", {}, -1, -1},
    };
    for (const auto &c : cases) {
        Model model = MakeModel();
        model.SetPrefix(c.prefix);
        model.FindFirstMessage(LinkPage(c.links));
        model.FindLastMessage(LinkPage(c.links));
        EXPECT_EQ(model.GetFirstMessage(), c.first) << c.links.join(' ').toStdString();
        EXPECT_EQ(model.GetLastMessage(), c.last) << c.links.join(' ').toStdString();
    }
}

TEST_F(SiteModel, GroupNameTakesTheSpellingOfTheFirstDifferingMessageLink)
{
    const struct {
        const char *prefix;
        const char *group;
        QStringList links;
        const char *spelled;
    } cases[] = {
        {"", "foo", {"/group/Foo/message/12?l=1", "/group/Foo/message/3"}, "Foo"},
        {"", "foo", {"/group/foo/message/1", "/group/FOO/files/", "/group/FoO/message/2", "/group/FOO/message/3"}, "FoO"},
        {"uk.", "foo", {"http://uk.groups.yahoo.com/group/fOO/message/1"}, "fOO"},
        {"", "foo", {"/group/FOObar/message/1", "/group/other/message/2"}, "foo"},
        {"", "Foo", {}, "Foo"},
    };
    for (const auto &c : cases) {
        Model model = MakeModel(c.group);
        model.SetPrefix(c.prefix);
        model.FixGroupNameCase(LinkPage(c.links));
        EXPECT_EQ(model.GetGroupName(), c.spelled) << c.links.join(' ').toStdString();
    }
}

TEST_F(SiteModel, NextMessageNumber)
{
    const struct {
        bool firstPass;
        int number;
        QStringList links;
        int next;
    } cases[] = {
        {true, 7, {"/group/foo/message/7"}, -1},
        {false, 7, {"/group/foo/message/7"}, 7},
        {true, 7, {"/group/foo/message/5", "/group/foo/message/7", "/group/foo/message/9"}, 9},
        {true, 7, {"/group/foo/message/5", "/group/foo/message/7"}, 7},
        {false, 7, {}, 7},
        {true, 7, {"/group/foo/message/9", "/group/foo/message/12", "/group/foo/message/5"}, 9},
        {true, 7, {"/group/foo/message/10?var=1", "/group/foo/message/11\\"}, 10},
        {true, 7, {"/group/bar/message/8", "/group/foo/messages/8"}, -1},
    };
    Model model = MakeModel();
    for (const auto &c : cases)
        EXPECT_EQ(model.NextMessageNumber(c.firstPass, c.number, LinkPage(c.links)), c.next) << c.links.join(' ').toStdString();
    EXPECT_EQ(model.NextMessageNumber(true, 7, ""), -1);

    log.clear();
    model.NextMessageNumber(false, 1, LinkPage({"/group/foo/message/2?x", "/"}));
    EXPECT_EQ(log, QStringList{"http://groups.yahoo.com/group/foo/message/2"});
}

TEST_F(SiteModel, MessagePageWithoutPrefixAndWithSourceForm)
{
    service.pages[kMain + "/group/foo/message/5?source=1"] = "<html>source</html>";
    service.pages[kMain + "/group/foo/message/6"] = "<html>line 1\nline 2</html>";
    Model model = MakeModel();
    model.SetPrefix("uk.");
    QString html;
    EXPECT_TRUE(model.GetMessagePage(true, 5, html));
    EXPECT_EQ(html, "<html>source</html>\r\n");
    EXPECT_TRUE(model.GetMessagePage(false, 6, html));
    EXPECT_EQ(html, "<html>line 1\r\nline 2</html>\r\n");
    EXPECT_EQ(service.requests, (QStringList{kMain + "/group/foo/message/5?source=1", kMain + "/group/foo/message/6"}));

    EXPECT_FALSE(model.GetMessagePage(false, 404, html));
    EXPECT_TRUE(html.isEmpty());
}

TEST_F(SiteModel, MessagePageBehindTheSignInRedirect)
{
    const QString source = kMain + "/group/foo/message/5?source=1";
    const QString plain = kMain + "/group/foo/message/5";
    const QString auth = kMain + "/group/foo/auth?done=message5";
    service.redirects[source] = auth;
    service.pages[auth] = LinkPage({"/group/foo/message/5"});
    service.pages[plain] = "<html>message</html>";
    service.pages[source] = "<html>source of 5</html>";
    // Loading the plain message page signs the browser in.
    service.onFetch = [&](const QString &address) {
        if (address == plain)
            service.redirects.remove(source);
    };
    Model model = MakeModel();
    QString html;
    EXPECT_TRUE(model.GetMessagePage(true, 5, html));
    EXPECT_EQ(html, "<html>source of 5</html>\r\n");
    EXPECT_EQ(service.requests, (QStringList{source, plain, source}));
}

TEST_F(SiteModel, MessagePageRetriesEndAfterThreeFetches)
{
    const QString self = kMain + "/group/foo/message/7";
    service.pages[self] = LinkPage({"/group/foo/message/6", "/group/foo/message/7"});
    Model model = MakeModel();
    QString html;
    EXPECT_TRUE(model.GetMessagePage(false, 7, html));
    EXPECT_EQ(service.requests, (QStringList{self, self, self}));

    // The sign-in redirect that cannot be resolved: the plain message page fails too.
    service.requests.clear();
    service.redirects[kMain + "/group/foo/message/8?source=1"] = kMain + "/group/foo/auth?x";
    service.pages[kMain + "/group/foo/auth?x"] = "<html>sign in</html>";
    EXPECT_FALSE(model.GetMessagePage(true, 8, html));
    EXPECT_EQ(html, "<html>sign in</html>\r\n");
    EXPECT_EQ(service.requests.size(), 2);
}

TEST_F(SiteModel, AbsoluteLinks)
{
    const QString page = LinkPage({"/group/foo/photos/", "pic.jpg", "/", "http://x.example/a", "HTTPS://y.example/b", ""});
    Model model = MakeModel();
    model.SetPrefix("uk.");
    EXPECT_EQ(model.AbsoluteLinks(page, "", ""),
              (QStringList{"http://uk.groups.yahoo.com/group/foo/photos/", "http://uk.groups.yahoo.com/pic.jpg", "/",
                           "http://x.example/a", "HTTPS://y.example/b", "http://uk.groups.yahoo.com/"}));
    EXPECT_EQ(model.AbsoluteLinks(page, "/t", "  http://PHOTOS.groups.yahoo.com:81/group/foo/lst?x=1 ").mid(0, 2),
              (QStringList{"http://photos.groups.yahoo.com/t/group/foo/photos/", "http://photos.groups.yahoo.com/t/pic.jpg"}));
    EXPECT_TRUE(model.PageLinksToMessage(3, LinkPage({"/GROUP/FOO/MESSAGE/3"})));
    EXPECT_FALSE(model.PageLinksToMessage(3, LinkPage({"/group/foo/message/3?source=1", "/group/foo/message/33"})));
}

TEST_F(SiteModel, SourceUserCell)
{
    const struct {
        const char *html;
        const char *source;
    } cases[] = {
        {"<table><tr><td class=\"source user\">From: a@b\r\n<br>Body &amp; more</td></tr></table>",
         "From: a@b\r\n<br>Body &amp; more"},
        {"<table><tr><TD CLASS=' Source User '>x</TD><td class=\"source\">y</td></tr></table>", "x"},
        {"<table><tr><td class=\"source user\">first</td></tr><tr><td class=\"source user\">last</td></tr></table>", "last"},
        {"<table><tr><td class=\"source user\">unclosed <b>bold", "unclosed <b>bold"},
        {"<table><tr><td class=\"sourceuser\">no</td><td>none</td></tr></table>", ""},
        {"<div class=\"source user\">not a cell</div>", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TYahooBase::GetSourceUser(QString::fromUtf8(c.html)), QString::fromUtf8(c.source)) << c.html;
}

TEST_F(SiteModel, LinkTextOf)
{
    const QList<HtmlItem> page = HtmlPage(
        "<p>before</p>"
        "<a href=\"/group/foo/photos/album/1/pic/list?mode=x\"><b>Album &amp; One</b></a> after"
        "<a href=\"/group/foo/photos/My%20Album/pic/2/view\">\n  <wbr>Second</a>"
        "<a href=\"/group/foo/empty\"></a> stray text"
        "<a href=\"http://groups.yahoo.com/group/foo/full\">Full</a>").Items();
    const struct {
        const char *address;
        bool stripQuery;
        bool found;
        const char *text;
    } cases[] = {
        {"http://groups.yahoo.com/group/foo/photos/album/1/pic/list?mode=x", false, true, "Album & One"},
        {"http://uk.groups.yahoo.com/group/foo/photos/album/1/pic/list?other", true, true, "Album & One"},
        {"http://groups.yahoo.com/group/foo/photos/album/1/pic/list", false, false, "unchanged"},
        {"/GROUP/FOO/PHOTOS/MY ALBUM/PIC/2/VIEW", false, true, "Second"},
        {"http://groups.yahoo.com/group/foo/photos/My+Album/pic/2/view", false, true, "Second"},
        {"http://groups.yahoo.com/group/foo/empty", false, false, "unchanged"},
        {"http://groups.yahoo.com/group/foo/full", false, true, "Full"},
        {"http://elsewhere.example/", false, false, "unchanged"},
    };
    for (const auto &c : cases) {
        QString text = "unchanged";
        EXPECT_EQ(TYahooBase::LinkTextOf(page, c.address, c.stripQuery, text), c.found) << c.address;
        EXPECT_EQ(text, c.text) << c.address;
    }
}

TEST_F(SiteModel, SectionStartChoosesTheRegionalOrNormalPage)
{
    const QString regional = "http://uk.groups.yahoo.com/group/foo/";
    service.redirects[kMain + "/group/foo/messages/1"] = regional + "messages/1";
    service.pages[regional + "messages/1"] = LinkPage({"/group/foo/message/1"});
    service.pages[regional + "messages/"] = LinkPage({"/group/foo/message/2"});
    service.pages[regional + "photos/album/0/list"] = "<html>albums</html>";
    Model model = MakeModel();
    EXPECT_EQ(model.StartSection([&] { return model.PhotoAlbumURL("/0/list"); }, "http://photos.groups.yahoo.com/group/foo/lst"),
              dsOk);
    EXPECT_EQ(service.requests.last(), regional + "photos/album/0/list");
    EXPECT_EQ(model.PageLines, QStringList{"<html>albums</html>"});

    // Not regional: the normal form, which is missing here.
    service.redirects[kMain + "/group/foo/messages/1"] = "http://xx.groups.yahoo.com/group/foo/messages/1";
    service.pages["http://xx.groups.yahoo.com/group/foo/messages/1"] = LinkPage({});
    service.pages["http://xx.groups.yahoo.com/group/foo/messages/"] = LinkPage({});
    Model other = MakeModel();
    EXPECT_EQ(other.StartSection([] { return QString("http://unused/"); }, "http://photos.groups.yahoo.com/group/foo/lst"), dsError);
    EXPECT_EQ(service.requests.last(), "http://photos.groups.yahoo.com/group/foo/lst");

    // A failed range is handed back as it is.
    service.pages.clear();
    Model failed = MakeModel();
    EXPECT_EQ(failed.StartSection([] { return QString("http://a/"); }, "http://b/"), dsError);
}

TEST_F(SiteModel, PageDumpsOnlyWithTheDebugFlag)
{
    Model quiet = MakeModel("foo", false);
    quiet.DumpPage("text", "x.html");
    EXPECT_TRUE(dumps.isEmpty());
    Model debug = MakeModel("foo", true);
    debug.DumpPage("text", "x.html");
    EXPECT_EQ(dumps, QStringList{"foo/x.html"});
    TYahooBase::SetPageDumpWriter(nullptr);
    debug.DumpPage("text", "y.html"); // no writer installed: nothing happens
}

TEST(SiteAddresses, TextRules)
{
    EXPECT_EQ(CutQuery("http://h/a?b=1?c"), "http://h/a");
    EXPECT_EQ(CutQuery("http://h/a"), "http://h/a");
    const struct {
        const char *address;
        const char *parent;
    } parents[] = {
        {"http://h/group/foo/photos/album/1/pic/123/view?picmode=x", "123"},
        {"http://h/group/foo/attachments/folder/42/item/7/", "item"},
        {"a/b", "a"},
        {"nosegments", ""},
    };
    for (const auto &c : parents)
        EXPECT_EQ(ParentSegment(c.address), c.parent) << c.address;

    const struct {
        const char *address;
        const char *album;
        int number;
        int queryNumber;
        const char *stripped;
    } photos[] = {
        {"http://h/group/foo/photos/browse/a1b2?b=17&m=t", "a1b2", 17, 0, "http://h/group/foo/photos/browse/a1b2"},
        {"http://h/group/foo/PHOTOS/BROWSE/a1b2?b=x&m=t", "a1b2", 0, 0, "http://h/group/foo/PHOTOS/BROWSE/a1b2"},
        {"http://h/group/foo/photos/browse/?b=3", "", 0, 0, "http://h/group/foo/photos/browse/"},
        {"http://h/group/foo/photos/browse?b=33&o=1", "", 0, 33, "http://h/group/foo/photos/browse?b=33"},
        {"http://h/group/foo/photos/browse?b", "", 0, 0, "http://h/group/foo/photos/browse?b"},
        {"http://h/group/foo/photos/album/1", "", 0, 0, "http://h/group/foo/photos/album/1"},
    };
    for (const auto &c : photos) {
        EXPECT_EQ(PhotoBrowseAlbum(c.address), c.album) << c.address;
        EXPECT_EQ(PhotoBrowseNumber(c.address), c.number) << c.address;
        EXPECT_EQ(PhotoBrowseQueryNumber(c.address), c.queryNumber) << c.address;
        EXPECT_EQ(StripPhotoBrowseQuery(c.address), c.stripped) << c.address;
    }

    EXPECT_EQ(HostOf(" http://UK.Groups.Yahoo.com:80/group/x "), "uk.groups.yahoo.com");
    EXPECT_EQ(HostOf("not an address"), "");
    EXPECT_EQ(PrefixBeforeHost("xx.photos.groups.yahoo.com", "photos.groups.yahoo.com"), "xx.");
    EXPECT_EQ(PrefixBeforeHost("photos.groups.yahoo.com", "photos.groups.yahoo.com"), "");
    EXPECT_EQ(PrefixBeforeHost("ph.groups.yahoo.com", "photos.groups.yahoo.com"), "");
    EXPECT_EQ(AsciiUpper(QString::fromUtf8("stra\xC3\x9F" "e")), QString::fromUtf8("STRA\xC3\x9F" "E"));
}

TEST(SiteModelFiles, ForceFileDirCreatesTheFolders)
{
    const QString file = brindle::test::TemporaryHome() + "archive/Files/foo/sub dir/file.txt";
    EXPECT_TRUE(TYahooBase::ForceFileDir(file));
    EXPECT_TRUE(QFileInfo(QFileInfo(file).path()).isDir());
    EXPECT_TRUE(TYahooBase::ForceFileDir(file)); // already there
}
