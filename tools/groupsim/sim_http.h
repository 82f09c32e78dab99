#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace brindle::groupsim {

// One request as the simulated service sees it, independent of the HTTP library.
struct SimRequest {
    std::string method = "GET";
    std::string host;   // lower case, without port
    std::string path;   // decoded path, starting with "/"
    std::string rawPath;  // the path as requested (percent escapes kept); empty: same as path
    std::string query;  // raw query text (after "?"), empty when none
    std::multimap<std::string, std::string> params;  // decoded query and form fields
    std::map<std::string, std::string> cookies;
    std::string body;

    // "http://" + host + raw path (+ "?" + query).
    std::string Url() const;
    // Raw path (+ "?" + query).
    std::string RawPathAndQuery() const;
    // host + path (+ "?" + query): the text fault patterns are matched against.
    std::string Address() const;
    std::string Param(const std::string &name) const;
    bool HasParam(const std::string &name) const;
    std::string Cookie(const std::string &name) const;
};

// Writes the bytes [offset, offset + size) of a generated body into out.
using BodyGenerator = std::function<void(std::uint64_t offset, char *out, std::size_t size)>;

// One answer of the simulated service. The body is either held as text or generated
// on the fly (large files are never built in memory).
struct SimResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::uint64_t generatedSize = 0;
    BodyGenerator generator;

    std::uint64_t BodySize() const { return generator ? generatedSize : body.size(); }
    // Copies [offset, offset + size) of the body into out.
    void ReadBody(std::uint64_t offset, char *out, std::size_t size) const;

    static SimResponse Html(std::string html, int status = 200);
    static SimResponse Redirect(const std::string &location);
    static SimResponse Json(std::string json, int status = 200);
    static SimResponse Text(std::string text, int status = 200);
};

// Query text "a=1&b=x+y" into decoded pairs ("+" is a space).
std::multimap<std::string, std::string> ParseQuery(const std::string &query);
// "Cookie:" header value into names and values.
std::map<std::string, std::string> ParseCookieHeader(const std::string &header);
// Percent-encodes everything but unreserved characters (and those in keep).
std::string UrlEncode(const std::string &text, const std::string &keep = std::string());
std::string ToLower(std::string text);
bool StartsWith(const std::string &text, const std::string &start);
bool EndsWith(const std::string &text, const std::string &end);

} // namespace brindle::groupsim
