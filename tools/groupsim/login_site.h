#pragma once

#include "groupsim/session_store.h"
#include "groupsim/sim_data.h"
#include "groupsim/sim_http.h"

namespace brindle::groupsim {

// Answers requests on the login host: the sign-in form ("/" and "/config/login"),
// signing in (the form's POST, or a GET with "login" and "passwd" in the query) and
// signing out ("/config/login?logout=1...").
class LoginSite {
public:
    LoginSite(const SimData &data, SessionStore &sessions) : data_(data), sessions_(sessions) {}
    SimResponse Handle(const SimRequest &request);

private:
    SimResponse SignIn(const SimRequest &request);
    SimResponse SignOut(const SimRequest &request);

    const SimData &data_;
    SessionStore &sessions_;
};

// Where to go after signing in or out: the ".done" (or "done") parameter when it is
// an "http://" address, else the fallback.
std::string DoneAddress(const SimRequest &request, const std::string &fallback);

} // namespace brindle::groupsim
