#include "groupsim/sim_service.h"

#include "common/service_hosts.h"
#include "groupsim/html_page.h"
#include "groupsim/service_cookies.h"

namespace brindle::groupsim {

bool IsGroupHost(const std::string &host)
{
    if (host == hosts::GROUP_HOST)
        return true;
    return EndsWith(host, std::string(".") + hosts::GROUP_HOST) && host != hosts::PHOTO_HOST && host != hosts::PH_HOST;
}

static bool IsServiceDomain(const std::string &host)
{
    return EndsWith(host, CookieDomain());
}

SimService::SimService(SimData data)
    : data_(std::move(data)), groups_(data_, sessions_), login_(data_, sessions_), files_(data_),
      control_(faults_, journal_, sessions_)
{
    faults_.Add(data_.faults);
}

SimAnswer SimService::Serve(const SimRequest &request)
{
    if (ControlEndpoint::IsControlHost(request.host))
        return SimAnswer{control_.Handle(request)};
    SimAnswer answer;
    const auto rule = faults_.Take(request.Address());
    answer.response = rule ? FaultResponse(request, *rule) : SiteResponse(request);
    if (rule) {
        answer.delayMs = rule->delayMs;
        answer.cutAfter = rule->cutAfter;
        answer.noContentLength = rule->noContentLength;
    }
    journal_.Add(request.method, request.Url(), answer.response.status);
    return answer;
}

SimResponse SimService::FaultResponse(const SimRequest &request, const FaultRule &rule)
{
    if (rule.status)
        return SimResponse::Html(ErrorPage(rule.status, "The service could not answer this request."), rule.status);
    const bool signedIn = sessions_.UserOf(request.Cookie(SessionStore::kCookie)).has_value();
    if (rule.loginRequired && !signedIn) {
        // The session cookie never reaches hosts outside the service's domain.
        if (!IsServiceDomain(request.host))
            return SimResponse::Html(ErrorPage(403, "Please sign in first."), 403);
        return SimResponse::Html(LoginPage(request.Url()));
    }
    if (rule.interstitial)
        return SimResponse::Html(InterstitialPage(request.path));
    return SiteResponse(request);
}

SimResponse SimService::SiteResponse(const SimRequest &request)
{
    if (IsGroupHost(request.host))
        return groups_.Handle(request);
    if (request.host == hosts::LOGIN_HOST)
        return login_.Handle(request);
    if (request.host == hosts::FILE_STORE_HOST)
        return files_.Handle(request);
    return SimResponse::Html(ErrorPage(502, "groupsim does not serve " + request.host + "; nothing leaves this machine."),
                             502);
}

} // namespace brindle::groupsim
