#pragma once

#include "groupsim/sim_data.h"
#include "groupsim/sim_service.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace brindle::groupsim {

// The simulated service on a loopback port. Clients use it as their HTTP proxy: it
// reads the host from absolute-form request lines ("GET http://host/path HTTP/1.1"),
// or from the Host header otherwise. Tests run it in-process; groupsim's main runs it
// as a program.
class GroupsimServer {
public:
    explicit GroupsimServer(SimData data);
    ~GroupsimServer();
    GroupsimServer(const GroupsimServer &) = delete;
    GroupsimServer &operator=(const GroupsimServer &) = delete;

    // Binds 127.0.0.1:port (0 picks a free port) and serves from a thread of its own.
    // Returns the port, or -1 when it cannot bind.
    int Start(int port);
    // Asks the server to stop; returns at once. Safe from any thread, request handlers included.
    void RequestStop();
    // Blocks until the server has stopped serving.
    void Wait();

    int Port() const { return port_; }
    // "http://127.0.0.1:PORT"
    std::string ProxyUrl() const;
    SimService &Service() { return service_; }

    // Receives one line per answered request ("GET http://host/path 200"). Set before Start.
    void SetRequestLog(std::function<void(const std::string &)> log) { log_ = std::move(log); }

private:
    void HandleRequest(const httplib::Request &request, httplib::Response &response);
    void Send(SimAnswer answer, httplib::Response &response);
    // Waits up to ms; false when the server is stopping.
    bool Pause(int ms);
    bool Stopping() const;

    SimService service_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::function<void(const std::string &)> log_;
    int port_ = -1;
    std::mutex joinMutex_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> listenEnded_{false};
};

} // namespace brindle::groupsim
