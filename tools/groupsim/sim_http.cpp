#include "groupsim/sim_http.h"

#include <QByteArray>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace brindle::groupsim {

std::string SimRequest::Url() const
{
    return "http://" + host + RawPathAndQuery();
}

std::string SimRequest::RawPathAndQuery() const
{
    const std::string &p = rawPath.empty() ? path : rawPath;
    return query.empty() ? p : p + "?" + query;
}

std::string SimRequest::Address() const
{
    return query.empty() ? host + path : host + path + "?" + query;
}

std::string SimRequest::Param(const std::string &name) const
{
    const auto it = params.find(name);
    return it == params.end() ? std::string() : it->second;
}

bool SimRequest::HasParam(const std::string &name) const
{
    return params.count(name) > 0;
}

std::string SimRequest::Cookie(const std::string &name) const
{
    const auto it = cookies.find(name);
    return it == cookies.end() ? std::string() : it->second;
}

void SimResponse::ReadBody(std::uint64_t offset, char *out, std::size_t size) const
{
    if (generator) {
        generator(offset, out, size);
        return;
    }
    std::memcpy(out, body.data() + offset, size);
}

SimResponse SimResponse::Html(std::string html, int status)
{
    SimResponse r;
    r.status = status;
    r.body = std::move(html);
    return r;
}

SimResponse SimResponse::Redirect(const std::string &location)
{
    SimResponse r;
    r.status = 302;
    r.headers.emplace_back("Location", location);
    r.body = "<html><body>Moved to <a href=\"" + location + "\">here</a>.</body></html>";
    return r;
}

SimResponse SimResponse::Json(std::string json, int status)
{
    SimResponse r;
    r.status = status;
    r.contentType = "application/json";
    r.body = std::move(json);
    return r;
}

SimResponse SimResponse::Text(std::string text, int status)
{
    SimResponse r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = std::move(text);
    return r;
}

static std::string DecodeComponent(std::string text)
{
    std::replace(text.begin(), text.end(), '+', ' ');
    return QByteArray::fromPercentEncoding(QByteArray::fromStdString(text)).toStdString();
}

std::multimap<std::string, std::string> ParseQuery(const std::string &query)
{
    std::multimap<std::string, std::string> result;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos)
                result.emplace(DecodeComponent(pair), std::string());
            else
                result.emplace(DecodeComponent(pair.substr(0, eq)), DecodeComponent(pair.substr(eq + 1)));
        }
        start = end + 1;
    }
    return result;
}

static std::string TrimBlanks(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::map<std::string, std::string> ParseCookieHeader(const std::string &header)
{
    std::map<std::string, std::string> result;
    std::size_t start = 0;
    while (start < header.size()) {
        std::size_t end = header.find(';', start);
        if (end == std::string::npos)
            end = header.size();
        const std::string item = header.substr(start, end - start);
        const std::size_t eq = item.find('=');
        if (eq != std::string::npos)
            result[TrimBlanks(item.substr(0, eq))] = TrimBlanks(item.substr(eq + 1));
        start = end + 1;
    }
    return result;
}

std::string UrlEncode(const std::string &text, const std::string &keep)
{
    return QUrl::toPercentEncoding(QString::fromStdString(text), QByteArray::fromStdString(keep)).toStdString();
}

std::string ToLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

bool StartsWith(const std::string &text, const std::string &start)
{
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace brindle::groupsim
