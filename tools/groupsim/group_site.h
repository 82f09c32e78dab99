#pragma once

#include "groupsim/session_store.h"
#include "groupsim/sim_data.h"
#include "groupsim/sim_http.h"

#include <optional>
#include <string>

namespace brindle::groupsim {

// Answers requests on the group host and its regional forms ("uk.groups.yahoo.com"):
// the start page, "My Groups", the adult-content confirmation and every page below
// "/group/G". A group's pages are served on the group's own host only; a request on
// another group host is redirected there.
class GroupSite {
public:
    static constexpr const char *kAdultCookie = "AO";

    GroupSite(const SimData &data, const SessionStore &sessions) : data_(data), sessions_(sessions) {}
    SimResponse Handle(const SimRequest &request) const;

    // The cookie that lets a member read a members-only group's messages.
    static std::string AuthCookieName(const SimGroup &group);

private:
    SimResponse MyGroups(const SimRequest &request) const;
    SimResponse AdultConfirmation(const SimRequest &request) const;
    SimResponse GroupRequest(const SimRequest &request) const;
    SimResponse GroupPage(const SimRequest &request, const SimGroup &group, const std::string &rest) const;
    SimResponse MessagePage(const SimRequest &request, const SimGroup &group, const std::string &number) const;
    SimResponse MessageList(const SimRequest &request, const SimGroup &group, const std::string &from) const;
    SimResponse AuthPage(const SimRequest &request, const SimGroup &group) const;
    SimResponse FilesPage(const SimGroup &group, const std::string &folder) const;
    std::optional<std::string> SignedInUser(const SimRequest &request) const;
    bool IsMember(const std::string &user, const SimGroup &group) const;
    bool MayReadMessages(const SimRequest &request, const SimGroup &group) const;

    const SimData &data_;
    const SessionStore &sessions_;
};

} // namespace brindle::groupsim
