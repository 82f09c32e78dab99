#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace brindle::test {

struct HttpResult {
    long status = 0;       // 0 when no answer came
    int curlCode = 0;      // 0 when the transfer completed
    std::string body;
    std::multimap<std::string, std::string> headers;  // names in lower case
    std::string effectiveUrl;                         // after redirects (when followed)

    bool HasHeader(const std::string &name) const { return headers.count(name) > 0; }
    std::string Header(const std::string &name) const;
};

// A plain libcurl client for tests that talk to groupsim: every request goes through
// the given proxy (empty: libcurl's own reading of http_proxy), cookies are kept for the
// client's lifetime, redirects are followed only when asked.
class ProxyHttpClient {
public:
    explicit ProxyHttpClient(std::string proxyUrl);
    ~ProxyHttpClient();
    ProxyHttpClient(const ProxyHttpClient &) = delete;
    ProxyHttpClient &operator=(const ProxyHttpClient &) = delete;

    HttpResult Get(const std::string &url, bool follow = false);
    // A form POST (application/x-www-form-urlencoded).
    HttpResult PostForm(const std::string &url, const std::string &form, bool follow = false);
    HttpResult Send(const std::string &method, const std::string &url, const std::string &body,
                    const std::string &contentType, bool follow = false);
    // GET whose body goes to sink (return false to stop) instead of HttpResult::body.
    HttpResult GetStreamed(const std::string &url, std::function<bool(const char *, std::size_t)> sink);

    // The value of a cookie the client holds for the host, or empty.
    std::string Cookie(const std::string &host, const std::string &name) const;

private:
    HttpResult Perform(const std::string &method, const std::string &url, const std::string *body,
                       const std::string &contentType, bool follow, std::function<bool(const char *, std::size_t)> sink);

    void *curl_;
    std::string proxy_;
};

} // namespace brindle::test
