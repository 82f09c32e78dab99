#pragma once

#include "groupsim/sim_http.h"

#include <QRegularExpression>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace brindle::groupsim::testing {

// A request for an absolute address, as the proxy would hand it to the service.
inline SimRequest Request(const std::string &url, const std::map<std::string, std::string> &cookies = {},
                          const std::string &method = "GET", const std::string &form = std::string())
{
    SimRequest r;
    r.method = method;
    std::string rest = url.substr(url.find("://") + 3);
    const std::size_t slash = rest.find('/');
    r.host = ToLower(rest.substr(0, slash));
    rest = slash == std::string::npos ? std::string("/") : rest.substr(slash);
    const std::size_t question = rest.find('?');
    r.rawPath = rest.substr(0, question);
    r.path = QByteArray::fromPercentEncoding(QByteArray::fromStdString(r.rawPath)).toStdString();
    r.query = question == std::string::npos ? std::string() : rest.substr(question + 1);
    r.params = ParseQuery(r.query);
    for (auto &field : ParseQuery(form))
        r.params.insert(field);
    r.cookies = cookies;
    r.body = form;
    return r;
}

// Every href of a page, entities "&amp;" decoded, in document order.
inline std::vector<std::string> Links(const std::string &html)
{
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    std::vector<std::string> links;
    for (auto it = href.globalMatch(QString::fromStdString(html)); it.hasNext();)
        links.push_back(it.next().captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")).toStdString());
    return links;
}

// Message numbers of the links "/group/<group>/message/N" (query ignored), in order.
inline std::vector<int> MessageLinks(const std::string &html, const std::string &group)
{
    std::vector<int> numbers;
    const QRegularExpression pattern(QStringLiteral("^/group/%1/message/(\\d+)(\\?.*)?$")
                                         .arg(QRegularExpression::escape(QString::fromStdString(group))),
                                     QRegularExpression::CaseInsensitiveOption);
    for (const std::string &link : Links(html)) {
        const auto m = pattern.match(QString::fromStdString(link));
        if (m.hasMatch())
            numbers.push_back(m.captured(1).toInt());
    }
    return numbers;
}

inline std::string Unescape(std::string text)
{
    const std::pair<const char *, const char *> entities[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto &[entity, plain] : entities)
        for (std::size_t at = 0; (at = text.find(entity, at)) != std::string::npos; at += std::string(plain).size())
            text.replace(at, std::string(entity).size(), plain);
    return text;
}

// The raw text a "?source=1" page holds: the "source user" cell, "<br>" as CRLF, unescaped.
inline std::string SourceCellText(const std::string &html)
{
    static const QRegularExpression cell(QStringLiteral("<td class=\"source user\">(.*?)</td>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const auto m = cell.match(QString::fromStdString(html));
    if (!m.hasMatch())
        return "<no source cell>";
    return Unescape(m.captured(1).replace(QStringLiteral("<br>"), QStringLiteral("\r\n")).toStdString());
}

} // namespace brindle::groupsim::testing
