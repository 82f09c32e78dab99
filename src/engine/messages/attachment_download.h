#pragma once

#include "common/download_status.h"
#include "settings/store/group_profile.h"
#include "site/model/yahoo_base.h"

namespace brindle {

// The message walker's site model: a group's first and last message, and the
// group's record of the last message downloaded. One per group and run; the main
// window also makes one (with an unstarted TAttachThread as its page access) to
// read and write the last message number outside a run.
class TYahooAttachmentDownload : public TYahooBase {
public:
    TYahooAttachmentDownload(PageAccess *worker, int to, int from, bool debug, TYahooDownloadOptions *options,
                             const QString &password, const QString &userName, const QString &groupName);

    // Reads the group's message range. 8 when both numbers were found; 6 when the
    // pages were read but name no first or last message; 7 when they could not be read.
    TDownloadStatus Init();

    // The group's record of the last message downloaded (the "A" item of its profile).
    void StoreLastMessage(int n);
    // -1 when there is no record.
    int ReadLastMessage() const;
    void SetGroupMark(GroupMark kind, bool on);

    // The first existing message at or after number from, as the group's message list
    // starting there shows it; -1 when the group holds none; from itself when the
    // list cannot be read.
    int FirstMessageFrom(int from);

    // The numbers the user gave the group for this run (0: not given).
    int From() const { return m_from; }
    int To() const { return m_to; }

private:
    int m_from;
    int m_to;
};

} // namespace brindle
