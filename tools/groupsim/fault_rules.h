#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brindle::groupsim {

// A misbehaviour of the service for the addresses that match a pattern. The pattern is
// matched, without regard to case, against host + path + "?" + query (no "http://");
// "*" stands for any run of characters, everything else is literal.
struct FaultRule {
    std::string match;
    int status = 0;               // answer with this status instead of the page (0: off)
    int delayMs = 0;              // wait this long before answering
    long long cutAfter = -1;      // close the connection after this many body bytes (-1: off)
    bool noContentLength = false; // send the body without Content-Length, ended by closing
    bool loginRequired = false;   // show the login form until a session cookie is present
    bool interstitial = false;    // answer with a page that links on to the address itself
    int times = -1;               // the rule matches this many requests, then expires (-1: always)

    bool Matches(const std::string &address) const;
};

QJsonObject FaultRuleToJson(const FaultRule &rule);
// Reads one rule; a missing or empty "match" or an unknown key is an error.
std::optional<FaultRule> FaultRuleFromJson(const QJsonObject &object, QString *error);
// Reads one rule (object) or several (array).
std::optional<std::vector<FaultRule>> FaultRulesFromJson(const QJsonValue &value, QString *error);

// The rules in force, changed at run time through the control endpoint. Thread-safe.
class FaultTable {
public:
    void Add(const std::vector<FaultRule> &rules);
    void Clear();
    std::vector<FaultRule> Rules() const;
    QJsonArray ToJson() const;

    // The first rule that matches the address, counting one use of it
    // (a rule whose uses are spent is dropped).
    std::optional<FaultRule> Take(const std::string &address);

private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
};

} // namespace brindle::groupsim
