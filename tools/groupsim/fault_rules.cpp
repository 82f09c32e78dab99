#include "groupsim/fault_rules.h"

#include <QJsonValue>
#include <QRegularExpression>
#include <QSet>

namespace brindle::groupsim {

static QRegularExpression PatternExpression(const std::string &pattern)
{
    const QStringList pieces = QString::fromStdString(pattern).split(QLatin1Char('*'));
    QStringList escaped;
    for (const QString &piece : pieces)
        escaped << QRegularExpression::escape(piece);
    return QRegularExpression(QRegularExpression::anchoredPattern(escaped.join(QStringLiteral(".*"))),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

bool FaultRule::Matches(const std::string &address) const
{
    return PatternExpression(match).match(QString::fromStdString(address)).hasMatch();
}

QJsonObject FaultRuleToJson(const FaultRule &rule)
{
    QJsonObject o;
    o.insert(QStringLiteral("match"), QString::fromStdString(rule.match));
    if (rule.status)
        o.insert(QStringLiteral("status"), rule.status);
    if (rule.delayMs)
        o.insert(QStringLiteral("delayMs"), rule.delayMs);
    if (rule.cutAfter >= 0)
        o.insert(QStringLiteral("cutAfter"), double(rule.cutAfter));
    if (rule.noContentLength)
        o.insert(QStringLiteral("noContentLength"), true);
    if (rule.loginRequired)
        o.insert(QStringLiteral("loginRequired"), true);
    if (rule.interstitial)
        o.insert(QStringLiteral("interstitial"), true);
    if (rule.times >= 0)
        o.insert(QStringLiteral("times"), rule.times);
    return o;
}

static bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

static bool ReadInt(const QJsonObject &o, const char *key, long long &out, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isDouble())
        return Fail(error, QStringLiteral("fault rule: \"%1\" must be a number").arg(QLatin1String(key)));
    out = static_cast<long long>(v.toDouble());
    return true;
}

static bool ReadBool(const QJsonObject &o, const char *key, bool &out, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isBool())
        return Fail(error, QStringLiteral("fault rule: \"%1\" must be true or false").arg(QLatin1String(key)));
    out = v.toBool();
    return true;
}

std::optional<FaultRule> FaultRuleFromJson(const QJsonObject &object, QString *error)
{
    static const QSet<QString> known = {"match", "status", "delayMs", "cutAfter", "noContentLength",
                                        "loginRequired", "interstitial", "times"};
    for (auto it = object.begin(); it != object.end(); ++it)
        if (!known.contains(it.key())) {
            Fail(error, QStringLiteral("fault rule: unknown key \"%1\"").arg(it.key()));
            return std::nullopt;
        }
    FaultRule rule;
    rule.match = object.value(QStringLiteral("match")).toString().toStdString();
    if (rule.match.empty()) {
        Fail(error, QStringLiteral("fault rule: \"match\" is missing"));
        return std::nullopt;
    }
    long long status = 0, delay = 0, cut = -1, times = -1;
    if (!ReadInt(object, "status", status, error) || !ReadInt(object, "delayMs", delay, error)
        || !ReadInt(object, "cutAfter", cut, error) || !ReadInt(object, "times", times, error)
        || !ReadBool(object, "noContentLength", rule.noContentLength, error)
        || !ReadBool(object, "loginRequired", rule.loginRequired, error)
        || !ReadBool(object, "interstitial", rule.interstitial, error))
        return std::nullopt;
    if (status != 0 && (status < 100 || status > 599)) {
        Fail(error, QStringLiteral("fault rule: status %1 is not an HTTP status").arg(status));
        return std::nullopt;
    }
    rule.status = int(status);
    rule.delayMs = int(std::max(0LL, delay));
    rule.cutAfter = cut;
    rule.times = int(times);
    return rule;
}

std::optional<std::vector<FaultRule>> FaultRulesFromJson(const QJsonValue &value, QString *error)
{
    std::vector<FaultRule> rules;
    const QJsonArray items = value.isArray() ? value.toArray() : QJsonArray{value};
    for (const QJsonValue &item : items) {
        if (!item.isObject()) {
            Fail(error, QStringLiteral("fault rule: expected an object"));
            return std::nullopt;
        }
        auto rule = FaultRuleFromJson(item.toObject(), error);
        if (!rule)
            return std::nullopt;
        rules.push_back(*rule);
    }
    return rules;
}

void FaultTable::Add(const std::vector<FaultRule> &rules)
{
    std::lock_guard lock(mutex_);
    rules_.insert(rules_.end(), rules.begin(), rules.end());
}

void FaultTable::Clear()
{
    std::lock_guard lock(mutex_);
    rules_.clear();
}

std::vector<FaultRule> FaultTable::Rules() const
{
    std::lock_guard lock(mutex_);
    return rules_;
}

QJsonArray FaultTable::ToJson() const
{
    QJsonArray array;
    for (const FaultRule &rule : Rules())
        array.append(FaultRuleToJson(rule));
    return array;
}

std::optional<FaultRule> FaultTable::Take(const std::string &address)
{
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->times == 0 || !it->Matches(address))
            continue;
        FaultRule taken = *it;
        if (it->times > 0 && --it->times == 0)
            rules_.erase(it);
        return taken;
    }
    return std::nullopt;
}

} // namespace brindle::groupsim
