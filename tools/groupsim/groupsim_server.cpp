#include "groupsim/groupsim_server.h"

#include <httplib.h>

#include <chrono>

namespace brindle::groupsim {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr int kWorkerThreads = 32;

std::string HostWithoutPort(const std::string &host)
{
    const std::size_t colon = host.find(':');
    return ToLower(colon == std::string::npos ? host : host.substr(0, colon));
}

SimRequest ToSimRequest(const httplib::Request &req)
{
    SimRequest r;
    r.method = req.method;
    std::string target = req.target;
    std::string path = req.path;
    if (StartsWith(ToLower(path), "http://")) {
        const std::size_t slash = path.find('/', 7);
        r.host = HostWithoutPort(path.substr(7, slash == std::string::npos ? std::string::npos : slash - 7));
        path = slash == std::string::npos ? std::string("/") : path.substr(slash);
        const std::size_t rawSlash = target.find('/', 7);
        target = rawSlash == std::string::npos ? std::string("/") : target.substr(rawSlash);
    } else {
        r.host = HostWithoutPort(req.get_header_value("Host"));
    }
    r.path = path;
    const std::size_t question = target.find('?');
    r.rawPath = target.substr(0, question);
    r.query = question == std::string::npos ? std::string() : target.substr(question + 1);
    r.params = ParseQuery(r.query);
    if (r.method == "POST" && StartsWith(req.get_header_value("Content-Type"), "application/x-www-form-urlencoded"))
        for (auto &field : ParseQuery(req.body))
            r.params.insert(field);
    const auto cookies = req.headers.equal_range("Cookie");
    for (auto it = cookies.first; it != cookies.second; ++it)
        for (auto &cookie : ParseCookieHeader(it->second))
            r.cookies.insert(cookie);
    r.body = req.body;
    return r;
}

} // namespace

GroupsimServer::GroupsimServer(SimData data)
    : service_(std::move(data)), server_(std::make_unique<httplib::Server>())
{
    server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server_->set_keep_alive_max_count(100);
    server_->set_keep_alive_timeout(1);
    server_->set_tcp_nodelay(true);
    const auto handler = [this](const httplib::Request &req, httplib::Response &res) { HandleRequest(req, res); };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    server_->Put(".*", handler);
    server_->Delete(".*", handler);
    service_.SetShutdownHandler([this] { RequestStop(); });
}

GroupsimServer::~GroupsimServer()
{
    RequestStop();
    Wait();
}

int GroupsimServer::Start(int port)
{
    if (port == 0)
        port_ = server_->bind_to_any_port("127.0.0.1");
    else
        port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
    if (port_ < 0)
        return -1;
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        listenEnded_ = true;
    });
    // stop() only acts on a running server, so a stop right after Start must find it running.
    while (!server_->is_running() && !listenEnded_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port_;
}

void GroupsimServer::RequestStop()
{
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    server_->stop();
}

void GroupsimServer::Wait()
{
    std::lock_guard lock(joinMutex_);
    if (thread_.joinable())
        thread_.join();
}

std::string GroupsimServer::ProxyUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

bool GroupsimServer::Pause(int ms)
{
    std::unique_lock lock(wakeMutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

bool GroupsimServer::Stopping() const
{
    return stopping_;
}

void GroupsimServer::HandleRequest(const httplib::Request &request, httplib::Response &response)
{
    const SimRequest sim = ToSimRequest(request);
    SimAnswer answer = service_.Serve(sim);
    if (log_)
        log_(sim.method + " " + sim.Url() + " " + std::to_string(answer.response.status));
    if (answer.delayMs > 0 && !Pause(answer.delayMs)) {
        response.status = 503;
        return;
    }
    Send(std::move(answer), response);
}

void GroupsimServer::Send(SimAnswer answer, httplib::Response &response)
{
    response.status = answer.response.status;
    for (const auto &[name, value] : answer.response.headers)
        response.set_header(name, value);
    const std::string type = answer.response.contentType;
    if (!answer.response.generator && answer.cutAfter < 0 && !answer.noContentLength) {
        response.set_content(answer.response.body, type);
        return;
    }
    const auto body = std::make_shared<SimResponse>(std::move(answer.response));
    const std::uint64_t size = body->BodySize();
    const std::uint64_t limit = answer.cutAfter >= 0 ? std::min<std::uint64_t>(std::uint64_t(answer.cutAfter), size) : size;
    // Writes the next piece from offset; false once the body is to be cut off there.
    const auto writeFrom = [this, body, limit](std::uint64_t offset, std::uint64_t wanted, httplib::DataSink &sink) {
        if (offset >= limit || Stopping())
            return false;
        std::string chunk(std::size_t(std::min<std::uint64_t>({wanted, limit - offset, kChunk})), '\0');
        body->ReadBody(offset, chunk.data(), chunk.size());
        return sink.write(chunk.data(), chunk.size());
    };
    if (answer.noContentLength) {
        // Without a length the end of the body is the end of the connection: the
        // provider refuses to go on once the body is out, and the server closes.
        response.set_header("Connection", "close");
        response.set_content_provider(type, [writeFrom](std::size_t offset, httplib::DataSink &sink) {
            return writeFrom(offset, kChunk, sink);
        });
        return;
    }
    response.set_content_provider(std::size_t(size), type,
                                  [writeFrom](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                                      return writeFrom(offset, length, sink);
                                  });
}

} // namespace brindle::groupsim
