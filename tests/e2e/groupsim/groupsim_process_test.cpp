// The groupsim program as tests and the demo run it: started with arguments, reached
// as the HTTP proxy, stopped by signal or through its control endpoint.
#include "groupsim/data_generator.h"
#include "groupsim/file_store.h"
#include "groupsim/fixture_loader.h"
#include "support/groupsim_process.h"
#include "support/proxy_http_client.h"

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

using namespace brindle::groupsim;
using brindle::test::GroupsimProcess;
using brindle::test::HttpResult;
using brindle::test::ProxyHttpClient;

TEST(GroupsimProgram, ServesAsTheProxyFromTheEnvironmentAndStopsOnSigterm)
{
    GroupsimProcess sim({"--generate", "groups=2,messages=10,regional=1"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    brindle::test::UseProxy(sim.ProxyUrl());
    EXPECT_EQ(qgetenv("http_proxy"), sim.ProxyUrl().toLocal8Bit());

    ProxyHttpClient client{""};  // libcurl reads http_proxy itself
    EXPECT_EQ(client.Get("http://groups.yahoo.com/").status, 200);
    const HttpResult regional = client.Get("http://groups.yahoo.com/group/SimGroup1/messages/", true);
    EXPECT_EQ(regional.status, 200);
    EXPECT_EQ(regional.effectiveUrl, "http://uk.groups.yahoo.com/group/SimGroup1/messages/");
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_NE(client.Get("http://groups.yahoo.com/").curlCode, 0);
}

TEST(GroupsimProgram, StreamsATwoHundredMegabyteFile)
{
    GroupsimProcess sim({"--generate", "groups=1,messages=1,files=0,bigfile=200m,seed=5"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QString error;
    const SimData data = Generate(*ParseGeneratorRecipe("groups=1,messages=1,files=0,bigfile=200m,seed=5", &error));
    const SimGroup &group = data.groups.front();
    const SimFile &big = group.files.front();

    ProxyHttpClient client{sim.ProxyUrl().toStdString()};
    std::uint64_t received = 0;
    bool same = true;
    std::string expected;
    const HttpResult r = client.GetStreamed(FileStoreUrl(group, big.path), [&](const char *bytes, std::size_t n) {
        expected.resize(n);
        FillFileBytes(big.seed, received, expected.data(), n);
        same = same && expected.compare(0, n, bytes, n) == 0;
        received += n;
        return true;
    });
    EXPECT_EQ(r.curlCode, 0);
    EXPECT_EQ(r.Header("content-length"), std::to_string(200ULL * 1024 * 1024));
    EXPECT_EQ(received, 200ULL * 1024 * 1024);
    EXPECT_TRUE(same);
}

TEST(GroupsimProgram, DemoFixtureLogAndShutdownThroughTheControlEndpoint)
{
    GroupsimProcess sim({"--data", GROUPSIM_DEMO_FIXTURE, "--log"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    QString error;
    const auto data = LoadFixtureFile(GROUPSIM_DEMO_FIXTURE, &error);
    ASSERT_TRUE(data) << error.toStdString();

    ProxyHttpClient client{sim.ProxyUrl().toStdString()};
    ASSERT_EQ(client.PostForm("http://login.yahoo.com/config/login", "login=demo_user&passwd=demo-pass").status, 302);
    client.PostForm("http://groups.yahoo.com/adultconf", "accept=I+Accept");
    for (const SimGroup &group : data->groups) {
        const std::string url = "http://groups.yahoo.com/group/" + group.name + "/message/"
            + std::to_string(group.messages.begin()->first) + "?source=1";
        HttpResult r = client.Get(url, true);
        if (r.body.find("Continue to message") != std::string::npos)  // members-only: the auth page
            r = client.Get(url, true);
        EXPECT_EQ(r.status, 200) << group.name;
        EXPECT_NE(r.body.find("class=\"source user\""), std::string::npos) << group.name;
    }

    const HttpResult stop = client.Send("POST", "http://groupsim.control/shutdown", "", "text/plain");
    EXPECT_EQ(stop.body, "stopping\n");
    EXPECT_EQ(sim.Stop(), 0);
    const QByteArray log = sim.Output();
    EXPECT_TRUE(log.contains("POST http://login.yahoo.com/config/login 302\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("GET http://groups.yahoo.com/group/VintageRadio/message/1?source=1 200\n"));
}

TEST(GroupsimProgram, RefusesBadArguments)
{
    const QStringList cases[] = {{}, {"--generate", "groups=x"}, {"--data", "/nonexistent/fixture.json"}, {"--bogus"}};
    for (const QStringList &args : cases) {
        GroupsimProcess sim(args);
        EXPECT_FALSE(sim.Started()) << args.join(' ').toStdString();
        EXPECT_FALSE(sim.Error().isEmpty());
        EXPECT_EQ(sim.Stop(), 2) << args.join(' ').toStdString();
    }
}
