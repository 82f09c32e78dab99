#include "groupsim/request_journal.h"

#include <QJsonObject>
#include <QString>

namespace brindle::groupsim {

void RequestJournal::Add(const std::string &method, const std::string &url, int status)
{
    std::lock_guard lock(mutex_);
    entries_.push_back({method, url, status});
    if (entries_.size() > kLimit)
        entries_.pop_front();
}

void RequestJournal::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

QJsonArray RequestJournal::ToJson() const
{
    std::lock_guard lock(mutex_);
    QJsonArray array;
    for (const Entry &e : entries_)
        array.append(QJsonObject{{QStringLiteral("method"), QString::fromStdString(e.method)},
                                 {QStringLiteral("url"), QString::fromStdString(e.url)},
                                 {QStringLiteral("status"), e.status}});
    return array;
}

} // namespace brindle::groupsim
