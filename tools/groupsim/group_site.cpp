#include "groupsim/group_site.h"

#include "common/service_hosts.h"
#include "groupsim/group_pages.h"
#include "groupsim/html_page.h"
#include "groupsim/service_cookies.h"

#include <algorithm>

namespace brindle::groupsim {

namespace {

bool AllDigits(const std::string &text)
{
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int NumberIn(const std::string &text)
{
    return AllDigits(text) ? std::stoi(text) : 0;
}

// The message number at the end of an address ".../message/N[?...]", or 0.
int MessageNumberOf(const std::string &address)
{
    const std::size_t at = address.rfind("/message/");
    if (at == std::string::npos)
        return 0;
    const std::string tail = address.substr(at + 9);
    return NumberIn(tail.substr(0, tail.find('?')));
}

bool IsServiceAddress(const std::string &address)
{
    const std::string lower = ToLower(address);
    if (!StartsWith(lower, "http://"))
        return false;
    const std::string host = lower.substr(7, lower.find('/', 7) - 7);
    return host == hosts::GROUP_HOST || EndsWith(host, std::string(".") + hosts::GROUP_HOST);
}

SimResponse NotFound(const std::string &text)
{
    return SimResponse::Html(ErrorPage(404, text), 404);
}

} // namespace

std::string GroupSite::AuthCookieName(const SimGroup &group)
{
    return "ygrp_auth_" + ToLower(group.name);
}

std::optional<std::string> GroupSite::SignedInUser(const SimRequest &request) const
{
    return sessions_.UserOf(request.Cookie(SessionStore::kCookie));
}

SimResponse GroupSite::Handle(const SimRequest &request) const
{
    if (request.path == "/")
        return SimResponse::Html(pages::Start(data_, SignedInUser(request)));
    if (request.path == "/mygroups")
        return MyGroups(request);
    if (request.path == "/adultconf")
        return AdultConfirmation(request);
    if (StartsWith(request.path, "/group/"))
        return GroupRequest(request);
    return NotFound("The page you asked for is not here.");
}

SimResponse GroupSite::MyGroups(const SimRequest &request) const
{
    const auto name = SignedInUser(request);
    const SimUser *user = name ? data_.User(*name) : nullptr;
    if (!user)
        return SimResponse::Html(LoginPage(request.Url()));
    return SimResponse::Html(pages::MyGroups(*user, std::max(1, NumberIn(request.Param("page")))));
}

SimResponse GroupSite::AdultConfirmation(const SimRequest &request) const
{
    const std::string dest = request.Param("dest");
    const std::string onward = IsServiceAddress(dest) ? dest : std::string("http://") + hosts::GROUP_HOST + "/";
    if (request.HasParam("accept")) {
        SimResponse r = SimResponse::Redirect(onward);
        r.headers.emplace_back("Set-Cookie", ServiceCookie(kAdultCookie, "1", false));
        return r;
    }
    if (request.HasParam("reject"))
        return SimResponse::Redirect(std::string("http://") + hosts::GROUP_HOST + "/");
    return SimResponse::Html(pages::AdultConfirmation(dest));
}

SimResponse GroupSite::GroupRequest(const SimRequest &request) const
{
    const std::string afterGroup = request.path.substr(7);
    const std::size_t slash = afterGroup.find('/');
    const std::string name = afterGroup.substr(0, slash);
    const std::string rest = slash == std::string::npos ? std::string() : afterGroup.substr(slash);
    const SimGroup *group = data_.Group(name);
    if (!group)
        return SimResponse::Html(pages::NoSuchGroup(name), 404);
    if (request.host != group->Host())
        return SimResponse::Redirect("http://" + group->Host() + request.RawPathAndQuery());
    if (group->adult && request.Cookie(kAdultCookie) != "1")
        return SimResponse::Redirect("http://" + request.host + "/adultconf?dest=" + UrlEncode(request.Url()));
    return GroupPage(request, *group, rest);
}

SimResponse GroupSite::GroupPage(const SimRequest &request, const SimGroup &group, const std::string &rest) const
{
    if (rest.empty() || rest == "/")
        return SimResponse::Html(pages::GroupHome(group));
    if (rest == "/messages" || rest == "/messages/")
        return MessageList(request, group, std::string());
    if (StartsWith(rest, "/messages/"))
        return MessageList(request, group, rest.substr(10));
    if (StartsWith(rest, "/message/"))
        return MessagePage(request, group, rest.substr(9));
    if (rest == "/auth")
        return AuthPage(request, group);
    if (rest == "/files")
        return FilesPage(group, "/");
    if (StartsWith(rest, "/files/"))
        return FilesPage(group, rest.substr(6));
    return NotFound("This part of the group is not available.");
}

bool GroupSite::IsMember(const std::string &user, const SimGroup &group) const
{
    const SimUser *account = data_.User(user);
    return account && std::any_of(account->groups.begin(), account->groups.end(),
                                  [&](const std::string &g) { return ToLower(g) == ToLower(group.name); });
}

bool GroupSite::MayReadMessages(const SimRequest &request, const SimGroup &group) const
{
    if (!group.membersOnly)
        return true;
    const std::string token = request.Cookie(SessionStore::kCookie);
    const auto user = sessions_.UserOf(token);
    return user && request.Cookie(AuthCookieName(group)) == token && IsMember(*user, group);
}

SimResponse GroupSite::MessageList(const SimRequest &request, const SimGroup &group, const std::string &from) const
{
    if (!from.empty() && !AllDigits(from))
        return NotFound("There is no such page of messages.");
    if (group.membersOnly) {
        const auto user = SignedInUser(request);
        if (!user)
            return SimResponse::Html(LoginPage(request.Url()));
        if (!IsMember(*user, group))
            return SimResponse::Html(pages::NotAMember(group, *user));
    }
    return SimResponse::Html(pages::MessageList(group, from.empty() ? 0 : std::max(1, NumberIn(from))));
}

SimResponse GroupSite::MessagePage(const SimRequest &request, const SimGroup &group, const std::string &number) const
{
    if (!AllDigits(number))
        return NotFound("There is no such message.");
    if (!MayReadMessages(request, group))
        return SimResponse::Redirect("http://" + request.host + "/group/" + group.name
                                     + "/auth?done=" + UrlEncode(request.Url()));
    const int n = NumberIn(number);
    const SimMessage *message = group.Message(n);
    if (!message)
        return SimResponse::Html(pages::MissingMessage(group, n));
    return SimResponse::Html(pages::Message(group, *message, request.Param("source") == "1"));
}

SimResponse GroupSite::AuthPage(const SimRequest &request, const SimGroup &group) const
{
    const std::string token = request.Cookie(SessionStore::kCookie);
    const auto user = sessions_.UserOf(token);
    if (!user)
        return SimResponse::Html(LoginPage(request.Url()));
    if (!IsMember(*user, group))
        return SimResponse::Html(pages::NotAMember(group, *user));
    const std::string done = request.Param("done");
    SimResponse r = group.authMode == AuthMode::Redirect && IsServiceAddress(done)
        ? SimResponse::Redirect(done)
        : SimResponse::Html(pages::AuthContinue(group, MessageNumberOf(done)));
    r.headers.emplace_back("Set-Cookie", ServiceCookie(AuthCookieName(group), token, false));
    return r;
}

SimResponse GroupSite::FilesPage(const SimGroup &group, const std::string &folder) const
{
    if (!EndsWith(folder, "/") || !pages::FolderExists(group, folder))
        return NotFound("There is no such folder.");
    return SimResponse::Html(pages::FilesFolder(group, folder));
}

} // namespace brindle::groupsim
