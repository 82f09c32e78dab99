#include "groupsim/data_generator.h"

#include "common/service_hosts.h"
#include "groupsim/message_builder.h"
#include "groupsim/sim_http.h"

#include <QStringList>
#include <QTimeZone>

#include <array>
#include <deque>
#include <map>

namespace brindle::groupsim {

std::uint64_t SimRandom::Next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t MixSeed(std::uint64_t seed, const std::string &salt)
{
    std::uint64_t h = 1469598103934665603ULL ^ seed;
    for (unsigned char c : salt)
        h = (h ^ c) * 1099511628211ULL;
    return SimRandom(h).Next();
}

namespace {

struct Person {
    const char *name;
    const char *email;
    int utcOffsetMinutes;
};

const std::array<Person, 12> kPeople = {{
    {"José Müller", "jose.mueller@example.net", 60},
    {"Åsa Lindqvist", "asa.lindqvist@example.se", 60},
    {"山田 太郎", "taro.yamada@example.jp", 540},
    {"Ελένη Παπαδοπούλου", "eleni.p@example.gr", 120},
    {"Jean-François Dupont", "jf.dupont@example.fr", 60},
    {"Mary O'Brien", "mary.obrien@example.com", -300},
    {"Bob Smith", "bob.smith@example.com", -480},
    {"Иван Петров", "ivan.petrov@example.ru", 180},
    {"Zoë Kowalczyk", "zoe.k@example.pl", 60},
    {"Ahmed Hassan", "ahmed.hassan@example.org", 120},
    {"Linda Chen", "linda.chen@example.org", -420},
    {"", "anonymous-poster@example.com", 0},
}};

const std::array<const char *, 14> kTopics = {
    "Meeting next week",
    "Café recommendations in Zürich",
    "Photos from the trip",
    "Привет всем!",
    "Question about the files section",
    "Naïve question about résumés",
    "新年快乐 – happy new year",
    "Garden club — spring plans",
    "Lost password, please help",
    "Re-scheduling the picnic",
    "Kurze Frage zu den Übungen",
    "Ideas for the newsletter",
    "FYI: server move this weekend",
    "Σχετικά με τη συνάντηση",
};

// Sentences in Latin-1 can go into ISO-8859-1 messages; the others need UTF-8.
const std::array<const char *, 10> kLatinSentences = {
    "Thanks everyone for coming along last time, it was great to see so many of you.",
    "I have put the minutes in the files section so that nobody has to dig through old mail.",
    "The café on the corner serves a crème brûlée that is worth the trip on its own.",
    "Could somebody bring a projector? Ours is broken again and the repair shop is closed.",
    "Les réunions auront lieu le mardi à partir de dix-neuf heures, comme d'habitude.",
    "Bitte denkt an die Beiträge für das nächste Treffen, wir sammeln sie bis Freitag.",
    "Please keep replies on the list so that everybody can follow the discussion.",
    "We still need two volunteers for the stand; drop me a line if you can help.",
    "The weather forecast looks fine, so the picnic goes ahead as planned.",
    "Señora Núñez asked me to pass on her thanks for the flowers.",
};

const std::array<const char *, 6> kWideSentences = {
    "Всем спасибо за встречу, было очень интересно.",
    "写真をアップロードしました。ご覧ください。",
    "Ευχαριστώ πολύ για τις φωτογραφίες!",
    "Zażółć gęślą jaźń – the usual test sentence, sorry.",
    "新年快乐，万事如意！",
    "Emoji test: 🎉 party on Saturday 🎈",
};

struct MessageInfo {
    int number;
    std::string messageId;
    std::vector<std::string> references;
    std::string topic;
    std::string author;
    std::string firstLine;
    QDateTime date;
};

std::string Wrap(const std::string &utf8, int width)
{
    const QStringList words = QString::fromStdString(utf8).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString out;
    int column = 0;
    for (const QString &word : words) {
        if (column > 0 && column + 1 + word.size() > width) {
            out += QLatin1Char('\n');
            column = 0;
        } else if (column > 0) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += int(word.size());
    }
    return out.toStdString();
}

enum class Script { Ascii, Latin1, Any };

bool IsAsciiText(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 128; });
}

std::string PickSentence(SimRandom &rng, Script script)
{
    if (script == Script::Any && rng.Percent(25))
        return kWideSentences[std::size_t(rng.Below(int(kWideSentences.size())))];
    while (true) {
        const std::string s = kLatinSentences[std::size_t(rng.Below(int(kLatinSentences.size())))];
        if (script != Script::Ascii || IsAsciiText(s))
            return s;
    }
}

std::string Mention(SimRandom &rng, const SimGroup &group, const std::vector<std::string> &others, int number)
{
    const std::string other = others.empty() ? std::string("othergroup") : others[std::size_t(rng.Below(int(others.size())))];
    const std::string domain = hosts::GROUP_MAIL_DOMAIN;
    switch (rng.Below(6)) {
    case 0:
        return "You might also like " + other + "@" + domain + ", they talk about the same things.";
    case 1:
        return "Questions about the list go to " + group.name + "-owner@" + domain + " as always.";
    case 2:
        return "To join the sister list, mail " + other + "-subscribe@" + domain + " (it is free).";
    case 3:
        return "Pictures are up at http://www.example.org/trips/day" + std::to_string(number % 9 + 1) + ".html for now.";
    case 4:
        return "The recipe is here: http://www.example.com/recipes?id=" + std::to_string(1000 + number)
            + "&lang=en and the map at http://maps.example.net/p/" + std::to_string(number) + " .";
    default:
        return "Old archive: http://" + std::string(hosts::GROUP_HOST) + "/group/" + other + "/messages/1";
    }
}

std::string BodyText(SimRandom &rng, int targetSize, Script script, const std::string &mention)
{
    std::string paragraph;
    const int size = std::max(40, targetSize / 2 + rng.Below(std::max(1, targetSize)));
    while (int(paragraph.size()) < size)
        paragraph += (paragraph.empty() ? "" : " ") + PickSentence(rng, script);
    std::string body = Wrap(paragraph, 72) + "\n";
    if (!mention.empty())
        body += "\n" + Wrap(mention, 72) + "\n";
    return body;
}

bool IsLatin1(const std::string &utf8)
{
    for (QChar c : QString::fromStdString(utf8))
        if (c.unicode() > 255)
            return false;
    return true;
}

AttachmentDraft MakeAttachment(SimRandom &rng, int number)
{
    AttachmentDraft a;
    if (rng.Percent(50)) {
        a.name = "Résumé " + std::to_string(number) + ".txt";
        a.mimeType = "text/plain";
        a.content = "Attached notes for message " + std::to_string(number) + "\r\nSecond line – ünïcödé\r\n";
    } else {
        a.name = "chart" + std::to_string(number) + ".gif";
        a.mimeType = "image/gif";
        a.content = std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,", 20);
        for (int i = 0; i < 40 + rng.Below(200); ++i)
            a.content += char(rng.Below(256));
    }
    return a;
}

// Picks the character set, transfer encoding and MIME structure of one message.
void ChooseForm(SimRandom &rng, MessageDraft &draft, int number)
{
    const int form = rng.Below(10);
    draft.encoding = BodyEncoding::EightBit;
    draft.charset = "utf-8";
    switch (form) {
    case 3:
    case 4:
        draft.encoding = BodyEncoding::QuotedPrintable;
        break;
    case 5:
        draft.encoding = BodyEncoding::Base64;
        break;
    case 6:
        draft.encoding = BodyEncoding::QuotedPrintable;
        draft.htmlBody = "<html><body><p>" + draft.body.substr(0, draft.body.find('\n')) + "</p><p><b>Sent from the web.</b></p></body></html>";
        break;
    case 7:
        draft.attachments.push_back(MakeAttachment(rng, number));
        break;
    case 8:
        if (IsLatin1(draft.body) && IsLatin1(draft.subject)) {
            draft.charset = "iso-8859-1";
            draft.encoding = BodyEncoding::QuotedPrintable;
        }
        break;
    default:
        break;
    }
    if (IsAsciiText(draft.body) && draft.encoding == BodyEncoding::EightBit && draft.htmlBody.empty()) {
        draft.charset = "us-ascii";
        draft.encoding = BodyEncoding::SevenBit;
    }
}

std::string QuoteOf(const MessageInfo &parent)
{
    return "On " + PageDate(parent.date) + ", " + parent.author + " wrote:\n> " + parent.firstLine + "\n\n";
}

std::optional<std::uint64_t> ParseSize(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t factor = 1;
    std::string digits = text;
    const char last = char(std::tolower(static_cast<unsigned char>(text.back())));
    if (last == 'k' || last == 'm' || last == 'g') {
        factor = last == 'k' ? 1024ULL : last == 'm' ? 1024ULL * 1024 : 1024ULL * 1024 * 1024;
        digits.pop_back();
    }
    bool ok = false;
    const qulonglong value = QString::fromStdString(digits).toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::uint64_t(value) * factor;
}

} // namespace

void GenerateMessages(SimGroup &group, int count, std::uint64_t seed, const GeneratorRecipe &style,
                      const std::vector<std::string> &otherGroups)
{
    SimRandom rng(MixSeed(seed, group.name));
    const int lastNumber = group.messages.empty() ? 0 : group.messages.rbegin()->first;
    QDateTime date = group.messages.empty()
        ? QDateTime(QDate(2002, 3, 1), QTime(9, 0), QTimeZone::utc()).addDays(rng.Below(400))
        : group.messages.rbegin()->second.date.toUTC();
    std::deque<MessageInfo> recent;
    int number = lastNumber;
    for (int made = 0; made < count;) {
        ++number;
        if (group.deleted.count(number) || rng.Percent(style.deletedPercent)) {
            group.deleted.insert(number);
            continue;
        }
        date = date.addSecs(600 + rng.Below(40 * 3600));
        const Person &who = kPeople[std::size_t(rng.Below(int(kPeople.size())))];
        MessageDraft draft;
        draft.number = number;
        draft.group = group.name;
        draft.fromName = who.name;
        draft.fromEmail = who.email;
        draft.date = date.toOffsetFromUtc(who.utcOffsetMinutes * 60);
        const bool reply = !recent.empty() && rng.Percent(style.replyPercent);
        const MessageInfo *parent = reply ? &recent[std::size_t(rng.Below(int(recent.size())))] : nullptr;
        const std::string topic = parent ? parent->topic : kTopics[std::size_t(rng.Below(int(kTopics.size())))];
        draft.subject = parent ? "Re: " + topic : topic;
        if (parent) {
            draft.references = parent->references;
            draft.references.push_back(parent->messageId);
        }
        const int pick = rng.Below(10);
        const Script script = pick < 2 ? Script::Ascii : pick < 5 ? Script::Latin1 : Script::Any;
        const std::string mention = rng.Percent(35) ? Mention(rng, group, otherGroups, number) : std::string();
        const std::string quote = parent && (script != Script::Ascii || IsAsciiText(QuoteOf(*parent))) ? QuoteOf(*parent) : std::string();
        draft.body = quote + BodyText(rng, style.bodySize, script, mention);
        const std::string signature = who.name[0] && (script != Script::Ascii || IsAsciiText(who.name)) ? who.name : who.email;
        draft.body += "\n-- \n" + signature + "\n";
        draft.listFooter = rng.Percent(70);
        ChooseForm(rng, draft, number);
        draft.messageId = MessageIdFor(group.name, number, draft.fromEmail.substr(draft.fromEmail.find('@') + 1));

        SimMessage message = BuildMessage(draft);
        MessageInfo info{number, draft.messageId, draft.references, topic, message.author,
                         draft.body.substr(0, draft.body.find('\n')), draft.date};
        recent.push_back(std::move(info));
        if (recent.size() > 15)
            recent.pop_front();
        group.messages.emplace(number, std::move(message));
        ++made;
    }
}

void GenerateFiles(SimGroup &group, int count, std::uint64_t size, std::uint64_t seed)
{
    static const std::array<const char *, 4> folders = {"", "/Documents", "/Documents/Archive 2003", "/Pictures"};
    static const std::array<const char *, 9> names = {
        "readme.txt", "Meeting notes & minutes.doc", "Résumé – Jean.pdf", "What is this?.txt", "budget:2004.xls",
        "photo 01.jpg", "schedule.csv", "map.gif", "club archive.zip"};
    for (int i = 0; i < count; ++i) {
        SimFile file;
        std::string name = names[std::size_t(i) % names.size()];
        if (i >= int(names.size()))
            name = std::to_string(i / int(names.size())) + " " + name;
        file.path = std::string(folders[std::size_t(i) % folders.size()]) + "/" + name;
        file.size = size;
        file.seed = MixSeed(seed, group.name + file.path);
        group.files.push_back(std::move(file));
    }
}

std::optional<GeneratorRecipe> ParseGeneratorRecipe(const std::string &text, QString *error)
{
    GeneratorRecipe recipe;
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("--generate: ") + why;
        return std::nullopt;
    };
    std::map<std::string, int *> ints = {
        {"groups", &recipe.groups}, {"messages", &recipe.messages}, {"deleted", &recipe.deletedPercent},
        {"replies", &recipe.replyPercent}, {"size", &recipe.bodySize}, {"files", &recipe.files},
        {"regional", &recipe.regional}, {"adult", &recipe.adult}, {"membersonly", &recipe.membersOnly}};
    std::map<std::string, std::uint64_t *> sizes = {
        {"seed", &recipe.seed}, {"filesize", &recipe.fileSize}, {"bigfile", &recipe.bigFile}};
    std::map<std::string, std::string *> texts = {
        {"name", &recipe.name}, {"user", &recipe.user}, {"password", &recipe.password}};
    for (const QString &item : QString::fromStdString(text).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return fail(QStringLiteral("\"%1\" is not key=value").arg(item));
        const std::string key = ToLower(item.left(eq).trimmed().toStdString());
        const std::string value = item.mid(eq + 1).trimmed().toStdString();
        if (ints.count(key)) {
            bool ok = false;
            const int v = QString::fromStdString(value).toInt(&ok);
            if (!ok || v < 0)
                return fail(QStringLiteral("%1 needs a number, not \"%2\"").arg(QString::fromStdString(key), QString::fromStdString(value)));
            *ints[key] = v;
        } else if (sizes.count(key)) {
            const auto v = ParseSize(value);
            if (!v)
                return fail(QStringLiteral("%1 needs a number, not \"%2\"").arg(QString::fromStdString(key), QString::fromStdString(value)));
            *sizes[key] = *v;
        } else if (texts.count(key)) {
            if (value.empty())
                return fail(QStringLiteral("%1 must not be empty").arg(QString::fromStdString(key)));
            *texts[key] = value;
        } else {
            return fail(QStringLiteral("unknown key \"%1\"").arg(QString::fromStdString(key)));
        }
    }
    if (recipe.deletedPercent > 90 || recipe.replyPercent > 100)
        return fail(QStringLiteral("deleted is at most 90 and replies at most 100"));
    return recipe;
}

SimData Generate(const GeneratorRecipe &recipe)
{
    static const std::array<const char *, 4> prefixes = {"uk.", "de.", "espanol.", "fr."};
    SimData data;
    std::vector<std::string> names;
    for (int i = 1; i <= recipe.groups; ++i)
        names.push_back(recipe.name + std::to_string(i));
    SimUser user{recipe.user, recipe.password, names};
    for (int i = 0; i < recipe.groups; ++i) {
        SimGroup group;
        group.name = names[std::size_t(i)];
        group.title = "Simulated group " + std::to_string(i + 1);
        group.description = "A generated group with " + std::to_string(recipe.messages) + " messages.";
        if (i < recipe.regional)
            group.prefix = prefixes[std::size_t(i) % prefixes.size()];
        group.membersOnly = i >= recipe.regional && i < recipe.regional + recipe.membersOnly;
        group.adult = i >= recipe.groups - recipe.adult;
        std::vector<std::string> others;
        for (const std::string &n : names)
            if (n != group.name)
                others.push_back(ToLower(n));
        const std::uint64_t groupSeed = MixSeed(recipe.seed, std::to_string(i));
        GenerateMessages(group, recipe.messages, groupSeed, recipe, others);
        GenerateFiles(group, recipe.files, recipe.fileSize, groupSeed);
        if (i == 0 && recipe.bigFile > 0)
            group.files.push_back(SimFile{"/Big/bigfile.bin", recipe.bigFile, MixSeed(groupSeed, "big"), false, {}});
        data.groups.push_back(std::move(group));
    }
    data.users.push_back(std::move(user));
    return data;
}

} // namespace brindle::groupsim
