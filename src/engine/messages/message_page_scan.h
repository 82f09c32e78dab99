#pragma once

#include <QString>
#include <QStringList>

namespace brindle {

// Group names mentioned in a page as mail addresses of the group mail domain
// ("name@" + GROUP_MAIL_DOMAIN); "-owner", "-moderator", "-subscribe" and
// "-unsubscribe" addresses give the group's own name. Duplicates are kept.
void GetValidYahooGroupNamesFrom(const QString &html, QStringList &names);

// The web addresses among a page's links worth keeping: every link except those
// starting with "/" or "mailto" and those containing an entry of ignoredSites
// (both without regard to case).
QStringList GrabbedURLs(const QStringList &links, const QStringList &ignoredSites);

} // namespace brindle
