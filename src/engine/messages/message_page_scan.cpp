#include "engine/messages/message_page_scan.h"

#include "common/log.h"
#include "common/service_hosts.h"
#include "common/text_utils.h"

#include <QRegularExpression>

namespace brindle {

namespace {

QString OwnGroupName(QString name)
{
    static const QStringList roles = {
        QStringLiteral("-UNSUBSCRIBE"), QStringLiteral("-SUBSCRIBE"),
        QStringLiteral("-OWNER"), QStringLiteral("-MODERATOR"),
    };
    const QString upper = name.toUpper();
    for (const QString &role : roles) {
        if (upper.contains(role))
            return name.left(name.lastIndexOf(QLatin1Char('-')));
    }
    return name;
}

} // namespace

void GetValidYahooGroupNamesFrom(const QString &html, QStringList &names)
{
    // The domain's dots are left as they are: they match any character.
    static const QRegularExpression address(
        QStringLiteral("[_a-zA-Z\\d\\-\\.]+@") + QLatin1String(hosts::GROUP_MAIL_DOMAIN),
        QRegularExpression::DotMatchesEverythingOption);
    if (!address.isValid()) {
        Log(QStringLiteral("Exception in TYahooAttachmentDownload.GetValidYahooGroupNamesFrom"));
        return;
    }
    auto matches = address.globalMatch(Trim(html));
    while (matches.hasNext()) {
        const QString found = matches.next().captured(0);
        const QString name = OwnGroupName(Trim(found.left(found.lastIndexOf(QLatin1Char('@')))));
        if (!name.isEmpty())
            names.append(name);
    }
}

QStringList GrabbedURLs(const QStringList &links, const QStringList &ignoredSites)
{
    QStringList kept;
    for (const QString &link : links) {
        if (link.startsWith(QLatin1Char('/')) || link.startsWith(QStringLiteral("mailto"), Qt::CaseInsensitive))
            continue;
        const bool ignored = std::any_of(ignoredSites.begin(), ignoredSites.end(), [&](const QString &site) {
            return !site.isEmpty() && link.contains(site, Qt::CaseInsensitive);
        });
        if (!ignored)
            kept.append(link);
    }
    return kept;
}

} // namespace brindle
