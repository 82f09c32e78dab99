#include "engine/messages/attachment_download.h"

#include "common/log.h"
#include "settings/store/group_profile.h"

namespace brindle {

TYahooAttachmentDownload::TYahooAttachmentDownload(PageAccess *worker, int to, int from, bool debug,
                                                   TYahooDownloadOptions *options, const QString &password,
                                                   const QString &userName, const QString &groupName)
    : TYahooBase(worker, debug, options, password, userName, groupName)
    , m_debugFlag(debug)
    , m_from(from)
    , m_to(to)
    , m_password(password)
    , m_userName(userName)
{
}

TDownloadStatus TYahooAttachmentDownload::Init()
{
    TDownloadStatus result = InitMessageRange();
    if (result == dsOk && (FirstMessage() == -1 || LastMessage() == -1))
        result = dsNotAvailable;
    const QString rule(36, QLatin1Char('-'));
    Log(rule);
    Log(QStringLiteral("Group -") + GroupName());
    Log(QStringLiteral("First Page - ") + QString::number(FirstMessage()));
    Log(QStringLiteral("Last Page - ") + QString::number(LastMessage()));
    Log(rule);
    return result;
}

int TYahooAttachmentDownload::FirstMessageFrom(int from)
{
    QStringList lines;
    if (FetchPage(MessagesURL() + QString::number(from), lines) != dsOk)
        return from;
    QStringList links;
    PageLinks(lines.join(QLatin1Char('\n')), links);
    int found = -1;
    for (const QString &link : links) {
        const int n = MessageLinkNumber(link.section(QLatin1Char('?'), 0, 0));
        if (n >= from && (found == -1 || n < found))
            found = n;
    }
    return found;
}

void TYahooAttachmentDownload::StoreLastMessage(int n)
{
    brindle::StoreLastMessage(m_userName, GroupName(), n);
}

int TYahooAttachmentDownload::ReadLastMessage() const
{
    return brindle::ReadLastMessage(m_userName, GroupName());
}

void TYahooAttachmentDownload::SetGroupMark(GroupMark kind, bool on)
{
    brindle::SetGroupMark(m_userName, GroupName(), kind, on);
}

} // namespace brindle
