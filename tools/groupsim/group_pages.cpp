#include "groupsim/group_pages.h"

#include "common/service_hosts.h"
#include "groupsim/file_store.h"
#include "groupsim/html_page.h"
#include "groupsim/message_builder.h"
#include "groupsim/sim_http.h"

#include <QCryptographicHash>

#include <set>

namespace brindle::groupsim::pages {

namespace {

std::string GroupPath(const SimGroup &group)
{
    return "/group/" + group.name;
}

std::string MessageLink(const SimGroup &group, int number, const std::string &query = std::string())
{
    return GroupPath(group) + "/message/" + std::to_string(number) + (query.empty() ? "" : "?" + query);
}

std::string Anchor(const std::string &href, const std::string &text)
{
    return "<a href=\"" + HtmlEscape(href) + "\">" + HtmlEscape(text) + "</a>";
}

std::string GroupHeader(const SimGroup &group)
{
    return "<div id=\"ygrp-grpnav\"><h1>" + HtmlEscape(group.title) + "</h1> &middot; " + HtmlEscape(group.name) + "@"
        + hosts::GROUP_MAIL_DOMAIN + "<br>\n" + Anchor(GroupPath(group) + "/", "Home") + " | "
        + Anchor(GroupPath(group) + "/messages", "Messages") + " | " + Anchor(GroupPath(group) + "/files/", "Files")
        + " | " + Anchor(GroupPath(group) + "/photos", "Photos") + "</div>\n";
}

std::string ListRow(const SimGroup &group, const SimMessage &m)
{
    return "<tr><td>" + std::to_string(m.number) + "</td><td>" + Anchor(MessageLink(group, m.number, "l=1"), m.subject)
        + "</td><td>" + HtmlEscape(m.author) + "</td><td>" + HtmlEscape(PageDate(m.date)) + "</td></tr>\n";
}

std::string ListPager(const SimGroup &group, int firstShown, int lastShown)
{
    const std::string base = GroupPath(group) + "/messages/";
    std::string pager = "<div class=\"pager\">" + Anchor(base + "1", "Oldest") + " | ";
    if (firstShown > 1)
        pager += Anchor(base + std::to_string(std::max(1, firstShown - kMessagesPerListPage)), "< Older") + " | ";
    if (lastShown > 0 && group.NextNumber(lastShown))
        pager += Anchor(base + std::to_string(lastShown + 1), "Newer >") + " | ";
    return pager + Anchor(base, "Newest") + "</div>\n";
}

std::string HeaderBlock(const SimGroup &group, const SimMessage &m)
{
    const int last = group.messages.empty() ? 0 : group.messages.rbegin()->first;
    return "<div class=\"msghead\">\n<b>Message #</b>" + std::to_string(m.number) + " of " + std::to_string(last)
        + "<br>\n<b>From:</b>&nbsp;" + Anchor("mailto:" + m.authorEmail, m.author) + "<br>\n<b>Date:</b>&nbsp;"
        + HtmlEscape(PageDate(m.date)) + "<br>\n<b>Subject:</b>&nbsp;" + HtmlEscape(m.subject) + "<br>\n</div>\n";
}

// Links to the neighbouring messages; never a link to the message itself without a
// query, which would make the page read as an interstitial.
std::string MessageNav(const SimGroup &group, const SimMessage &m, bool source)
{
    std::string nav = "<div class=\"msgnav\">";
    if (const int prev = group.PreviousNumber(m.number))
        nav += Anchor(MessageLink(group, prev), "< Prev Message") + " | ";
    if (const int next = group.NextNumber(m.number))
        nav += Anchor(MessageLink(group, next), "Next Message >") + " | ";
    nav += Anchor(GroupPath(group) + "/messages/" + std::to_string(m.number), "Message List") + " | ";
    nav += source ? Anchor(MessageLink(group, m.number, "var=1"), "View formatted")
                  : Anchor(MessageLink(group, m.number, "source=1&unwrap=1"), "View Source");
    nav += " | " + Anchor(GroupPath(group) + "/post?act=reply&messageNum=" + std::to_string(m.number), "Reply");
    return nav + "</div>\n";
}

std::string EncodedPath(const std::string &path)
{
    return UrlEncode(path, "/");
}

// Immediate sub-folders and files of a folder ("/" or "/A/B/").
void FolderContents(const SimGroup &group, const std::string &folder, std::set<std::string> &subfolders,
                    std::vector<const SimFile *> &files)
{
    for (const SimFile &file : group.files) {
        if (!StartsWith(file.path, folder))
            continue;
        const std::string rest = file.path.substr(folder.size());
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos)
            files.push_back(&file);
        else
            subfolders.insert(rest.substr(0, slash));
    }
}

std::string SizeText(std::uint64_t size)
{
    if (size < 1024)
        return std::to_string(size) + " bytes";
    if (size < 1024 * 1024)
        return std::to_string(size / 1024) + " KB";
    return std::to_string(size / (1024 * 1024)) + " MB";
}

} // namespace

std::string Start(const SimData &data, const std::optional<std::string> &user)
{
    std::string body = "<h2>Welcome to Yahoo! Groups</h2>\n";
    if (user) {
        body += "<p>Hello, " + HtmlEscape(*user) + "! " + Anchor("/mygroups", "My Groups") + " | "
            + Anchor("http://" + std::string(hosts::LOGIN_HOST) + "/config/login?logout=1&.src=ygrp&.done="
                         + UrlEncode(std::string("http://") + hosts::GROUP_HOST + "/"),
                     "Sign Out")
            + "</p>\n";
    } else {
        body += "<p>" + Anchor("http://" + std::string(hosts::LOGIN_HOST) + "/config/login?.src=ygrp&.done="
                                   + UrlEncode(std::string("http://") + hosts::GROUP_HOST + "/"),
                               "Sign In")
            + " to see your groups.</p>\n";
    }
    body += "<h3>Featured groups</h3>\n<ul>\n";
    for (const SimGroup &group : data.groups)
        if (!group.adult)
            body += "<li>" + Anchor("http://" + group.Host() + GroupPath(group) + "/", group.title) + "</li>\n";
    return HtmlPage("Yahoo! Groups", body + "</ul>");
}

std::string GroupHome(const SimGroup &group)
{
    std::string body = GroupHeader(group);
    body += "<div class=\"grpdesc\"><p>" + TextToHtml(group.description) + "</p>\n";
    body += "<p>Messages: " + std::to_string(group.messages.size()) + (group.membersOnly ? " (members only)" : "")
        + "</p>\n<p>" + Anchor(GroupPath(group) + "/join", "Join This Group!") + "</p></div>";
    return HtmlPage(group.name + " : " + group.title, body);
}

std::string NoSuchGroup(const std::string &name)
{
    return HtmlPage("Yahoo! Groups - Group Not Found",
                    "<h2>Group Not Found</h2>\n<p>There is no group called " + HtmlEscape(name) + ".</p>");
}

std::string MessageList(const SimGroup &group, int from)
{
    std::vector<const SimMessage *> shown;
    if (from > 0) {
        for (auto it = group.messages.lower_bound(from); it != group.messages.end() && int(shown.size()) < kMessagesPerListPage; ++it)
            shown.push_back(&it->second);
    } else {
        for (auto it = group.messages.rbegin(); it != group.messages.rend() && int(shown.size()) < kMessagesPerListPage; ++it)
            shown.insert(shown.begin(), &it->second);
    }
    std::string body = GroupHeader(group);
    if (shown.empty()) {
        body += "<p>There are no messages to show.</p>\n";
        return HtmlPage(group.name + " : Messages", body + ListPager(group, 0, 0));
    }
    body += "<h3>Messages " + std::to_string(shown.front()->number) + " - " + std::to_string(shown.back()->number)
        + " of " + std::to_string(group.messages.rbegin()->first) + "</h3>\n";
    body += "<table class=\"datatable\">\n<tr><th>#</th><th>Subject</th><th>Author</th><th>Date</th></tr>\n";
    for (const SimMessage *m : shown)
        body += ListRow(group, *m);
    body += "</table>\n" + ListPager(group, shown.front()->number, shown.back()->number);
    return HtmlPage(group.name + " : Messages", body);
}

std::string Message(const SimGroup &group, const SimMessage &m, bool source)
{
    std::string body = GroupHeader(group) + MessageNav(group, m, source) + HeaderBlock(group, m);
    if (source)
        body += "<table class=\"msgsrc\"><tr><td class=\"source user\">" + SourceCellHtml(m.raw) + "</td></tr></table>\n";
    else
        body += "<div class=\"msgarea\">" + TextToHtml(m.text) + "</div>\n";
    body += MessageNav(group, m, source);
    return HtmlPage(group.name + " : Message: " + m.subject, body);
}

std::string MissingMessage(const SimGroup &group, int number)
{
    return HtmlPage(group.name + " : Message does not exist",
                    GroupHeader(group) + "<h3>Message does not exist</h3>\n<p>Message " + std::to_string(number)
                        + " of " + HtmlEscape(group.name)
                        + " does not exist. It may have been deleted by its sender or by the group's moderator.</p>");
}

std::string AdultConfirmation(const std::string &dest)
{
    const std::string body =
        "<h2>Adult Content Confirmation</h2>\n<p>This group may contain adult content. You must be 18 or older and "
        "accept the terms to continue.</p>\n<form method=\"post\" action=\"/adultconf\" name=\"adultconf\">\n"
        "<input type=\"hidden\" name=\"dest\" value=\""
        + HtmlEscape(dest)
        + "\">\n<input type=\"submit\" name=\"accept\" value=\"I Accept\">\n"
          "<input type=\"submit\" name=\"reject\" value=\"Cancel\">\n</form>";
    return HtmlPage("Yahoo! Groups - Adult Content Confirmation", body);
}

std::string AuthContinue(const SimGroup &group, int number)
{
    const std::string target = number > 0 ? MessageLink(group, number) : GroupPath(group) + "/";
    return HtmlPage(group.name + " : Members only",
                    GroupHeader(group) + "<p>You are a member of this group.</p>\n<p>"
                        + Anchor(target, number > 0 ? "Continue to message " + std::to_string(number) : "Continue")
                        + "</p>");
}

std::string NotAMember(const SimGroup &group, const std::string &user)
{
    return HtmlPage(group.name + " : Members only",
                    GroupHeader(group) + "<h3>Members Only</h3>\n<p>" + HtmlEscape(user)
                        + " is not a member of this group. Only members may read its messages.</p>\n<p>"
                        + Anchor(GroupPath(group) + "/join", "Join This Group!") + "</p>");
}

std::string MyGroups(const SimUser &user, int page)
{
    const int count = int(user.groups.size());
    const int pages = std::max(1, (count + kGroupsPerMyGroupsPage - 1) / kGroupsPerMyGroupsPage);
    page = std::clamp(page, 1, pages);
    std::string body = "<h2>My Groups</h2>\n<table class=\"mygroups\">\n";
    for (int i = (page - 1) * kGroupsPerMyGroupsPage; i < std::min(count, page * kGroupsPerMyGroupsPage); ++i) {
        const std::string &name = user.groups[std::size_t(i)];
        const std::string guid = QCryptographicHash::hash(QByteArray::fromStdString(name), QCryptographicHash::Md5)
                                     .toHex().left(8).toStdString();
        body += "<tr><td>" + Anchor("/group/" + name + "/?yguid=" + guid, name) + "</td></tr>\n";
    }
    body += "</table>\n<div class=\"pager\">Page " + std::to_string(page) + " of " + std::to_string(pages);
    for (int p = 1; p <= pages; ++p)
        if (p != page)
            body += " " + Anchor("/mygroups?sort=n&order=a&page=" + std::to_string(p), std::to_string(p));
    return HtmlPage("Yahoo! Groups - My Groups", body + "</div>");
}

bool FolderExists(const SimGroup &group, const std::string &folder)
{
    if (folder == "/")
        return true;
    for (const SimFile &file : group.files)
        if (StartsWith(file.path, folder))
            return true;
    return false;
}

std::string FilesFolder(const SimGroup &group, const std::string &folder)
{
    std::set<std::string> subfolders;
    std::vector<const SimFile *> files;
    FolderContents(group, folder, subfolders, files);
    const std::string base = GroupPath(group) + "/files" + EncodedPath(folder);
    std::string body = GroupHeader(group) + "<h3>Files " + HtmlEscape(folder) + "</h3>\n";
    body += "<div class=\"sort\">Sort by " + Anchor(base + "?sort=name", "Name") + " | " + Anchor(base + "?sort=date", "Date")
        + "</div>\n<table class=\"files\">\n";
    if (folder != "/")
        body += "<tr><td>" + Anchor(GroupPath(group) + "/files/", "Top folder") + "</td></tr>\n";
    for (const std::string &sub : subfolders)
        body += "<tr><td class=\"folder\">" + Anchor(base + UrlEncode(sub) + "/", sub) + "</td></tr>\n";
    for (const SimFile *file : files) {
        const std::string name = file->path.substr(file->path.rfind('/') + 1);
        body += "<tr><td class=\"file\">" + Anchor(FileStoreUrl(group, file->path), name) + "</td><td>"
            + SizeText(file->Size()) + "</td></tr>\n";
    }
    return HtmlPage(group.name + " : Files", body + "</table>");
}

} // namespace brindle::groupsim::pages
