#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace brindle::groupsim {

// Signed-in sessions of the simulated service: the session cookie's value names one.
// Thread-safe.
class SessionStore {
public:
    // Name of the session cookie (set for the whole service domain).
    static constexpr const char *kCookie = "Y";

    std::string Open(const std::string &user);
    std::optional<std::string> UserOf(const std::string &token) const;
    void Close(const std::string &token);
    void Clear();

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::string> users_;
    unsigned long long counter_ = 0;
};

} // namespace brindle::groupsim
