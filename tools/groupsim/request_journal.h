#pragma once

#include <QJsonArray>

#include <deque>
#include <mutex>
#include <string>

namespace brindle::groupsim {

// The requests the service has answered, newest last, so tests can see what a run
// asked for. Keeps the latest kLimit entries. Thread-safe.
class RequestJournal {
public:
    static constexpr std::size_t kLimit = 20000;

    void Add(const std::string &method, const std::string &url, int status);
    void Clear();
    QJsonArray ToJson() const;

private:
    struct Entry {
        std::string method;
        std::string url;
        int status;
    };
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
};

} // namespace brindle::groupsim
