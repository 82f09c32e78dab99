#include "engine/pending/yahoo_base.h"

#include "common/log.h"
#include "common/service_hosts.h"
#include "common/text_utils.h"

#include <gumbo.h>

#include <set>

namespace brindle {

static const QString kGroupHost = QLatin1String(hosts::GROUP_HOST);

TYahooBase::TYahooBase(PageAccess *worker, bool debug, TYahooDownloadOptions *options, const QString &,
                       const QString &, const QString &groupName)
    : m_worker(worker)
    , m_debug(debug)
    , m_options(options)
    , m_groupName(groupName)
    , m_host(kGroupHost)
{
}

QString TYahooBase::GroupHomeURL() const { return "http://" + kGroupHost + "/group/" + m_groupName; }
QString TYahooBase::MessagesFirstPageURL() const { return "http://" + m_prefix + kGroupHost + "/group/" + m_groupName + "/messages/1"; }
QString TYahooBase::MessagesURL() const { return "http://" + m_prefix + kGroupHost + "/group/" + m_groupName + "/messages/"; }
QString TYahooBase::MessageURL(int n) const { return "http://" + m_prefix + kGroupHost + "/group/" + m_groupName + "/message/" + QString::number(n); }

TDownloadStatus TYahooBase::FetchPage(const QString &address, QStringList &lines)
{
    return m_worker->FetchPageSync(address, lines) ? dsOk : dsError;
}

bool TYahooBase::CheckAdultPage(QStringList &lines)
{
    if (!ContainsText(m_worker->LocationURL(), "adultconf"))
        return true;
    DumpPage(lines.join("\r\n"), "AdultPage.html");
    return m_worker->ClickSync("accept", {}, lines) || m_worker->ClickSync("accept", {}, lines);
}

void TYahooBase::DetectPrefix()
{
    QString location = Trim(m_worker->LocationURL()).toLower().remove("http://");
    const int at = location.indexOf(kGroupHost);
    m_prefix = (location == kGroupHost || at < 0) ? QString() : location.left(at);
    if (!m_prefix.isEmpty())
        Log(m_prefix + " - " + m_groupName);
}

TDownloadStatus TYahooBase::InitMessageRange()
{
    if (FetchPage(MessagesFirstPageURL(), PageLines) != dsOk)
        return dsError;
    DetectPrefix();
    if (!CheckAdultPage(PageLines))
        return dsError;
    if (FetchPage(MessagesFirstPageURL(), PageLines) != dsOk || !CheckAdultPage(PageLines))
        return dsError;
    const QString first = PageLines.join("\n");
    DumpPage(first, "FirstReq.html");
    FixGroupNameCase(first);
    m_firstMessage = FindMessage(first, true);
    if (FetchPage(MessagesURL(), PageLines) != dsOk)
        return dsError;
    const QString last = PageLines.join("\n");
    DumpPage(last, "LastReq.html");
    if (!CheckAdultPage(PageLines))
        return dsError;
    m_lastMessage = FindMessage(last, false);
    return dsOk;
}

QString TYahooBase::Normalise(const QString &link) const
{
    if (link.toUpper() == "/")
        return {};
    if (link.toUpper().startsWith("HTTP://"))
        return link;
    return "http://" + m_prefix + kGroupHost + (link.startsWith('/') ? "" : "/") + link;
}

int TYahooBase::MessageLinkNumber(const QString &link) const
{
    const QString u = Normalise(link).toUpper();
    if (u.isEmpty())
        return -1;
    const QString key = ("http://" + m_prefix + kGroupHost + "/group/" + m_groupName + "/message/").toUpper();
    const int at = u.indexOf(key);
    if (at < 0)
        return -1;
    const QString digits = u.mid(at + key.size(), key.size());
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }) ? n : -1;
}

int TYahooBase::FindMessage(const QString &html, bool smallest) const
{
    QStringList links;
    PageLinks(html, links);
    int found = -1;
    for (const QString &link : links) {
        const int n = MessageLinkNumber(link.section('?', 0, 0));
        if (n < 0)
            continue;
        if (found == -1 || (smallest ? n < found : n > found))
            found = n;
    }
    return found;
}

void TYahooBase::FixGroupNameCase(const QString &html)
{
    QStringList links;
    PageLinks(html, links);
    const QString start = "http://" + m_prefix + kGroupHost + "/group/";
    for (const QString &link : links) {
        const QString absolute = Normalise(link);
        if (MessageLinkNumber(absolute) < 0)
            continue;
        const int at = absolute.indexOf(start, 0, Qt::CaseInsensitive);
        const QString spelled = absolute.mid(at + start.size(), m_groupName.size());
        if (spelled != m_groupName && SameText(spelled, m_groupName)) {
            m_groupName = spelled;
            return;
        }
    }
}

int TYahooBase::NextMessageNumber(bool firstPass, int n, const QString &html)
{
    if (html.isEmpty())
        return -1;
    std::set<int> numbers{n};
    QStringList links;
    PageLinks(html, links);
    for (QString link : links) {
        link = link.section('?', 0, 0);
        if (link.endsWith('\\'))
            link.chop(1);
        const int number = MessageLinkNumber(link);
        if (number >= 0)
            numbers.insert(number);
    }
    if (numbers.size() == 1 && firstPass)
        return -1;
    const auto it = numbers.upper_bound(n);
    return it == numbers.end() ? n : *it;
}

bool TYahooBase::ResolveAuthPage(int n)
{
    if (!ContainsText(m_worker->LocationURL(), m_groupName + "/auth?"))
        return true;
    QStringList lines;
    return FetchPage("http://" + m_host + "/group/" + m_groupName + "/message/" + QString::number(n), lines) == dsOk;
}

bool TYahooBase::PageLinksToMessage(int n, const QString &html) const
{
    QStringList links;
    PageLinks(html, links);
    const QString target = MessageURL(n).toUpper();
    for (const QString &link : links)
        if (Normalise(link).toUpper() == target)
            return true;
    return false;
}

bool TYahooBase::GetMessagePage(bool source, int n, QString &html)
{
    const QString address = "http://" + m_host + "/group/" + m_groupName + "/message/" + QString::number(n)
        + (source ? "?source=1" : "");
    bool ok = false;
    for (int fetch = 0; fetch < 3; ++fetch) {
        const TDownloadStatus r = FetchPage(address, PageLines);
        html = PageLines.join("\n");
        if (r != dsOk)
            return false;
        ok = ResolveAuthPage(n);
        if (!PageLinksToMessage(n, html))
            break;
    }
    return ok;
}

static void CollectLinks(GumboNode *node, QStringList &links)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return;
    if (node->v.element.tag == GUMBO_TAG_A) {
        if (GumboAttribute *href = gumbo_get_attribute(&node->v.element.attributes, "href"))
            links.append(QString::fromUtf8(href->value));
    }
    const GumboVector &children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        CollectLinks(static_cast<GumboNode *>(children.data[i]), links);
}

void TYahooBase::PageLinks(const QString &html, QStringList &links)
{
    links.clear();
    const QByteArray bytes = html.toUtf8();
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.constData(), bytes.size());
    CollectLinks(output->root, links);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
}

static void FindSourceCell(GumboNode *node, const QByteArray &bytes, QString &result)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return;
    if (node->v.element.tag == GUMBO_TAG_TD) {
        GumboAttribute *cls = gumbo_get_attribute(&node->v.element.attributes, "class");
        if (cls && QString::fromUtf8(cls->value).compare("source user", Qt::CaseInsensitive) == 0) {
            const GumboElement &e = node->v.element;
            const size_t start = e.start_pos.offset + e.original_tag.length;
            const size_t end = e.end_pos.offset;
            if (end >= start && e.original_end_tag.length > 0)
                result = QString::fromUtf8(bytes.mid(qsizetype(start), qsizetype(end - start)));
        }
    }
    const GumboVector &children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        FindSourceCell(static_cast<GumboNode *>(children.data[i]), bytes, result);
}

QString TYahooBase::GetSourceUser(const QString &html)
{
    const QByteArray bytes = html.toUtf8();
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.constData(), bytes.size());
    QString result;
    FindSourceCell(output->root, bytes, result);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return result;
}

void TYahooBase::DumpPage(const QString &, const QString &) const
{
    (void)m_debug;
    (void)m_options;
}

} // namespace brindle
