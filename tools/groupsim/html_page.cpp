#include "groupsim/html_page.h"

#include "common/service_hosts.h"
#include "groupsim/sim_http.h"

#include <QRegularExpression>
#include <QString>

namespace brindle::groupsim {

std::string HtmlEscape(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string SourceCellHtml(const std::string &raw)
{
    std::string out;
    out.reserve(raw.size() + raw.size() / 10);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = raw.find("\r\n", start);
        out += HtmlEscape(raw.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        out += "<br>";
        start = end + 2;
    }
    return out;
}

static std::string LinkAddresses(const std::string &escapedLine)
{
    thread_local const QRegularExpression address(QStringLiteral("https?://[^\\s<>\"]+[^\\s<>\".,;:!?)]"));
    const QString line = QString::fromStdString(escapedLine);
    QString out;
    qsizetype last = 0;
    for (auto it = address.globalMatch(line); it.hasNext();) {
        const auto m = it.next();
        out += line.mid(last, m.capturedStart() - last);
        out += QStringLiteral("<a href=\"%1\" target=\"_blank\">%1</a>").arg(m.captured());
        last = m.capturedEnd();
    }
    out += line.mid(last);
    return out.toStdString();
}

std::string TextToHtml(const std::string &text)
{
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out += LinkAddresses(HtmlEscape(line));
        if (last)
            break;
        out += "<br>\n";
        start = end + 1;
    }
    return out;
}

std::string HtmlPage(const std::string &title, const std::string &body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + HtmlEscape(title)
        + "</title></head>\n<body>\n<div id=\"ygrp-hd\"><a href=\"http://" + hosts::GROUP_HOST
        + "/\">Yahoo! Groups</a></div>\n" + body + "\n</body></html>\n";
}

std::string LoginFormHtml(const std::string &done, const std::string &error)
{
    std::string form;
    if (!error.empty())
        form += "<div class=\"yregertxt\">" + HtmlEscape(error) + "</div>\n";
    form += "<form method=\"post\" action=\"http://" + std::string(hosts::LOGIN_HOST)
        + "/config/login\" name=\"login_form\">\n"
          "<input type=\"hidden\" name=\".tries\" value=\"1\">\n"
          "<input type=\"hidden\" name=\".src\" value=\"ygrp\">\n"
          "<input type=\"hidden\" name=\".intl\" value=\"us\">\n"
          "<input type=\"hidden\" name=\".done\" value=\"" + HtmlEscape(done) + "\">\n"
          "<label>Yahoo! ID: <input type=\"text\" name=\"login\" size=\"17\" value=\"\"></label><br>\n"
          "<label>Password: <input type=\"password\" name=\"passwd\" size=\"17\" value=\"\"></label><br>\n"
          "<label><input type=\"checkbox\" name=\".persistent\" value=\"y\"> Keep me signed in</label><br>\n"
          "<input type=\"submit\" name=\".save\" value=\"Sign In\">\n"
          "</form>\n";
    return form;
}

std::string LoginPage(const std::string &done, const std::string &error)
{
    return HtmlPage("Sign in to Yahoo!", "<h2>Sign in to Yahoo!</h2>\n" + LoginFormHtml(done, error));
}

std::string InterstitialPage(const std::string &path)
{
    return HtmlPage("Yahoo! Groups", "<div class=\"interstitial\"><p>A word from our sponsors.</p>\n<p><a href=\""
                        + HtmlEscape(UrlEncode(path, "/")) + "\">Continue to the page</a></p></div>");
}

std::string ErrorPage(int status, const std::string &text)
{
    return HtmlPage("Error " + std::to_string(status), "<h2>Error " + std::to_string(status) + "</h2>\n<p>"
                        + HtmlEscape(text) + "</p>");
}

} // namespace brindle::groupsim
