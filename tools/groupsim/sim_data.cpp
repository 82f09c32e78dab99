#include "groupsim/sim_data.h"

#include "common/service_hosts.h"
#include "groupsim/sim_http.h"

namespace brindle::groupsim {

const SimMessage *SimGroup::Message(int number) const
{
    const auto it = messages.find(number);
    return it == messages.end() ? nullptr : &it->second;
}

int SimGroup::PreviousNumber(int n) const
{
    auto it = messages.lower_bound(n);
    if (it == messages.begin())
        return 0;
    return std::prev(it)->first;
}

int SimGroup::NextNumber(int n) const
{
    const auto it = messages.upper_bound(n);
    return it == messages.end() ? 0 : it->first;
}

const SimFile *SimGroup::File(const std::string &path) const
{
    for (const SimFile &file : files)
        if (file.path == path)
            return &file;
    return nullptr;
}

std::string SimGroup::Host() const
{
    return prefix + hosts::GROUP_HOST;
}

const SimGroup *SimData::Group(const std::string &name) const
{
    const std::string wanted = ToLower(name);
    for (const SimGroup &group : groups)
        if (ToLower(group.name) == wanted)
            return &group;
    return nullptr;
}

const SimUser *SimData::User(const std::string &name) const
{
    const std::string wanted = ToLower(name);
    for (const SimUser &user : users)
        if (ToLower(user.name) == wanted)
            return &user;
    return nullptr;
}

void SimData::Merge(SimData other)
{
    for (SimGroup &group : other.groups)
        groups.push_back(std::move(group));
    for (SimUser &user : other.users)
        users.push_back(std::move(user));
    for (FaultRule &rule : other.faults)
        faults.push_back(std::move(rule));
}

} // namespace brindle::groupsim
