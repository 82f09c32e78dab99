#pragma once

#include "groupsim/fault_rules.h"
#include "groupsim/request_journal.h"
#include "groupsim/session_store.h"
#include "groupsim/sim_http.h"

#include <functional>

namespace brindle::groupsim {

// The simulator's own endpoint ("http://groupsim.control/..." through the proxy, or any
// request made straight to the simulator's port): fault rules, the request journal,
// sessions and shutdown. See README.md.
class ControlEndpoint {
public:
    static constexpr const char *kHost = "groupsim.control";

    ControlEndpoint(FaultTable &faults, RequestJournal &journal, SessionStore &sessions)
        : faults_(faults), journal_(journal), sessions_(sessions) {}

    // Called (once per request) when a client asks the simulator to stop.
    void SetShutdownHandler(std::function<void()> handler) { shutdown_ = std::move(handler); }

    // True for the control host and for requests addressed to the simulator itself.
    static bool IsControlHost(const std::string &host);

    SimResponse Handle(const SimRequest &request);

private:
    SimResponse Faults(const SimRequest &request);

    FaultTable &faults_;
    RequestJournal &journal_;
    SessionStore &sessions_;
    std::function<void()> shutdown_;
};

} // namespace brindle::groupsim
