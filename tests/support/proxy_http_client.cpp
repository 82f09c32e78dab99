#include "support/proxy_http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace brindle::test {

namespace {

struct Transfer {
    HttpResult *result;
    std::function<bool(const char *, std::size_t)> sink;
};

std::size_t OnBody(char *data, std::size_t size, std::size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const std::size_t n = size * count;
    if (t->sink)
        return t->sink(data, n) ? n : 0;
    t->result->body.append(data, n);
    return n;
}

std::size_t OnHeader(char *data, std::size_t size, std::size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const std::size_t n = size * count;
    std::string line(data, n);
    if (line.rfind("HTTP/", 0) == 0)
        t->result->headers.clear();  // a new answer (after a redirect)
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of("\r\n \t") + 1);
        t->result->headers.emplace(name, value);
    }
    return n;
}

} // namespace

std::string HttpResult::Header(const std::string &name) const
{
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

ProxyHttpClient::ProxyHttpClient(std::string proxyUrl) : proxy_(std::move(proxyUrl))
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    curl_ = curl_easy_init();
    curl_easy_setopt(curl_, CURLOPT_COOKIEFILE, "");
}

ProxyHttpClient::~ProxyHttpClient()
{
    curl_easy_cleanup(static_cast<CURL *>(curl_));
}

HttpResult ProxyHttpClient::Get(const std::string &url, bool follow)
{
    return Perform("GET", url, nullptr, std::string(), follow, nullptr);
}

HttpResult ProxyHttpClient::PostForm(const std::string &url, const std::string &form, bool follow)
{
    return Perform("POST", url, &form, "application/x-www-form-urlencoded", follow, nullptr);
}

HttpResult ProxyHttpClient::Send(const std::string &method, const std::string &url, const std::string &body,
                                 const std::string &contentType, bool follow)
{
    return Perform(method, url, &body, contentType, follow, nullptr);
}

HttpResult ProxyHttpClient::GetStreamed(const std::string &url, std::function<bool(const char *, std::size_t)> sink)
{
    return Perform("GET", url, nullptr, std::string(), false, std::move(sink));
}

HttpResult ProxyHttpClient::Perform(const std::string &method, const std::string &url, const std::string *body,
                                    const std::string &contentType, bool follow,
                                    std::function<bool(const char *, std::size_t)> sink)
{
    CURL *curl = static_cast<CURL *>(curl_);
    HttpResult result;
    Transfer transfer{&result, std::move(sink)};
    curl_slist *headers = nullptr;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (!proxy_.empty())
        curl_easy_setopt(curl, CURLOPT_PROXY, proxy_.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    if (body) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body->size()));
        if (method != "POST")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
        headers = curl_slist_append(headers, ("Content-Type: " + contentType).c_str());
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        if (method != "GET")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    result.curlCode = int(curl_easy_perform(curl));
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    char *effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    result.effectiveUrl = effective ? effective : "";
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    return result;
}

std::string ProxyHttpClient::Cookie(const std::string &host, const std::string &name) const
{
    curl_slist *cookies = nullptr;
    curl_easy_getinfo(static_cast<CURL *>(curl_), CURLINFO_COOKIELIST, &cookies);
    std::string value;
    for (curl_slist *c = cookies; c; c = c->next) {
        // Netscape format: domain, tailmatch, path, secure, expires, name, value (tab-separated).
        std::vector<std::string> fields;
        std::string line = c->data;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() < 7 || fields[5] != name)
            continue;
        std::string domain = fields[0];
        if (domain.rfind("#HttpOnly_", 0) == 0)
            domain = domain.substr(10);
        const std::string bare = domain.front() == '.' ? domain.substr(1) : domain;
        if (host == bare || (host.size() > bare.size() && host.compare(host.size() - bare.size() - 1, std::string::npos, "." + bare) == 0))
            value = fields[6];
    }
    curl_slist_free_all(cookies);
    return value;
}

} // namespace brindle::test
