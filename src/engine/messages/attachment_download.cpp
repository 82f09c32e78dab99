#include "engine/messages/attachment_download.h"

#include "common/log.h"
#include "common/text_utils.h"
#include "settings/store/group_profile.h"

namespace brindle {

TYahooAttachmentDownload::TYahooAttachmentDownload(PageAccess *worker, int to, int from, bool debug,
                                                   TYahooDownloadOptions *options, const QString &password,
                                                   const QString &userName, const QString &groupName)
    : TYahooBase(worker, debug, options, password, userName, groupName)
    , m_from(from)
    , m_to(to)
{
}

TDownloadStatus TYahooAttachmentDownload::Init()
{
    TDownloadStatus result = InitMessageRange();
    if (result == dsOk && (FirstMessage == -1 || LastMessage == -1))
        result = dsNotAvailable;
    const QString rule(36, QLatin1Char('-'));
    Log(rule);
    Log(QStringLiteral("Group -") + GroupName);
    Log(QStringLiteral("First Page - ") + QString::number(FirstMessage));
    Log(QStringLiteral("Last Page - ") + QString::number(LastMessage));
    Log(rule);
    return result;
}

int TYahooAttachmentDownload::FirstMessageFrom(int from)
{
    QStringList lines;
    if (FetchPage(MessagesURL() + QString::number(from), lines) != dsOk)
        return from;
    // The message after from - 1 among the list's links is the first one at or after from.
    const int found = NextMessageNumber(false, from - 1, PageText(lines));
    return found >= from ? found : -1;
}

// Without a user there is no group list: "Profiles" itself holds the login profiles.
void TYahooAttachmentDownload::StoreLastMessage(int n)
{
    if (!Trim(UserName).isEmpty())
        brindle::StoreLastMessage(UserName, GroupName, n);
}

int TYahooAttachmentDownload::ReadLastMessage() const
{
    return Trim(UserName).isEmpty() ? -1 : brindle::ReadLastMessage(UserName, GroupName);
}

void TYahooAttachmentDownload::SetGroupMark(GroupMark kind, bool on)
{
    if (!Trim(UserName).isEmpty())
        brindle::SetGroupMark(UserName, GroupName, kind, on);
}

} // namespace brindle
