#include "site/model/yahoo_base.h"

#include "common/text_utils.h"
#include "platform/html/html_page.h"

namespace brindle {

namespace {

bool AllAsciiDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The part of an absolute address from the first "/" after the host on; empty
// for other addresses.
QString PathOf(const QString &address)
{
    if (!IsAbsoluteHttp(address))
        return QString();
    const qsizetype slash = address.indexOf(QLatin1Char('/'), address.indexOf(QLatin1String("://")) + 3);
    return slash < 0 ? QString() : address.mid(slash);
}

bool SameAddress(const QString &href, const QString &address)
{
    return !address.isEmpty() && (SameText(href, address) || SameText(UrlDecode(href), UrlDecode(address)));
}

} // namespace

QString TYahooBase::MessageKey() const
{
    return AsciiUpper(SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/message/"));
}

// The link made absolute on the group's site; empty for a link to "/" alone, which
// every scan skips.
QString TYahooBase::NormalisedLink(const QString &link) const
{
    if (link == QLatin1String("/"))
        return QString();
    if (IsAbsoluteHttp(link))
        return link;
    return link.startsWith(QLatin1Char('/')) ? SiteRoot() + link : SiteRoot() + QLatin1Char('/') + link;
}

qsizetype TYahooBase::MessageKeyPosition(const QString &httpLink) const
{
    return AsciiUpper(httpLink).indexOf(MessageKey());
}

// The number after the message key, when the text there (as long as the key at
// most) is digits alone; -1 for other links.
int TYahooBase::MessageNumberOf(const QString &absoluteLink) const
{
    const QString link = HttpForm(absoluteLink);
    const qsizetype at = MessageKeyPosition(link);
    if (at < 0)
        return -1;
    const qsizetype keyLength = MessageKey().size();
    const QString digits = link.mid(at + keyLength, keyLength);
    if (digits.isEmpty() || !AllAsciiDigits(digits))
        return -1;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? number : -1;
}

QStringList TYahooBase::PageLinks(const QString &html)
{
    return HtmlPage(html).LinkTargets();
}

QStringList TYahooBase::AbsoluteLinks(const QString &html, const QString &tail, const QString &baseAddress) const
{
    const QString base = Trim(baseAddress).isEmpty() ? SiteRoot() + tail
                                                     : QLatin1String("http://") + HostOf(baseAddress) + tail;
    QStringList links = PageLinks(html);
    for (QString &link : links) {
        if (link == QLatin1String("/") || IsAbsoluteHttp(link))
            continue;
        link = link.startsWith(QLatin1Char('/')) ? base + link : base + QLatin1Char('/') + link;
    }
    return links;
}

QString TYahooBase::GetSourceUser(const QString &html)
{
    QString source;
    for (const TableCell &cell : HtmlPage(html).TableCells()) {
        const QString value = Trim(cell.Attribute(QStringLiteral("CLASS")));
        if (SameText(value, QStringLiteral("source user")) || SameText(value, QStringLiteral("\"source user\"")))
            source = cell.innerHtml;
    }
    return source;
}

bool TYahooBase::LinkTextOf(const QList<HtmlItem> &page, const QString &address, bool stripQuery, QString &text)
{
    const QString target = stripQuery ? CutQuery(address) : address;
    const QString path = PathOf(target);
    bool inLink = false;
    for (const HtmlItem &item : page) {
        if (item.IsTag(QStringLiteral("A")) && item.HasAttribute(QStringLiteral("HREF"))) {
            QString href = item.Attribute(QStringLiteral("HREF"));
            if (stripQuery)
                href = CutQuery(href);
            if (SameAddress(href, target) || SameAddress(href, path))
                inLink = true;
        } else if (item.IsTag(QStringLiteral("/A"))) {
            inLink = false;
        } else if (inLink && item.IsText()) {
            text = item.text;
            return true;
        }
    }
    return false;
}

} // namespace brindle
