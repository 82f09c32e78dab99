#include "groupsim/fixture_loader.h"

#include "groupsim/data_generator.h"
#include "groupsim/message_builder.h"
#include "groupsim/sim_http.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <map>

namespace brindle::groupsim {

namespace {

// Thrown inside the loader only; LoadFixture turns it into the error text.
struct FixtureError {
    QString text;
};

[[noreturn]] void Fail(const QString &where, const QString &what)
{
    throw FixtureError{where + QStringLiteral(": ") + what};
}

void CheckKeys(const QJsonObject &o, const QSet<QString> &allowed, const QString &where)
{
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!allowed.contains(it.key()))
            Fail(where, QStringLiteral("unknown key \"%1\"").arg(it.key()));
}

std::string Text(const QJsonObject &o, const char *key, const QString &where, const std::string &fallback = {})
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    if (!v.isString())
        Fail(where, QStringLiteral("\"%1\" must be text").arg(QLatin1String(key)));
    return v.toString().toStdString();
}

bool Flag(const QJsonObject &o, const char *key, const QString &where, bool fallback = false)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    if (!v.isBool())
        Fail(where, QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
    return v.toBool();
}

long long Number(const QJsonObject &o, const char *key, const QString &where, long long fallback)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    if (!v.isDouble() || v.toDouble() < 0)
        Fail(where, QStringLiteral("\"%1\" must be a number of at least 0").arg(QLatin1String(key)));
    return static_cast<long long>(v.toDouble());
}

QJsonArray Array(const QJsonObject &o, const char *key, const QString &where)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (!v.isArray())
        Fail(where, QStringLiteral("\"%1\" must be a list").arg(QLatin1String(key)));
    return v.toArray();
}

QJsonObject Object(const QJsonValue &v, const QString &where)
{
    if (!v.isObject())
        Fail(where, QStringLiteral("expected an object"));
    return v.toObject();
}

BodyEncoding EncodingFrom(const std::string &name, const QString &where)
{
    static const std::map<std::string, BodyEncoding> names = {
        {"7bit", BodyEncoding::SevenBit}, {"8bit", BodyEncoding::EightBit},
        {"quoted-printable", BodyEncoding::QuotedPrintable}, {"base64", BodyEncoding::Base64}};
    const auto it = names.find(ToLower(name));
    if (it == names.end())
        Fail(where, QStringLiteral("unknown encoding \"%1\"").arg(QString::fromStdString(name)));
    return it->second;
}

void ReadFrom(const std::string &from, MessageDraft &draft)
{
    const std::size_t lt = from.find('<');
    const std::size_t gt = from.rfind('>');
    if (lt == std::string::npos || gt == std::string::npos || gt < lt) {
        draft.fromEmail = from;
        return;
    }
    draft.fromEmail = from.substr(lt + 1, gt - lt - 1);
    std::string name = from.substr(0, lt);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    draft.fromName = name;
}

AttachmentDraft ReadAttachment(const QJsonObject &o, const QString &where)
{
    CheckKeys(o, {"name", "type", "text", "base64"}, where);
    AttachmentDraft a;
    a.name = Text(o, "name", where);
    if (a.name.empty())
        Fail(where, QStringLiteral("an attachment needs a \"name\""));
    a.mimeType = Text(o, "type", where);
    if (o.contains(QStringLiteral("base64")))
        a.content = QByteArray::fromBase64(QByteArray::fromStdString(Text(o, "base64", where))).toStdString();
    else
        a.content = Text(o, "text", where);
    return a;
}

struct ThreadInfo {
    std::string messageId;
    std::vector<std::string> references;
    std::string subject;
};

SimMessage ReadMessage(const QJsonObject &o, int number, const std::string &group,
                       std::map<int, ThreadInfo> &threads, const QString &where)
{
    CheckKeys(o, {"number", "raw", "from", "subject", "date", "body", "html", "charset", "encoding", "replyTo",
                  "attachments", "footer", "messageId"}, where);
    if (o.contains(QStringLiteral("raw")))
        return MessageFromRaw(number, Text(o, "raw", where));
    MessageDraft draft;
    draft.number = number;
    draft.group = group;
    ReadFrom(Text(o, "from", where, "member@example.com"), draft);
    draft.subject = Text(o, "subject", where, "(no subject)");
    const std::string date = Text(o, "date", where, "2004-01-05T10:23:00-08:00");
    draft.date = QDateTime::fromString(QString::fromStdString(date), Qt::ISODate);
    if (!draft.date.isValid())
        Fail(where, QStringLiteral("\"date\" must be an ISO 8601 date and time, not \"%1\"").arg(QString::fromStdString(date)));
    draft.body = Text(o, "body", where);
    draft.htmlBody = Text(o, "html", where);
    draft.charset = Text(o, "charset", where, "utf-8");
    draft.encoding = EncodingFrom(Text(o, "encoding", where, "8bit"), where);
    draft.listFooter = Flag(o, "footer", where, true);
    draft.messageId = Text(o, "messageId", where);
    if (o.contains(QStringLiteral("replyTo"))) {
        const int parent = int(Number(o, "replyTo", where, 0));
        const auto it = threads.find(parent);
        if (it == threads.end())
            Fail(where, QStringLiteral("\"replyTo\" %1 names no earlier message of the group").arg(parent));
        draft.references = it->second.references;
        draft.references.push_back(it->second.messageId);
        if (!o.contains(QStringLiteral("subject")))
            draft.subject = StartsWith(it->second.subject, "Re: ") ? it->second.subject : "Re: " + it->second.subject;
    }
    const QJsonArray attachments = Array(o, "attachments", where);
    for (int i = 0; i < attachments.size(); ++i) {
        const QString at = where + QStringLiteral(".attachments[%1]").arg(i);
        draft.attachments.push_back(ReadAttachment(Object(attachments[i], at), at));
    }
    if (draft.messageId.empty())
        draft.messageId = MessageIdFor(group, number, draft.fromEmail.substr(draft.fromEmail.find('@') + 1));
    threads[number] = ThreadInfo{draft.messageId, draft.references, draft.subject};
    return BuildMessage(draft);
}

void ReadMessages(const QJsonArray &items, SimGroup &group, const QString &where)
{
    std::map<int, ThreadInfo> threads;
    int next = 1;
    for (int i = 0; i < items.size(); ++i) {
        const QString at = where + QStringLiteral(".messages[%1]").arg(i);
        const QJsonObject o = Object(items[i], at);
        while (group.deleted.count(next))
            ++next;
        const int number = int(Number(o, "number", at, next));
        if (number < 1)
            Fail(at, QStringLiteral("message numbers start at 1"));
        if (group.messages.count(number) || group.deleted.count(number))
            Fail(at, QStringLiteral("message number %1 is already used or deleted").arg(number));
        group.messages.emplace(number, ReadMessage(o, number, group.name, threads, at));
        next = number + 1;
    }
}

void ReadFiles(const QJsonArray &items, SimGroup &group, const QString &where)
{
    for (int i = 0; i < items.size(); ++i) {
        const QString at = where + QStringLiteral(".files[%1]").arg(i);
        const QJsonObject o = Object(items[i], at);
        CheckKeys(o, {"path", "size", "seed", "text"}, at);
        SimFile file;
        file.path = Text(o, "path", at);
        if (!StartsWith(file.path, "/") || EndsWith(file.path, "/"))
            Fail(at, QStringLiteral("\"path\" must start with \"/\" and name a file"));
        file.hasText = o.contains(QStringLiteral("text"));
        file.text = Text(o, "text", at);
        file.size = std::uint64_t(Number(o, "size", at, 0));
        file.seed = std::uint64_t(Number(o, "seed", at, 0));
        if (!file.seed)
            file.seed = MixSeed(7, group.name + file.path);
        group.files.push_back(std::move(file));
    }
}

void ReadGenerated(const QJsonObject &o, SimGroup &group, const std::vector<std::string> &others, const QString &where)
{
    CheckKeys(o, {"messages", "seed", "deleted", "replies", "size", "files", "fileSize"}, where);
    GeneratorRecipe style;
    style.deletedPercent = int(Number(o, "deleted", where, style.deletedPercent));
    style.replyPercent = int(Number(o, "replies", where, style.replyPercent));
    style.bodySize = int(Number(o, "size", where, style.bodySize));
    const std::uint64_t seed = std::uint64_t(Number(o, "seed", where, 1));
    GenerateMessages(group, int(Number(o, "messages", where, 0)), seed, style, others);
    GenerateFiles(group, int(Number(o, "files", where, 0)), std::uint64_t(Number(o, "fileSize", where, 4096)), seed);
}

SimGroup ReadGroup(const QJsonObject &o, const std::vector<std::string> &allNames, const QString &where)
{
    CheckKeys(o, {"name", "title", "description", "prefix", "adult", "membersOnly", "authMode", "deleted", "messages",
                  "files", "generate"}, where);
    SimGroup group;
    group.name = Text(o, "name", where);
    if (group.name.empty() || group.name.find_first_of("/?#. ") != std::string::npos)
        Fail(where, QStringLiteral("a group needs a \"name\" without \"/\", \"?\", \"#\", \".\" or blanks"));
    group.title = Text(o, "title", where, group.name);
    group.description = Text(o, "description", where);
    group.prefix = ToLower(Text(o, "prefix", where));
    if (!group.prefix.empty() && group.prefix.back() != '.')
        group.prefix += '.';
    group.adult = Flag(o, "adult", where);
    group.membersOnly = Flag(o, "membersOnly", where);
    const std::string mode = Text(o, "authMode", where, "page");
    if (mode != "page" && mode != "redirect")
        Fail(where, QStringLiteral("\"authMode\" is \"page\" or \"redirect\""));
    group.authMode = mode == "page" ? AuthMode::Page : AuthMode::Redirect;
    for (const QJsonValue &n : Array(o, "deleted", where)) {
        if (!n.isDouble() || n.toDouble() < 1)
            Fail(where, QStringLiteral("\"deleted\" holds message numbers"));
        group.deleted.insert(n.toInt());
    }
    ReadMessages(Array(o, "messages", where), group, where);
    ReadFiles(Array(o, "files", where), group, where);
    if (o.contains(QStringLiteral("generate"))) {
        std::vector<std::string> others;
        for (const std::string &name : allNames)
            if (ToLower(name) != ToLower(group.name))
                others.push_back(ToLower(name));
        ReadGenerated(Object(o.value(QStringLiteral("generate")), where + QStringLiteral(".generate")), group, others,
                      where + QStringLiteral(".generate"));
    }
    return group;
}

SimUser ReadUser(const QJsonObject &o, const QString &where)
{
    CheckKeys(o, {"name", "password", "groups"}, where);
    SimUser user;
    user.name = Text(o, "name", where);
    user.password = Text(o, "password", where);
    if (user.name.empty() || user.password.empty())
        Fail(where, QStringLiteral("a user needs a \"name\" and a \"password\""));
    for (const QJsonValue &g : Array(o, "groups", where))
        user.groups.push_back(g.toString().toStdString());
    return user;
}

SimData ReadData(const QJsonObject &root)
{
    CheckKeys(root, {"users", "groups", "faults", "comment"}, QStringLiteral("fixture"));
    SimData data;
    const QJsonArray groups = Array(root, "groups", QStringLiteral("fixture"));
    std::vector<std::string> names;
    for (const QJsonValue &g : groups)
        names.push_back(g.toObject().value(QStringLiteral("name")).toString().toStdString());
    for (int i = 0; i < groups.size(); ++i) {
        const QString where = QStringLiteral("groups[%1]").arg(i);
        SimGroup group = ReadGroup(Object(groups[i], where), names, where);
        if (data.Group(group.name))
            Fail(where, QStringLiteral("group \"%1\" appears twice").arg(QString::fromStdString(group.name)));
        data.groups.push_back(std::move(group));
    }
    const QJsonArray users = Array(root, "users", QStringLiteral("fixture"));
    for (int i = 0; i < users.size(); ++i) {
        const QString where = QStringLiteral("users[%1]").arg(i);
        data.users.push_back(ReadUser(Object(users[i], where), where));
    }
    QString error;
    const auto faults = FaultRulesFromJson(root.value(QStringLiteral("faults")).isUndefined()
                                               ? QJsonValue(QJsonArray()) : root.value(QStringLiteral("faults")),
                                           &error);
    if (!faults)
        Fail(QStringLiteral("faults"), error);
    data.faults = *faults;
    return data;
}

} // namespace

std::optional<SimData> LoadFixture(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull() || !doc.isObject()) {
        if (error)
            *error = QStringLiteral("fixture is not a JSON object: %1 at offset %2")
                         .arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    try {
        return ReadData(doc.object());
    } catch (const FixtureError &e) {
        if (error)
            *error = e.text;
        return std::nullopt;
    }
}

std::optional<SimData> LoadFixtureFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return LoadFixture(file.readAll(), error);
}

} // namespace brindle::groupsim
