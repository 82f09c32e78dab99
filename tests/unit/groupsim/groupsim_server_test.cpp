// The simulated service over loopback HTTP: clients use it as their proxy and keep the
// service's host names; faults act on the wire.
#include "groupsim/data_generator.h"
#include "groupsim/file_store.h"
#include "groupsim/groupsim_server.h"
#include "support/proxy_http_client.h"
#include "unit/groupsim/groupsim_test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace brindle::groupsim;
using namespace brindle::groupsim::testing;
using brindle::test::HttpResult;
using brindle::test::ProxyHttpClient;

namespace {

constexpr std::uint64_t kLargeFile = 48ULL * 1024 * 1024;

SimData TestData()
{
    QString error;
    auto recipe = ParseGeneratorRecipe("groups=3,messages=12,regional=1,adult=1,files=4,filesize=20000,bigfile=48m", &error);
    return Generate(*recipe);
}

class GroupsimServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(server.Start(0), 0);
        client = std::make_unique<ProxyHttpClient>(server.ProxyUrl());
    }

    std::string FileUrl(const std::string &group, const std::string &path)
    {
        return FileStoreUrl(*server.Service().Data().Group(group), path);
    }
    void AddFaults(const std::string &json)
    {
        ASSERT_EQ(client->Send("POST", "http://groupsim.control/faults", json, "application/json").status, 200);
    }

    GroupsimServer server{TestData()};
    std::unique_ptr<ProxyHttpClient> client;
};

} // namespace

TEST_F(GroupsimServerTest, AbsoluteFormRequestsReachEveryHost)
{
    const struct { std::string url; long status; } cases[] = {
        {"http://groups.yahoo.com/", 200},
        {"http://groups.yahoo.com/group/SimGroup2/", 200},
        {"http://groups.yahoo.com/group/SimGroup1/", 302},
        {"http://uk.groups.yahoo.com/group/SimGroup1/messages/1", 200},
        {"http://login.yahoo.com/", 200},
        {"http://groups.yahoo.com/group/SimGroup3/", 302},
        {"http://www.example.com/anything", 502},
    };
    for (const auto &c : cases) {
        const HttpResult r = client->Get(c.url);
        EXPECT_EQ(r.curlCode, 0) << c.url;
        EXPECT_EQ(r.status, c.status) << c.url;
    }
    const HttpResult file = client->Get(FileUrl("SimGroup2", "/readme.txt"));
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.Header("content-length"), "20000");
    EXPECT_EQ(file.body.size(), 20000u);
    const HttpResult followed = client->Get("http://groups.yahoo.com/group/SimGroup1/messages/1", true);
    EXPECT_EQ(followed.effectiveUrl, "http://uk.groups.yahoo.com/group/SimGroup1/messages/1");
}

TEST_F(GroupsimServerTest, SourcePageCellEqualsTheRawMessage)
{
    const SimGroup &group = *server.Service().Data().Group("SimGroup2");
    for (const auto &[n, m] : group.messages) {
        const HttpResult r = client->Get("http://groups.yahoo.com/group/SimGroup2/message/" + std::to_string(n) + "?source=1");
        ASSERT_EQ(r.status, 200);
        EXPECT_EQ(r.Header("content-type"), "text/html; charset=utf-8");
        EXPECT_EQ(SourceCellText(r.body), m.raw) << n;
    }
}

TEST_F(GroupsimServerTest, LoginSetsTheSessionCookieThatLoginRequiredWaitsFor)
{
    AddFaults(R"({"match":"groups.yahoo.com/group/SimGroup2/*","loginRequired":true})");
    HttpResult r = client->Get("http://groups.yahoo.com/group/SimGroup2/messages/1");
    EXPECT_NE(r.body.find("name=\"passwd\""), std::string::npos);
    EXPECT_TRUE(MessageLinks(r.body, "SimGroup2").empty());

    r = client->PostForm("http://login.yahoo.com/config/login", "login=simuser&passwd=nope&.save=Sign+In", true);
    EXPECT_EQ(r.effectiveUrl, "http://login.yahoo.com/config/login");
    EXPECT_TRUE(client->Cookie("groups.yahoo.com", "Y").empty());

    r = client->PostForm("http://login.yahoo.com/config/login",
                        "login=simuser&passwd=simpass&.persistent=y&.save=Sign+In&.done="
                            + UrlEncode("http://groups.yahoo.com/group/SimGroup2/messages/1"),
                        true);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.effectiveUrl, "http://groups.yahoo.com/group/SimGroup2/messages/1");
    EXPECT_FALSE(client->Cookie("groups.yahoo.com", "Y").empty());
    EXPECT_FALSE(client->Cookie("uk.groups.yahoo.com", "Y").empty()) << "the cookie covers the regional hosts";
    EXPECT_EQ(MessageLinks(r.body, "SimGroup2").front(), 1);

    client->Get("http://login.yahoo.com/config/login?logout=1");
    EXPECT_TRUE(client->Cookie("groups.yahoo.com", "Y").empty());
    EXPECT_NE(client->Get("http://groups.yahoo.com/group/SimGroup2/messages/1").body.find("name=\"passwd\""), std::string::npos);
}

TEST_F(GroupsimServerTest, AdultConfirmationThroughRedirects)
{
    HttpResult r = client->Get("http://groups.yahoo.com/group/SimGroup3/messages/1", true);
    EXPECT_EQ(r.effectiveUrl.rfind("http://groups.yahoo.com/adultconf?dest=", 0), 0u);
    EXPECT_NE(r.body.find("name=\"accept\" value=\"I Accept\""), std::string::npos);
    r = client->PostForm("http://groups.yahoo.com/adultconf",
                        "dest=" + UrlEncode("http://groups.yahoo.com/group/SimGroup3/messages/1") + "&accept=I+Accept", true);
    EXPECT_EQ(r.effectiveUrl, "http://groups.yahoo.com/group/SimGroup3/messages/1");
    EXPECT_FALSE(MessageLinks(r.body, "SimGroup3").empty());
}

TEST_F(GroupsimServerTest, FaultsOnTheWire)
{
    const std::string page = "http://groups.yahoo.com/group/SimGroup2/messages/1";
    const std::string file = FileUrl("SimGroup2", "/readme.txt");
    std::string expected(20000, '\0');
    FillFileBytes(server.Service().Data().Group("SimGroup2")->File("/readme.txt")->seed, 0, expected.data(), expected.size());

    AddFaults(R"({"match":"*/messages/1","status":500,"times":1})");
    EXPECT_EQ(client->Get(page).status, 500);
    EXPECT_EQ(client->Get(page).status, 200);

    AddFaults(R"({"match":"*/messages/1","delayMs":300,"times":1})");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client->Get(page).status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

    AddFaults(R"({"match":"f1.grp.yahoofs.com/*/readme.txt","cutAfter":1000,"times":1})");
    HttpResult r = client->Get(file);
    EXPECT_EQ(r.Header("content-length"), "20000") << "the length promises the whole file";
    EXPECT_NE(r.curlCode, 0) << "the transfer ends early";
    EXPECT_EQ(r.body, expected.substr(0, 1000));

    AddFaults(R"({"match":"f1.grp.yahoofs.com/*/readme.txt","noContentLength":true,"times":1})");
    r = client->Get(file);
    EXPECT_EQ(r.curlCode, 0);
    EXPECT_FALSE(r.HasHeader("content-length"));
    EXPECT_EQ(r.body, expected);

    AddFaults(R"({"match":"*/messages/1","noContentLength":true,"cutAfter":50,"times":1})");
    r = client->Get(page);
    EXPECT_FALSE(r.HasHeader("content-length"));
    EXPECT_EQ(r.body.size(), 50u) << "without a length the cut looks like a short page";

    r = client->Get(file);
    EXPECT_EQ(r.curlCode, 0);
    EXPECT_EQ(r.body, expected) << "every rule above was used up";
}

TEST_F(GroupsimServerTest, LargeFileStreamsWithItsLength)
{
    const SimFile *big = server.Service().Data().Group("SimGroup1")->File("/Big/bigfile.bin");
    ASSERT_NE(big, nullptr);
    std::uint64_t received = 0;
    bool same = true;
    std::string expected;
    const HttpResult r = client->GetStreamed(FileUrl("SimGroup1", "/Big/bigfile.bin"), [&](const char *data, std::size_t n) {
        expected.resize(n);
        FillFileBytes(big->seed, received, expected.data(), n);
        same = same && expected.compare(0, n, data, n) == 0;
        received += n;
        return true;
    });
    EXPECT_EQ(r.curlCode, 0);
    EXPECT_EQ(r.Header("content-length"), std::to_string(kLargeFile));
    EXPECT_EQ(received, kLargeFile);
    EXPECT_TRUE(same);
}

TEST_F(GroupsimServerTest, DirectRequestsReachTheControlEndpoint)
{
    ProxyHttpClient direct{""};
    const std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(direct.Get(base + "/faults").body, "[]\n");
    client->Get("http://groups.yahoo.com/");
    EXPECT_NE(direct.Get(base + "/requests").body.find("\"url\":\"http://groups.yahoo.com/\""), std::string::npos);
    EXPECT_EQ(direct.Get(base + "/unknown").status, 404);
}

TEST_F(GroupsimServerTest, ShutdownThroughTheControlEndpointEndsDelayedAnswers)
{
    AddFaults(R"({"match":"*/messages/1","delayMs":60000})");
    auto slow = std::async(std::launch::async, [this] {
        ProxyHttpClient other{server.ProxyUrl()};
        return other.Get("http://groups.yahoo.com/group/SimGroup2/messages/1");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(client->Send("POST", "http://groupsim.control/shutdown", "", "text/plain").body, "stopping\n");
    server.Wait();
    ASSERT_EQ(slow.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_NE(slow.get().status, 200);
    EXPECT_NE(client->Get("http://groups.yahoo.com/").curlCode, 0) << "nothing listens any more";
}
