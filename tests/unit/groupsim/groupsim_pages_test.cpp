// The simulated service's pages and flows, asked in-process (no network): what the
// program reads from them (links, cells, form fields, addresses) must hold.
#include "groupsim/data_generator.h"
#include "groupsim/file_store.h"
#include "groupsim/fixture_loader.h"
#include "groupsim/message_builder.h"
#include "groupsim/sim_service.h"
#include "unit/groupsim/groupsim_test_util.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <algorithm>

using namespace brindle::groupsim;
using namespace brindle::groupsim::testing;

namespace {

const char kFixture[] = R"({
  "users": [
    {"name": "alice", "password": "wonderland", "groups": ["Sample", "Members", "Members2", "Club"]},
    {"name": "bob", "password": "builder", "groups": []}
  ],
  "groups": [
    {"name": "Sample", "deleted": [4], "messages": [
       {"subject": "one", "date": "2004-01-05T10:23:00-08:00"}, {"subject": "two"}, {"subject": "three"},
       {"subject": "five"}, {"subject": "six", "body": "see http://www.example.org/a?b=1&c=2 now"}],
     "files": [{"path": "/readme.txt", "text": "hello"}, {"path": "/Docs/Old & Rare/a b?.bin", "size": 5000, "seed": 9}]},
    {"name": "Regional", "prefix": "uk.", "messages": [{"subject": "hi"}]},
    {"name": "Club", "adult": true, "messages": [{"subject": "late"}]},
    {"name": "Members", "membersOnly": true, "messages": [{"subject": "m1"}, {"subject": "m2"}, {"subject": "m3"}]},
    {"name": "Members2", "membersOnly": true, "authMode": "redirect", "messages": [{"subject": "r1"}]},
    {"name": "Empty"}
  ]
})";

SimData FixtureData()
{
    QString error;
    auto data = LoadFixture(QByteArray(kFixture), &error);
    EXPECT_TRUE(data) << error.toStdString();
    GeneratorRecipe recipe;
    recipe.groups = 1;
    recipe.messages = 75;
    recipe.deletedPercent = 20;
    recipe.name = "Generated";
    data->Merge(Generate(recipe));
    return std::move(*data);
}

class GroupsimPages : public ::testing::Test {
protected:
    SimService service{FixtureData()};

    SimResponse Get(const std::string &url, const std::map<std::string, std::string> &cookies = {})
    {
        return service.Serve(Request(url, cookies)).response;
    }
    SimResponse Post(const std::string &url, const std::string &form, const std::map<std::string, std::string> &cookies = {})
    {
        return service.Serve(Request(url, cookies, "POST", form)).response;
    }
    static std::string HeaderOf(const SimResponse &r, const std::string &name)
    {
        for (const auto &[n, v] : r.headers)
            if (n == name)
                return v;
        return {};
    }
    // The value of a cookie set by the response ("" when none).
    static std::string CookieSet(const SimResponse &r, const std::string &name)
    {
        for (const auto &[n, v] : r.headers)
            if (n == "Set-Cookie" && v.rfind(name + "=", 0) == 0)
                return v.substr(name.size() + 1, v.find(';') - name.size() - 1);
        return {};
    }
    std::string SignIn(const std::string &user, const std::string &password)
    {
        return CookieSet(Post("http://login.yahoo.com/config/login", "login=" + user + "&passwd=" + password), "Y");
    }
    const SimGroup &Group(const std::string &name) { return *service.Data().Group(name); }
};

bool HasInput(const std::string &html, const std::string &type, const std::string &name, const std::string &value = {})
{
    const std::string tag = "<input type=\"" + type + "\" name=\"" + name + "\"";
    const std::size_t at = html.find(tag);
    return at != std::string::npos && (value.empty() || html.find("value=\"" + value + "\"", at) < html.find('>', at));
}

} // namespace

TEST_F(GroupsimPages, ListPagesGiveFirstAndLastMessage)
{
    for (const char *name : {"Sample", "Generated1"}) {
        const SimGroup &g = Group(name);
        const auto first = MessageLinks(Get("http://groups.yahoo.com/group/" + std::string(name) + "/messages/1").body, name);
        const auto last = MessageLinks(Get("http://groups.yahoo.com/group/" + std::string(name) + "/messages/").body, name);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(*std::min_element(first.begin(), first.end()), g.messages.begin()->first) << name;
        EXPECT_EQ(*std::max_element(last.begin(), last.end()), g.messages.rbegin()->first) << name;
    }
    // The group name is matched without regard to case; links spell it the group's way.
    const SimResponse lower = Get("http://groups.yahoo.com/group/generated1/messages/1");
    EXPECT_NE(lower.body.find("href=\"/group/Generated1/message/"), std::string::npos);
    EXPECT_TRUE(MessageLinks(Get("http://groups.yahoo.com/group/Empty/messages/1").body, "Empty").empty());
    EXPECT_TRUE(MessageLinks(Get("http://groups.yahoo.com/group/Empty/messages/").body, "Empty").empty());
}

TEST_F(GroupsimPages, MessagePagesLinkTheirExistingNeighboursButNeverThemselves)
{
    for (const char *name : {"Sample", "Generated1"}) {
        const SimGroup &g = Group(name);
        for (const auto &[n, m] : g.messages) {
            for (const char *form : {"", "?source=1"}) {
                const std::string html = Get("http://groups.yahoo.com/group/" + std::string(name) + "/message/"
                                             + std::to_string(n) + form).body;
                auto numbers = MessageLinks(html, name);
                numbers.push_back(n);
                std::sort(numbers.begin(), numbers.end());
                const auto after = std::upper_bound(numbers.begin(), numbers.end(), n);
                const int next = after == numbers.end() ? 0 : *after;
                EXPECT_EQ(next, g.NextNumber(n)) << name << " " << n << form;
                for (const std::string &link : Links(html))
                    EXPECT_NE(link, "/group/" + std::string(name) + "/message/" + std::to_string(n)) << n << form;
            }
        }
    }
}

TEST_F(GroupsimPages, DeletedMessagePageSaysSoAndLinksNoMessage)
{
    const SimResponse r = Get("http://groups.yahoo.com/group/Sample/message/4");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body.find("Message does not exist"), std::string::npos);
    EXPECT_TRUE(MessageLinks(r.body, "Sample").empty());
    EXPECT_NE(Get("http://groups.yahoo.com/group/Sample/message/999").body.find("does not exist"), std::string::npos);
}

TEST_F(GroupsimPages, SourceCellHoldsTheRawMessage)
{
    int checked = 0;
    for (const char *name : {"Sample", "Generated1"})
        for (const auto &[n, m] : Group(name).messages) {
            const std::string html = Get("http://groups.yahoo.com/group/" + std::string(name) + "/message/"
                                         + std::to_string(n) + "?source=1").body;
            ASSERT_EQ(SourceCellText(html), m.raw) << name << " " << n;
            ++checked;
        }
    EXPECT_GT(checked, 70);
}

TEST_F(GroupsimPages, MessagePageShowsDateTextAndLinks)
{
    const std::string first = Get("http://groups.yahoo.com/group/Sample/message/1").body;
    EXPECT_NE(first.find("<b>Date:</b>&nbsp;Mon Jan 5, 2004 10:23 am<br>"), std::string::npos);
    EXPECT_LT(first.find("Date:<"), first.find("msgarea")) << "the date comes before the message text";
    const auto links = Links(Get("http://groups.yahoo.com/group/Sample/message/6").body);
    EXPECT_NE(std::find(links.begin(), links.end(), "http://www.example.org/a?b=1&c=2"), links.end());
    EXPECT_NE(std::find(links.begin(), links.end(), "mailto:member@example.com"), links.end());
}

TEST_F(GroupsimPages, RegionalGroupLivesOnItsPrefixHost)
{
    SimResponse r = Get("http://groups.yahoo.com/group/Regional/messages/1?x=1");
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(HeaderOf(r, "Location"), "http://uk.groups.yahoo.com/group/Regional/messages/1?x=1");
    EXPECT_EQ(Get("http://uk.groups.yahoo.com/group/Regional/messages/1").status, 200);
    r = Get("http://uk.groups.yahoo.com/group/Sample/");
    EXPECT_EQ(HeaderOf(r, "Location"), "http://groups.yahoo.com/group/Sample/");
    EXPECT_EQ(Get("http://groups.yahoo.com/group/Regional").status, 302);
}

TEST_F(GroupsimPages, AdultGroupAsksForConfirmationOnce)
{
    SimResponse r = Get("http://groups.yahoo.com/group/Club/");
    ASSERT_EQ(r.status, 302);
    const std::string confirm = HeaderOf(r, "Location");
    EXPECT_EQ(confirm, "http://groups.yahoo.com/adultconf?dest=" + UrlEncode("http://groups.yahoo.com/group/Club/"));
    const std::string page = Get(confirm).body;
    EXPECT_TRUE(HasInput(page, "submit", "accept", "I Accept"));
    EXPECT_NE(page.find("action=\"/adultconf\""), std::string::npos);

    r = Post("http://groups.yahoo.com/adultconf", "dest=" + UrlEncode("http://groups.yahoo.com/group/Club/") + "&accept=I+Accept");
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(HeaderOf(r, "Location"), "http://groups.yahoo.com/group/Club/");
    const std::string accepted = CookieSet(r, "AO");
    ASSERT_FALSE(accepted.empty());
    EXPECT_NE(HeaderOf(r, "Set-Cookie").find("Domain=.yahoo.com"), std::string::npos);
    EXPECT_EQ(Get("http://groups.yahoo.com/group/Club/messages/", {{"AO", accepted}}).status, 200);
    // A destination off the service is not followed.
    r = Get("http://groups.yahoo.com/adultconf?dest=http%3A%2F%2Fevil.example%2F&accept=1");
    EXPECT_EQ(HeaderOf(r, "Location"), "http://groups.yahoo.com/");
}

TEST_F(GroupsimPages, MembersOnlyMessagesGoThroughTheAuthPage)
{
    const std::string message = "http://groups.yahoo.com/group/Members/message/2?source=1";
    SimResponse r = Get(message);
    ASSERT_EQ(r.status, 302);
    const std::string auth = HeaderOf(r, "Location");
    EXPECT_NE(auth.find("Members/auth?"), std::string::npos);

    // Not signed in: the auth page shows the sign-in form.
    EXPECT_TRUE(HasInput(Get(auth).body, "password", "passwd"));

    const std::string session = SignIn("alice", "wonderland");
    ASSERT_FALSE(session.empty());
    r = Get(auth, {{"Y", session}});
    EXPECT_EQ(r.status, 200);
    const std::string grant = CookieSet(r, GroupSite::AuthCookieName(Group("Members")));
    EXPECT_EQ(grant, session);
    const auto links = Links(r.body);
    EXPECT_NE(std::find(links.begin(), links.end(), "/group/Members/message/2"), links.end())
        << "the page links on to the message itself";

    r = Get(message, {{"Y", session}, {GroupSite::AuthCookieName(Group("Members")), grant}});
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(SourceCellText(r.body), Group("Members").Message(2)->raw);

    // The redirecting form sends a member straight on.
    const std::string other = "http://groups.yahoo.com/group/Members2/message/1";
    r = Get(HeaderOf(Get(other), "Location"), {{"Y", session}});
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(HeaderOf(r, "Location"), other);

    // A signed-in stranger is told so and gets no grant.
    const std::string stranger = SignIn("bob", "builder");
    r = Get(auth, {{"Y", stranger}});
    EXPECT_NE(r.body.find("not a member"), std::string::npos);
    EXPECT_TRUE(CookieSet(r, GroupSite::AuthCookieName(Group("Members"))).empty());
    EXPECT_NE(Get("http://groups.yahoo.com/group/Members/messages/1", {{"Y", stranger}}).body.find("not a member"),
              std::string::npos);
    EXPECT_EQ(MessageLinks(Get("http://groups.yahoo.com/group/Members/messages/1", {{"Y", session}}).body, "Members").front(), 1);
}

TEST_F(GroupsimPages, LoginFormSignInAndSignOut)
{
    const std::string form = Get("http://login.yahoo.com/").body;
    EXPECT_TRUE(HasInput(form, "text", "login"));
    EXPECT_TRUE(HasInput(form, "password", "passwd"));
    EXPECT_TRUE(HasInput(form, "checkbox", ".persistent"));
    EXPECT_TRUE(HasInput(form, "submit", ".save", "Sign In"));
    EXPECT_NE(form.find("action=\"http://login.yahoo.com/config/login\""), std::string::npos);

    SimResponse r = Post("http://login.yahoo.com/config/login", "login=alice&passwd=wrong&.save=Sign+In");
    EXPECT_EQ(r.status, 200) << "a refused sign-in stays on login.yahoo.com/config/login";
    EXPECT_TRUE(HasInput(r.body, "password", "passwd"));
    EXPECT_TRUE(CookieSet(r, "Y").empty());

    r = Post("http://login.yahoo.com/config/login",
             "login=alice&passwd=wonderland&.persistent=y&.done=" + UrlEncode("http://groups.yahoo.com/mygroups"));
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(HeaderOf(r, "Location"), "http://groups.yahoo.com/mygroups");
    const std::string session = CookieSet(r, "Y");
    ASSERT_FALSE(session.empty());
    EXPECT_NE(HeaderOf(r, "Set-Cookie").find("Domain=.yahoo.com; Path=/; Expires="), std::string::npos);
    EXPECT_NE(Get("http://groups.yahoo.com/", {{"Y", session}}).body.find("Hello, alice"), std::string::npos);

    // The query form of signing in, with its fixed parameters; no "done" goes to the group host.
    r = Get("http://login.yahoo.com/config/login?.tries=1&.src=ym&.intl=us&login=alice&passwd=wonderland");
    EXPECT_EQ(HeaderOf(r, "Location"), "http://groups.yahoo.com/");

    r = Get("http://login.yahoo.com/config/login?logout=1&.intl=us&.src=&.partner=&.direct=1&.done=http%3A//login.yahoo.com/config/login",
            {{"Y", session}});
    EXPECT_EQ(HeaderOf(r, "Location"), "http://login.yahoo.com/config/login");
    EXPECT_NE(HeaderOf(r, "Set-Cookie").find("Y=; Domain=.yahoo.com; Path=/; Expires=Thu, 01 Jan 1970"), std::string::npos);
    EXPECT_TRUE(HasInput(Get("http://groups.yahoo.com/mygroups", {{"Y", session}}).body, "password", "passwd"))
        << "the old session has ended";
    r = Get("http://login.yahoo.com/config/login?logout=1");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body.find("signed out"), std::string::npos);
}

TEST_F(GroupsimPages, MyGroupsPages)
{
    GeneratorRecipe recipe;
    recipe.groups = 25;
    recipe.messages = 1;
    recipe.files = 0;
    SimService many(Generate(recipe));
    const std::string session = CookieSet(many.Serve(Request("http://login.yahoo.com/config/login", {}, "POST",
                                                             "login=simuser&passwd=simpass")).response, "Y");
    const std::string page = many.Serve(Request("http://groups.yahoo.com/mygroups", {{"Y", session}})).response.body;
    const auto links = Links(page);
    EXPECT_EQ(std::count_if(links.begin(), links.end(), [](const std::string &l) {
                  return l.rfind("/group/SimGroup", 0) == 0 && l.find("/?") != std::string::npos;
              }), 10);
    EXPECT_NE(std::find(links.begin(), links.end(), "/mygroups?sort=n&order=a&page=3"), links.end());
    const std::string third = many.Serve(Request("http://groups.yahoo.com/mygroups?sort=n&order=a&page=3", {{"Y", session}}))
                                  .response.body;
    EXPECT_NE(third.find("/group/SimGroup25/?"), std::string::npos);
    EXPECT_EQ(third.find("/group/SimGroup1/?"), std::string::npos);
}

TEST_F(GroupsimPages, FilesFoldersAndTheFileStore)
{
    const std::string top = Get("http://groups.yahoo.com/group/Sample/files/").body;
    const auto links = Links(top);
    EXPECT_NE(std::find(links.begin(), links.end(), "/group/Sample/files/Docs/"), links.end());
    const std::string readme = FileStoreUrl(Group("Sample"), "/readme.txt");
    EXPECT_NE(std::find(links.begin(), links.end(), readme), links.end());
    const std::string sub = Get("http://groups.yahoo.com/group/Sample/files/Docs/Old%20%26%20Rare/").body;
    const std::string odd = FileStoreUrl(Group("Sample"), "/Docs/Old & Rare/a b?.bin");
    EXPECT_NE(odd.find("/Docs/Old%20%26%20Rare/a%20b%3F.bin"), std::string::npos);
    EXPECT_NE(sub.find("href=\"" + odd + "\""), std::string::npos);
    EXPECT_EQ(Get("http://groups.yahoo.com/group/Sample/files/Nope/").status, 404);

    EXPECT_EQ(Get(readme).body, "hello");
    const SimResponse bin = Get(odd);
    ASSERT_EQ(bin.status, 200);
    ASSERT_EQ(bin.BodySize(), 5000u);
    std::string bytes(5000, '\0'), expected(5000, '\0');
    bin.ReadBody(0, bytes.data(), 5000);
    FillFileBytes(9, 0, expected.data(), 5000);
    EXPECT_EQ(bytes, expected);
    std::string middle(100, '\0');
    FillFileBytes(9, 1234, middle.data(), 100);
    EXPECT_EQ(middle, expected.substr(1234, 100)) << "any range can be produced on its own";
    EXPECT_EQ(Get(FileStoreUrl(Group("Sample"), "/missing.txt")).status, 404);
}

TEST_F(GroupsimPages, FaultsChangeTheAnswers)
{
    auto control = [&](const std::string &method, const std::string &path, const std::string &body = {}) {
        return service.Serve(Request("http://groupsim.control" + path, {}, method, body)).response;
    };
    EXPECT_EQ(control("POST", "/faults", R"([{"match":"*/message/1","status":503,"times":1},
        {"match":"groups.yahoo.com/group/Sample/messages*","loginRequired":true},
        {"match":"*/message/2*","interstitial":true,"times":1},
        {"match":"*/message/3","delayMs":250,"cutAfter":10,"noContentLength":true}])").status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(control("GET", "/faults").body)).array().size(), 4);

    EXPECT_EQ(Get("http://groups.yahoo.com/group/Sample/message/1").status, 503);
    EXPECT_EQ(Get("http://groups.yahoo.com/group/Sample/message/1").status, 200);

    EXPECT_TRUE(HasInput(Get("http://groups.yahoo.com/group/Sample/messages/1").body, "password", "passwd"));
    const std::string session = SignIn("alice", "wonderland");
    EXPECT_EQ(MessageLinks(Get("http://groups.yahoo.com/group/Sample/messages/1", {{"Y", session}}).body, "Sample").front(), 1);

    const auto links = Links(Get("http://groups.yahoo.com/group/Sample/message/2?source=1").body);
    EXPECT_NE(std::find(links.begin(), links.end(), "/group/Sample/message/2"), links.end());
    EXPECT_EQ(SourceCellText(Get("http://groups.yahoo.com/group/Sample/message/2?source=1").body),
              Group("Sample").Message(2)->raw);

    const SimAnswer slow = service.Serve(Request("http://groups.yahoo.com/group/Sample/message/3"));
    EXPECT_EQ(slow.delayMs, 250);
    EXPECT_EQ(slow.cutAfter, 10);
    EXPECT_TRUE(slow.noContentLength);

    const QJsonArray journal = QJsonDocument::fromJson(QByteArray::fromStdString(control("GET", "/requests").body)).array();
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_EQ(journal.first().toObject().value("url").toString(), "http://groups.yahoo.com/group/Sample/message/1");
    EXPECT_EQ(journal.first().toObject().value("status").toInt(), 503);
    control("DELETE", "/faults");
    control("POST", "/requests/clear", "");
    EXPECT_EQ(control("GET", "/faults").body, "[]\n");
    EXPECT_EQ(control("GET", "/requests").body, "[]\n");
    EXPECT_EQ(control("POST", "/faults", "{\"match\":").status, 400);
    EXPECT_EQ(control("POST", "/faults", R"({"match":"*","colour":1})").status, 400);
}

TEST_F(GroupsimPages, UnknownGroupsHostsAndPages)
{
    const SimResponse noGroup = Get("http://groups.yahoo.com/group/nosuchgroup/");
    EXPECT_EQ(noGroup.status, 404);
    EXPECT_NE(noGroup.body.find("There is no group called nosuchgroup"), std::string::npos);
    EXPECT_EQ(Get("http://www.example.org/").status, 502);
    EXPECT_EQ(Get("http://photos.groups.yahoo.com/group/Sample/").status, 502);
    EXPECT_EQ(Get("http://groups.yahoo.com/group/Sample/message/abc").status, 404);
    EXPECT_EQ(Get("http://groups.yahoo.com/nothing").status, 404);
    EXPECT_EQ(Get("http://groups.yahoo.com/").status, 200);
}
