#include "groupsim/session_store.h"

#include <QByteArray>
#include <QCryptographicHash>

namespace brindle::groupsim {

std::string SessionStore::Open(const std::string &user)
{
    std::lock_guard lock(mutex_);
    const std::string seed = user + "#" + std::to_string(++counter_);
    const std::string token = "v=1&n=" + QCryptographicHash::hash(QByteArray::fromStdString(seed), QCryptographicHash::Sha1)
                                              .toHex().left(24).toStdString();
    users_[token] = user;
    return token;
}

std::optional<std::string> SessionStore::UserOf(const std::string &token) const
{
    std::lock_guard lock(mutex_);
    const auto it = users_.find(token);
    if (it == users_.end())
        return std::nullopt;
    return it->second;
}

void SessionStore::Close(const std::string &token)
{
    std::lock_guard lock(mutex_);
    users_.erase(token);
}

void SessionStore::Clear()
{
    std::lock_guard lock(mutex_);
    users_.clear();
}

} // namespace brindle::groupsim
