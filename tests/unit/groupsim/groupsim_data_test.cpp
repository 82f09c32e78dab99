// The simulated service's data: raw messages, the generator, the fixture reader and
// the fault rules.
#include "groupsim/data_generator.h"
#include "groupsim/fault_rules.h"
#include "groupsim/fixture_loader.h"
#include "groupsim/message_builder.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <set>

using namespace brindle::groupsim;

namespace {

// Decodes one RFC 2047 word "=?UTF-8?B?...?=" or "=?UTF-8?Q?...?=".
std::string DecodeWord(const std::string &word)
{
    const char kind = word.at(8);
    const std::string payload = word.substr(10, word.size() - 12);
    if (kind == 'B')
        return QByteArray::fromBase64(QByteArray::fromStdString(payload)).toStdString();
    std::string text = payload;
    std::replace(text.begin(), text.end(), '_', ' ');
    std::replace(text.begin(), text.end(), '=', '%');
    return QByteArray::fromPercentEncoding(QByteArray::fromStdString(text)).toStdString();
}

std::string DecodeQuotedPrintable(const std::string &encoded)
{
    std::string text;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            text += encoded[i];
        } else if (encoded.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else {
            text += char(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
    }
    return text;
}

std::vector<std::string> Lines(const std::string &raw)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = raw.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(raw.substr(start, end - start));
    lines.push_back(raw.substr(start));
    return lines;
}

std::string Header(const std::string &raw, const std::string &name)
{
    for (const std::string &line : Lines(raw)) {
        if (line.empty())
            break;
        if (line.rfind(name + ": ", 0) == 0)
            return line.substr(name.size() + 2);
    }
    return {};
}

} // namespace

TEST(MessageBuilder, HeaderWordsAreShortAndDecodeBack)
{
    const std::string inputs[] = {"Ελένη Παπαδοπούλου", "Café recommendations in Zürich",
                                  "新年快乐 – happy new year and a very long subject line that needs several words 🎉",
                                  "a_b=c?d \"quoted\""};
    for (const std::string &input : inputs) {
        for (char kind : {'B', 'Q'}) {
            const std::string encoded = EncodeHeaderWords(input, kind);
            std::string decoded;
            std::size_t start = 0;
            while (start < encoded.size()) {
                std::size_t end = encoded.find("\r\n ", start);
                const std::string word = encoded.substr(start, end == std::string::npos ? std::string::npos : end - start);
                EXPECT_LE(word.size(), 75u) << word;
                EXPECT_EQ(word.find(' '), std::string::npos) << word;
                decoded += DecodeWord(word);
                start = end == std::string::npos ? encoded.size() : end + 3;
            }
            EXPECT_EQ(decoded, input) << kind;
        }
    }
}

TEST(MessageBuilder, QuotedPrintableEncodesWhatItMustAndWrapsLongLines)
{
    const struct { std::string in; std::string out; } cases[] = {
        {"a=b", "a=3Db"},
        {"trailing \nnext", "trailing=20\r\nnext"},
        {"tab\t\n", "tab=09\r\n"},
        {"caf\xc3\xa9", "caf=C3=A9"},
        {"crlf\r\nkept", "crlf\r\nkept"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QuotedPrintable(c.in), c.out) << c.in;

    const std::string longLine = std::string(300, 'x') + "\xc3\xa9" + std::string(100, '=');
    const std::string encoded = QuotedPrintable(longLine);
    for (const std::string &line : Lines(encoded))
        EXPECT_LE(line.size(), 76u);
    EXPECT_EQ(DecodeQuotedPrintable(encoded), longLine);
}

TEST(MessageBuilder, ReplyWithHtmlAndAttachmentIsWellFormed)
{
    MessageDraft draft;
    draft.number = 12;
    draft.group = "sample";
    draft.fromName = "José Müller";
    draft.fromEmail = "jose@example.net";
    draft.subject = "Re: Café";
    draft.date = QDateTime(QDate(2004, 1, 5), QTime(10, 23, 45), QTimeZone(-8 * 3600));
    draft.body = "First line\nsee http://www.example.org/x\n";
    draft.htmlBody = "<p>First line</p>";
    draft.encoding = BodyEncoding::QuotedPrintable;
    draft.references = {"a@example.net", "b@example.net"};
    draft.attachments.push_back({"Résumé.txt", "text/plain", "attached"});
    const SimMessage m = BuildMessage(draft);

    EXPECT_EQ(m.raw.find('\n'), m.raw.find("\r\n") + 1) << "first line end is CRLF";
    for (std::size_t at = 0; (at = m.raw.find('\n', at)) != std::string::npos; ++at)
        ASSERT_EQ(m.raw[at - 1], '\r') << "lone LF at " << at;
    for (const std::string &line : Lines(m.raw))
        EXPECT_LE(line.size(), 998u);
    EXPECT_EQ(Header(m.raw, "Date"), "Mon, 05 Jan 2004 10:23:45 -0800");
    EXPECT_EQ(Header(m.raw, "In-Reply-To"), "<b@example.net>");
    EXPECT_NE(m.raw.find("References: <a@example.net>\r\n <b@example.net>\r\n"), std::string::npos);
    EXPECT_EQ(Header(m.raw, "Subject"), "=?UTF-8?Q?Re:_Caf=C3=A9?=");
    EXPECT_NE(Header(m.raw, "From").find("=?UTF-8?Q?Jos=C3=A9_M=C3=BCller?= <jose@example.net>"), std::string::npos);
    EXPECT_NE(m.raw.find("Content-Type: multipart/mixed"), std::string::npos);
    EXPECT_NE(m.raw.find("Content-Type: multipart/alternative"), std::string::npos);
    EXPECT_NE(m.raw.find("filename*=utf-8''R%C3%A9sum%C3%A9.txt"), std::string::npos);
    for (const char *kind : {"mix", "alt"}) {
        static const QRegularExpression boundary(QStringLiteral("boundary=\"([^\"]+)\""));
        for (auto it = boundary.globalMatch(QString::fromStdString(m.raw)); it.hasNext();) {
            const std::string b = it.next().captured(1).toStdString();
            EXPECT_NE(m.raw.find("\r\n--" + b + "--\r\n"), std::string::npos) << kind << " " << b;
        }
    }
    EXPECT_EQ(m.subject, "Re: Café");
    EXPECT_EQ(m.author, "José Müller");
    EXPECT_NE(m.text.find("Yahoo! Groups Links"), std::string::npos);
    EXPECT_EQ(PageDate(draft.date), "Mon Jan 5, 2004 10:23 am");
}

TEST(MessageBuilder, RawMessageKeepsItsTextWithCrlfAndReadsDisplayFields)
{
    const SimMessage m = MessageFromRaw(3, "From: \"Ann\" <ann@example.com>\nSubject: two\n lines\n"
                                           "Date: Wed, 01 Jan 2003 10:00:00 +0100\n\nbody\n");
    EXPECT_EQ(m.raw, "From: \"Ann\" <ann@example.com>\r\nSubject: two\r\n lines\r\n"
                     "Date: Wed, 01 Jan 2003 10:00:00 +0100\r\n\r\nbody\r\n");
    EXPECT_EQ(m.subject, "two lines");
    EXPECT_EQ(m.author, "Ann");
    EXPECT_EQ(m.authorEmail, "ann@example.com");
    EXPECT_EQ(m.date.toUTC(), QDateTime(QDate(2003, 1, 1), QTime(9, 0), QTimeZone::utc()));
}

TEST(DataGenerator, RecipeStrings)
{
    QString error;
    const auto recipe = ParseGeneratorRecipe("groups=3,messages=2000,seed=7,filesize=2m,bigfile=200M,regional=1,name=Club", &error);
    ASSERT_TRUE(recipe) << error.toStdString();
    EXPECT_EQ(recipe->groups, 3);
    EXPECT_EQ(recipe->messages, 2000);
    EXPECT_EQ(recipe->seed, 7u);
    EXPECT_EQ(recipe->fileSize, 2u * 1024 * 1024);
    EXPECT_EQ(recipe->bigFile, 200u * 1024 * 1024);
    EXPECT_EQ(recipe->regional, 1);
    EXPECT_EQ(recipe->name, "Club");
    EXPECT_TRUE(ParseGeneratorRecipe("", &error)) << "all defaults";

    for (const char *bad : {"groups=x", "colour=red", "groups", "deleted=95", "filesize=12q", "messages=-1", "name="}) {
        error.clear();
        EXPECT_FALSE(ParseGeneratorRecipe(bad, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(DataGenerator, SameSeedSameData)
{
    GeneratorRecipe recipe;
    recipe.groups = 2;
    recipe.messages = 40;
    const SimData a = Generate(recipe);
    const SimData b = Generate(recipe);
    recipe.seed = 2;
    const SimData c = Generate(recipe);
    ASSERT_EQ(a.groups.size(), 2u);
    std::string rawA, rawB, rawC;
    for (std::size_t g = 0; g < 2; ++g) {
        for (const auto &[n, m] : a.groups[g].messages)
            rawA += m.raw;
        for (const auto &[n, m] : b.groups[g].messages)
            rawB += m.raw;
        for (const auto &[n, m] : c.groups[g].messages)
            rawC += m.raw;
    }
    EXPECT_EQ(rawA, rawB);
    EXPECT_NE(rawA, rawC);
}

TEST(DataGenerator, MessagesLookLikeARealArchive)
{
    GeneratorRecipe recipe;
    recipe.groups = 2;
    recipe.messages = 300;
    const SimData data = Generate(recipe);
    const SimGroup &group = data.groups[0];
    ASSERT_EQ(group.messages.size(), 300u);
    EXPECT_FALSE(group.deleted.empty());
    EXPECT_GT(group.messages.rbegin()->first, 300) << "numbers have gaps";
    for (int deleted : group.deleted)
        EXPECT_EQ(group.Message(deleted), nullptr);

    std::set<std::string> earlierIds;
    std::string all;
    int replies = 0;
    for (const auto &[n, m] : group.messages) {
        const std::string inReplyTo = Header(m.raw, "In-Reply-To");
        if (!inReplyTo.empty()) {
            ++replies;
            EXPECT_TRUE(earlierIds.count(inReplyTo)) << "message " << n << " answers an unknown message";
            EXPECT_EQ(m.subject.rfind("Re: ", 0), 0u) << n;
        }
        earlierIds.insert(Header(m.raw, "Message-ID"));
        all += m.raw;
    }
    EXPECT_GT(replies, 50);
    for (const char *feature :
         {"Content-Transfer-Encoding: quoted-printable", "Content-Transfer-Encoding: base64",
          "Content-Transfer-Encoding: 8bit", "Content-Transfer-Encoding: 7bit", "multipart/alternative",
          "multipart/mixed", "charset=\"iso-8859-1\"", "charset=\"utf-8\"", "=?UTF-8?B?", "=?UTF-8?Q?",
          "simgroup2@yahoogroups.com", "SimGroup1-owner@yahoogroups.com", "http://www.example"})
        EXPECT_NE(all.find(feature), std::string::npos) << feature;
}

TEST(DataGenerator, GroupKindsAndFiles)
{
    QString error;
    const auto recipe = ParseGeneratorRecipe("groups=5,messages=3,regional=2,membersonly=1,adult=1,files=9,filesize=1k,bigfile=3m", &error);
    ASSERT_TRUE(recipe);
    const SimData data = Generate(*recipe);
    ASSERT_EQ(data.groups.size(), 5u);
    EXPECT_EQ(data.groups[0].prefix, "uk.");
    EXPECT_EQ(data.groups[1].prefix, "de.");
    EXPECT_TRUE(data.groups[2].prefix.empty());
    EXPECT_TRUE(data.groups[2].membersOnly);
    EXPECT_FALSE(data.groups[3].membersOnly || data.groups[3].adult);
    EXPECT_TRUE(data.groups[4].adult);
    EXPECT_EQ(data.groups[0].files.size(), 10u);
    EXPECT_EQ(data.groups[0].File("/Big/bigfile.bin")->Size(), 3u * 1024 * 1024);
    EXPECT_EQ(data.groups[1].files.size(), 9u);
    ASSERT_EQ(data.users.size(), 1u);
    EXPECT_EQ(data.users[0].groups.size(), 5u);
}

TEST(FixtureLoader, DemoFixture)
{
    QString error;
    const auto data = LoadFixtureFile(QStringLiteral(GROUPSIM_DEMO_FIXTURE), &error);
    ASSERT_TRUE(data) << error.toStdString();
    ASSERT_GE(data->groups.size(), 3u);
    int regional = 0, adult = 0, membersOnly = 0;
    for (const SimGroup &g : data->groups) {
        EXPECT_GE(g.messages.size(), 24u) << g.name;
        EXPECT_FALSE(g.deleted.empty()) << g.name;
        regional += !g.prefix.empty();
        adult += g.adult;
        membersOnly += g.membersOnly;
    }
    EXPECT_EQ(regional, 1);
    EXPECT_EQ(adult, 1);
    EXPECT_EQ(membersOnly, 1);
    const SimUser *user = data->User("demo_user");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->groups.size(), data->groups.size());

    const SimGroup *radio = data->Group("vintageradio");
    ASSERT_NE(radio, nullptr);
    EXPECT_EQ(radio->Message(4), nullptr);
    ASSERT_NE(radio->Message(10), nullptr);
    EXPECT_NE(Header(radio->Message(3)->raw, "In-Reply-To"), "");
    EXPECT_EQ(radio->Message(3)->subject, "Re: Welcome to the list");
    EXPECT_EQ(radio->NextNumber(8), 10);
}

TEST(FixtureLoader, MistakesAreReportedWithTheirPlace)
{
    const struct { const char *json; const char *where; } cases[] = {
        {"{", "offset"},
        {"[]", "JSON object"},
        {R"({"groups":[{"name":"a","colour":"red"}]})", "groups[0]: unknown key \"colour\""},
        {R"({"groups":[{"name":"a","messages":[{"number":2},{"number":2}]}]})", "groups[0].messages[1]"},
        {R"({"groups":[{"name":"a","deleted":[1],"messages":[{"number":1}]}]})", "already used or deleted"},
        {R"({"groups":[{"name":"a","messages":[{"replyTo":5}]}]})", "replyTo"},
        {R"({"groups":[{"name":"a","messages":[{"date":"yesterday"}]}]})", "ISO 8601"},
        {R"({"groups":[{"name":"a","messages":[{"encoding":"uuencode"}]}]})", "uuencode"},
        {R"({"groups":[{"name":"a.b"}]})", "name"},
        {R"({"groups":[{"name":"a"},{"name":"A"}]})", "appears twice"},
        {R"({"groups":[{"name":"a","files":[{"path":"nofolder.txt"}]}]})", "path"},
        {R"({"users":[{"name":"x"}]})", "password"},
        {R"({"faults":[{"match":"*","status":42}]})", "status 42"},
        {R"({"faults":[{"status":500}]})", "match"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(LoadFixture(QByteArray(c.json), &error)) << c.json;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.where))) << c.json << " gave: " << error.toStdString();
    }
}

TEST(FixtureLoader, NumbersSkipDeletedOnesAndRepliesThread)
{
    QString error;
    const auto data = LoadFixture(R"({"groups":[{"name":"g","deleted":[2],"messages":[
        {"subject":"first"},{"replyTo":1},{"number":7,"raw":"Subject: raw\n\nx\n"}]}]})", &error);
    ASSERT_TRUE(data) << error.toStdString();
    const SimGroup &g = data->groups[0];
    ASSERT_NE(g.Message(1), nullptr);
    ASSERT_NE(g.Message(3), nullptr);
    ASSERT_NE(g.Message(7), nullptr);
    EXPECT_EQ(g.messages.size(), 3u);
    EXPECT_EQ(g.Message(3)->subject, "Re: first");
    EXPECT_EQ(Header(g.Message(3)->raw, "In-Reply-To"), "<" + MessageIdFor("g", 1, "example.com") + ">");
    EXPECT_EQ(g.Message(7)->raw, "Subject: raw\r\n\r\nx\r\n");
}

TEST(FaultRules, Patterns)
{
    const struct { const char *pattern; const char *address; bool match; } cases[] = {
        {"groups.yahoo.com/group/*/message/5", "groups.yahoo.com/group/foo/message/5", true},
        {"groups.yahoo.com/group/*/message/5", "groups.yahoo.com/group/foo/message/55", false},
        {"*/message/5*", "uk.groups.yahoo.com/group/Foo/message/5?source=1", true},
        {"*GROUP/FOO*", "groups.yahoo.com/group/foo/", true},
        {"f1.grp.yahoofs.com/*", "groups.yahoo.com/group/f1.grp.yahoofs.com/", false},
        {"*.txt", "f1.grp.yahoofs.com/v1/x/g/a (1).txt", true},
        {"groups.yahoo.com/group/a+b/", "groups.yahoo.com/group/a+b/", true},
        {"*", "anything", true},
    };
    for (const auto &c : cases) {
        FaultRule rule;
        rule.match = c.pattern;
        EXPECT_EQ(rule.Matches(c.address), c.match) << c.pattern << " / " << c.address;
    }
}

TEST(FaultRules, FirstMatchWinsAndSpentRulesGo)
{
    FaultTable table;
    FaultRule once;
    once.match = "*/message/*";
    once.status = 500;
    once.times = 2;
    FaultRule always;
    always.match = "*";
    always.delayMs = 10;
    table.Add({once, always});
    EXPECT_EQ(table.Take("h/g/message/1")->status, 500);
    EXPECT_EQ(table.Take("h/g/messages/")->delayMs, 10);
    EXPECT_EQ(table.Take("h/g/message/1")->status, 500);
    EXPECT_EQ(table.Take("h/g/message/1")->status, 0) << "spent rule gone, the next one matches";
    EXPECT_EQ(table.Rules().size(), 1u);
    table.Clear();
    EXPECT_FALSE(table.Take("h/g/message/1"));
}

TEST(FaultRules, JsonRoundTrip)
{
    QString error;
    const auto rules = FaultRulesFromJson(QJsonValue(QJsonObject{{"match", "*x*"}, {"cutAfter", 100}, {"noContentLength", true},
                                                                 {"loginRequired", true}, {"times", 3}}),
                                          &error);
    ASSERT_TRUE(rules) << error.toStdString();
    ASSERT_EQ(rules->size(), 1u);
    const QJsonObject back = FaultRuleToJson(rules->front());
    EXPECT_EQ(back.value("cutAfter").toInt(), 100);
    EXPECT_TRUE(back.value("noContentLength").toBool());
    EXPECT_TRUE(back.value("loginRequired").toBool());
    EXPECT_EQ(back.value("times").toInt(), 3);
    EXPECT_FALSE(back.contains("status"));
    EXPECT_FALSE(FaultRulesFromJson(QJsonValue(QJsonObject{{"match", "*"}, {"delayMs", "slow"}}), &error));
    EXPECT_FALSE(FaultRulesFromJson(QJsonValue(QJsonObject{{"match", "*"}, {"loginRequired", 1}}), &error));
}
