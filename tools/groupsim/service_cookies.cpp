#include "groupsim/service_cookies.h"

#include "common/service_hosts.h"

namespace brindle::groupsim {

std::string CookieDomain()
{
    const std::string login = hosts::LOGIN_HOST;
    return login.substr(login.find('.'));
}

std::string ServiceCookie(const std::string &name, const std::string &value, bool persistent)
{
    std::string cookie = name + "=" + value + "; Domain=" + CookieDomain() + "; Path=/";
    if (persistent)
        cookie += "; Expires=Fri, 31 Dec 2037 23:59:59 GMT";
    return cookie;
}

std::string ExpiredServiceCookie(const std::string &name)
{
    return name + "=; Domain=" + CookieDomain() + "; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT";
}

} // namespace brindle::groupsim
