#include "groupsim/login_site.h"

#include "common/service_hosts.h"
#include "groupsim/html_page.h"
#include "groupsim/service_cookies.h"

namespace brindle::groupsim {

std::string DoneAddress(const SimRequest &request, const std::string &fallback)
{
    std::string done = request.Param(".done");
    if (done.empty())
        done = request.Param("done");
    return StartsWith(ToLower(done), "http://") ? done : fallback;
}

SimResponse LoginSite::Handle(const SimRequest &request)
{
    if (request.path != "/" && request.path != "/config/login")
        return SimResponse::Html(ErrorPage(404, "The page you asked for is not here."), 404);
    if (request.HasParam("logout"))
        return SignOut(request);
    if (request.method == "POST" || request.HasParam("login") || request.HasParam("passwd"))
        return SignIn(request);
    return SimResponse::Html(LoginPage(DoneAddress(request, std::string())));
}

SimResponse LoginSite::SignIn(const SimRequest &request)
{
    const SimUser *user = data_.User(request.Param("login"));
    const std::string done = DoneAddress(request, std::string());
    if (!user || user->password != request.Param("passwd"))
        return SimResponse::Html(LoginPage(done, "Invalid ID or password. Please try again."));
    const std::string token = sessions_.Open(user->name);
    SimResponse r = SimResponse::Redirect(done.empty() ? std::string("http://") + hosts::GROUP_HOST + "/" : done);
    r.headers.emplace_back("Set-Cookie", ServiceCookie(SessionStore::kCookie, token, request.HasParam(".persistent")));
    return r;
}

SimResponse LoginSite::SignOut(const SimRequest &request)
{
    sessions_.Close(request.Cookie(SessionStore::kCookie));
    const std::string done = DoneAddress(request, std::string());
    SimResponse r = done.empty()
        ? SimResponse::Html(HtmlPage("Signed out", "<h2>You are now signed out of Yahoo!</h2>\n<p><a href=\"http://"
                                                       + std::string(hosts::LOGIN_HOST) + "/\">Sign in again</a></p>"))
        : SimResponse::Redirect(done);
    r.headers.emplace_back("Set-Cookie", ExpiredServiceCookie(SessionStore::kCookie));
    return r;
}

} // namespace brindle::groupsim
