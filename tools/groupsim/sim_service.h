#pragma once

#include "groupsim/control_endpoint.h"
#include "groupsim/fault_rules.h"
#include "groupsim/file_store.h"
#include "groupsim/group_site.h"
#include "groupsim/login_site.h"
#include "groupsim/request_journal.h"
#include "groupsim/session_store.h"
#include "groupsim/sim_data.h"
#include "groupsim/sim_http.h"

#include <functional>

namespace brindle::groupsim {

// What the transport must do besides sending the response.
struct SimAnswer {
    SimResponse response;
    int delayMs = 0;
    long long cutAfter = -1;       // close the connection after this many body bytes
    bool noContentLength = false;  // send the body without its length, ended by closing
};

// The whole simulated service, independent of the HTTP library: picks the site by host,
// applies the fault rules and records the request. Thread-safe.
class SimService {
public:
    explicit SimService(SimData data);
    SimService(const SimService &) = delete;
    SimService &operator=(const SimService &) = delete;

    SimAnswer Serve(const SimRequest &request);

    const SimData &Data() const { return data_; }
    FaultTable &Faults() { return faults_; }
    SessionStore &Sessions() { return sessions_; }
    RequestJournal &Journal() { return journal_; }
    void SetShutdownHandler(std::function<void()> handler) { control_.SetShutdownHandler(std::move(handler)); }

private:
    SimResponse SiteResponse(const SimRequest &request);
    SimResponse FaultResponse(const SimRequest &request, const FaultRule &rule);

    const SimData data_;
    FaultTable faults_;
    SessionStore sessions_;
    RequestJournal journal_;
    GroupSite groups_;
    LoginSite login_;
    FileStore files_;
    ControlEndpoint control_;
};

// True for the group host and its regional forms ("uk.groups.yahoo.com"), but not for
// the photo hosts below it.
bool IsGroupHost(const std::string &host);

} // namespace brindle::groupsim
