#include "site/model/yahoo_base.h"

#include "common/log.h"
#include "common/text_utils.h"

#include <set>

namespace brindle {

namespace {

// The service needs at most this many loads of one message page: the page, and
// again after it sent the browser through its sign-in redirect.
constexpr int kMaxMessagePageFetches = 3;

} // namespace

TDownloadStatus TYahooBase::InitMessageRange()
{
    // Regional groups are answered with a redirect to their regional host, which
    // the first request reveals.
    if (FetchPage(MessagesFirstPageURL(), PageLines) != dsOk)
        return dsError;
    DetectPrefix();
    if (!CheckAdultPage(PageLines))
        return dsError;
    if (FetchPage(MessagesFirstPageURL(), PageLines) != dsOk || !CheckAdultPage(PageLines))
        return dsError;
    const QString firstPage = PageText(PageLines);
    DumpPage(firstPage, QStringLiteral("FirstReq.html"));
    FixGroupNameCase(firstPage);
    FindFirstMessage(firstPage);

    if (FetchPage(MessagesURL(), PageLines) != dsOk)
        return dsError;
    DumpPage(PageText(PageLines), QStringLiteral("LastReq.html"));
    if (!CheckAdultPage(PageLines))
        return dsError;
    FindLastMessage(PageText(PageLines));
    return dsOk;
}

void TYahooBase::FindFirstMessage(const QString &html)
{
    FindMessageBound(html, true);
}

void TYahooBase::FindLastMessage(const QString &html)
{
    FindMessageBound(html, false);
}

// The smallest (first) or greatest message number linked from the page.
void TYahooBase::FindMessageBound(const QString &html, bool first)
{
    int &bound = first ? FirstMessage : LastMessage;
    bound = -1;
    for (const QString &link : PageLinks(html)) {
        const QString absolute = NormalisedLink(CutQuery(link));
        if (absolute.isEmpty())
            continue;
        const int number = MessageNumberOf(absolute);
        if (number < 0)
            continue;
        if (bound < 0 || (first ? number < bound : number > bound))
            bound = number;
    }
}

void TYahooBase::FixGroupNameCase(const QString &html)
{
    const qsizetype nameOffset = (SiteRoot() + QLatin1String("/group/")).size();
    for (const QString &link : PageLinks(html)) {
        const QString absolute = NormalisedLink(link);
        if (absolute.isEmpty())
            continue;
        const QString httpLink = HttpForm(absolute);
        const qsizetype at = MessageKeyPosition(httpLink);
        if (at < 0)
            continue;
        const QString spelled = httpLink.mid(at + nameOffset, GroupName.size());
        if (spelled != GroupName) {
            GroupName = spelled;
            return;
        }
    }
}

int TYahooBase::NextMessageNumber(bool firstPass, int number, const QString &html) const
{
    if (html.isEmpty())
        return -1;
    std::set<int> numbers{number};
    for (QString link : PageLinks(html)) {
        link = CutQuery(link);
        if (link.endsWith(QLatin1Char('\\')))
            link.chop(1);
        const QString absolute = NormalisedLink(link);
        if (absolute.isEmpty())
            continue;
        Log(absolute);
        const int linked = MessageNumberOf(absolute);
        if (linked >= 0)
            numbers.insert(linked);
    }
    if (numbers.size() == 1 && firstPass)
        return -1;
    const auto next = numbers.upper_bound(number);
    return next == numbers.end() ? number : *next;
}

QString TYahooBase::MessagePageAddress(int number, bool sourceFlag) const
{
    QString address = QLatin1String("http://") + Host + QLatin1String("/group/") + GroupName +
                      QLatin1String("/message/") + QString::number(number);
    if (sourceFlag)
        address += QLatin1String("?source=1");
    return address;
}

bool TYahooBase::GetMessagePage(bool sourceFlag, int number, QString &html)
{
    const QString address = MessagePageAddress(number, sourceFlag);
    bool ok = false;
    for (int fetches = 1; fetches <= kMaxMessagePageFetches; ++fetches) {
        const TDownloadStatus fetched = FetchPage(address, PageLines);
        html = PageText(PageLines);
        if (fetched != dsOk)
            return false;
        ok = ResolveAuthPage(number);
        if (!PageLinksToMessage(number, html))
            break;
    }
    return ok;
}

bool TYahooBase::ResolveAuthPage(int number)
{
    if (!ContainsText(LocationURL(), GroupName + QLatin1String("/auth?")))
        return true;
    QStringList lines;
    return FetchPage(MessagePageAddress(number, false), lines) == dsOk;
}

bool TYahooBase::PageLinksToMessage(int number, const QString &html) const
{
    const QString message = AsciiUpper(MessageURL(number));
    for (const QString &link : AbsoluteLinks(html, QString(), QString())) {
        if (AsciiUpper(link) == message)
            return true;
    }
    return false;
}

} // namespace brindle
