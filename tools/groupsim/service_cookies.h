#pragma once

#include <string>

namespace brindle::groupsim {

// The domain every cookie of the service is set for (".yahoo.com"), so the group
// hosts, their regional forms and the login host all see it.
std::string CookieDomain();

// A Set-Cookie value for the whole service domain; persistent ones outlive the session.
std::string ServiceCookie(const std::string &name, const std::string &value, bool persistent);
// A Set-Cookie value that removes the cookie.
std::string ExpiredServiceCookie(const std::string &name);

} // namespace brindle::groupsim
