#include "engine/messages/text_thread.h"

#include "common/log.h"
#include "common/text_utils.h"
#include "engine/messages/attachment_download.h"
#include "engine/messages/message_date_prefix.h"
#include "engine/messages/message_files.h"
#include "engine/messages/message_format.h"
#include "engine/messages/message_page_scan.h"
#include "engine/messages/message_source.h"
#include "settings/store/program_settings.h"

namespace brindle {

namespace {

// Rounds without progress after which a walk gives up: on the first page, and later.
constexpr int kFirstPageRounds = 20;
constexpr int kSamePageRounds = 10;

bool EndsGroup(TDownloadStatus status)
{
    return status == dsBlocked || status == dsError || status == dsNetworkError;
}

int EntryOrZero(const QList<int> &list, int index)
{
    return index >= 0 && index < list.size() ? list.at(index) : 0;
}

} // namespace

TTextThread::TTextThread(Setup setup, Services services, QList<int> toList, QList<int> fromList,
                         HtmlToText htmlToText)
    : SectionWorker(std::move(setup), std::move(services))
    , m_toList(std::move(toList))
    , m_fromList(std::move(fromList))
    , m_htmlToText(std::move(htmlToText))
{
}

void TTextThread::ResetGroupCounters()
{
    m_TotalMsgDownloadedUntilCurrent += m_group.saved;
    m_group = GroupCounts{};
}

RowCounters TTextThread::GroupCounters() const
{
    return {
        {QStringLiteral("First"), m_group.first},
        {QStringLiteral("Last"), m_group.last},
        {QStringLiteral("Current"), m_group.current},
        {QStringLiteral("Saved"), m_group.saved},
    };
}

void TTextThread::FinalTexts()
{
    ItemText(QStringLiteral("Completed Downloading %1 Groups").arg(GroupCount()), ItemMaximum());
    GroupText(QStringLiteral("Completed all Message Downloads"), GroupCount());
}

int TTextThread::StartNumber() const
{
    const int first = m_walker->GetFirstMessage();
    const int last = m_walker->GetLastMessage();
    const int from = m_walker->From();
    if (from <= first)
        return first;
    if (from > last)
        return from;
    const int found = m_walker->FirstMessageFrom(from);
    return found == -1 ? last + 1 : found;
}

int TTextThread::EndNumber() const
{
    const int last = m_walker->GetLastMessage();
    const int to = m_walker->To();
    return to > 0 && to < last ? to : last;
}

void TTextThread::DownloadGroup(int index, const QString &group)
{
    TYahooAttachmentDownload walker(this, EntryOrZero(m_toList, index), EntryOrZero(m_fromList, index), Debug(),
                                    Options(), Password(), UserName(), group);
    m_walker = &walker;
    struct Release {
        TYahooAttachmentDownload *&walker;
        ~Release() { walker = nullptr; }
    } release{m_walker};

    ItemText(QStringLiteral("Getting Group Information."), 0);
    if (!PassGroupHome(walker.GroupHomeURL())) {
        GroupRow(index, dsError);
        return;
    }
    TDownloadStatus r = walker.Init();
    if (r != dsOk) {
        GroupRow(index, r);
        return;
    }

    m_group.first = StartNumber();
    m_group.last = EndNumber();
    m_group.current = m_group.first;
    ItemRange(m_group.first, m_group.last);
    GroupRow(index, dsDownloading);
    if (m_group.first > m_group.last) {
        // Nothing at or after From, or From beyond To: nothing to fetch.
        EndGroup(index, group, dsCompleted, m_group.last);
        return;
    }
    ItemTextDownloading(m_group.first);

    int n = m_group.first;
    QString html;
    QString source;
    r = DownloadMessage(n, html, source);
    if (TakeStopCurrent() || StopAllRequested()) {
        GroupRow(index, dsSkipped);
        return;
    }
    if (EndsGroup(r)) {
        PlayErrorSound();
        m_group.current = n;
        GroupRow(index, r);
        return;
    }
    const TDownloadStatus status = Walk(index, n, html);
    EndGroup(index, group, status, n);
}

TDownloadStatus TTextThread::Walk(int index, int &n, QString &html)
{
    const int last = m_group.last;
    bool firstPass = true;
    int repeats = 0;
    QString source;
    TDownloadStatus stopped = dsSkipped;
    for (;;) {
        m_group.current = n;
        GroupRow(index, dsDownloading);
        Sleep(pacing().messageScanWait);

        int next = m_walker->NextMessageNumber(firstPass, n, html);
        if (next != -1)
            m_walker->DumpPage(html, QString::number(next) + QStringLiteral(".html"));

        if (firstPass && next == -1) {
            // The page links to no other message: try the following number.
            if (n + 1 > last)
                return dsCompleted;
            ItemTextDownloading(n);
            n = n + 1;
            DownloadMessage(n, html, source);
            if (StopRequestedInWalk(index, stopped))
                return stopped;
            next = m_walker->NextMessageNumber(true, n, html);
            if (next == -1) {
                if (++repeats >= kFirstPageRounds)
                    return dsStopped;
                continue;
            }
            m_walker->DumpPage(html, QString::number(n) + QStringLiteral(".html"));
        }

        firstPass = false;
        if (next == n) {
            if (++repeats >= kSamePageRounds)
                return dsStopped;
        } else {
            repeats = 0;
        }
        if (next == -1) {
            m_walker->DumpPage(html, QStringLiteral("ErrorWithInvalidNextPage.html"));
            return dsError;
        }

        const int previous = n;
        n = next;
        ItemTextDownloading(n);
        if (StopRequestedInWalk(index, stopped))
            return stopped;
        if (n > last) {
            // The walk has passed the end of its range.
            n = previous;
            return dsCompleted;
        }

        const TDownloadStatus r = DownloadMessage(n, html, source);
        Sleep(pacing().messageAfterFetch);
        if (StopRequestedInWalk(index, stopped))
            return stopped;
        if (EndsGroup(r)) {
            PlayErrorSound();
            if (r != dsBlocked)
                m_walker->DumpPage(html, QStringLiteral("UnExpectedErrorPage.html"));
            return r;
        }
        if (n == last)
            return r;
        AdvancedDelay(SavedMessages(), Options()->m_intAdvMessageCount,
                      QStringLiteral(" , (m_TotalMsgDownloadedUntilCurrent + DownloadedHtmlFileCount) = "), n);
    }
}

bool TTextThread::StopRequestedInWalk(int index, TDownloadStatus &status)
{
    if (TakeStopCurrent()) {
        status = dsSkipped;
        return true;
    }
    if (StopAllRequested()) {
        GroupRow(index, dsSkipped);
        status = dsSkipped;
        return true;
    }
    return false;
}

void TTextThread::EndGroup(int index, const QString &group, TDownloadStatus status, int n)
{
    m_group.current = n;
    GroupRow(index, status);
    GroupText(QStringLiteral("Completed Group - %1 (%2 of %3)").arg(group).arg(index + 1).arg(GroupCount()),
              index + 1);
    ItemText(QStringLiteral("Completed Message %1  of %2").arg(m_group.first).arg(m_group.last), m_group.last);
}

void TTextThread::ItemTextDownloading(int n)
{
    ItemText(QStringLiteral("Downloading Message %1  of %2").arg(n).arg(m_group.last), n);
}

TDownloadStatus TTextThread::DownloadMessage(int n, QString &html, QString &sourceText)
{
    const TYahooDownloadOptions &options = *Options();
    const int format = options.m_intMessageFormat;
    const bool mail = IsMailFormat(format);
    if (!m_walker->GetMessagePage(mail || options.m_boolDownloadDetailMessage, n, html))
        return dsError;

    sourceText = mail ? SourceText(html) : QString();
    CollectNamesAndAddresses(html);

    bool saved = false;
    if (!mail) {
        saved = SaveMessage(false, n, false, html);
    } else if (sourceText.isEmpty()) {
        // Never replace a stored message with an empty one.
        Log(QStringLiteral("No message source on the page of message %1 of %2").arg(n).arg(m_walker->GetGroupName()));
    } else {
        saved = SaveMessage(true, n, format == int(MessageFormat::OutlookMsg), sourceText);
    }
    NoteSaved(n, saved);
    return dsCompleted;
}

void TTextThread::NoteSaved(int n, bool saved)
{
    if (!saved) {
        m_group.saveFailed = true;
        return;
    }
    ++m_group.saved;
    // The group's record says how far a later run may skip: never past a message
    // that could not be saved.
    if (!m_group.saveFailed && n > m_group.stored) {
        m_group.stored = n;
        m_walker->StoreLastMessage(n);
    }
}

bool TTextThread::SaveMessage(bool mail, int n, bool convert, const QString &text)
{
    const TYahooDownloadOptions &options = *Options();
    const QString folder = MessageFolder(options.strSaveDir, m_walker->GetGroupName(), IsOldFormat());
    if (folder.isEmpty())
        return false;
    const QString prefix = options.boolUseMessageDateFormat ? MessageDatePrefix(text) : QString();
    const QString path = folder + MessageFileName(prefix, n, mail);
    if (!WriteMessageFile(path, text)) {
        Log(QStringLiteral("Could not write the message file ") + path);
        return false;
    }
    if (mail && convert)
        ConvertMailToMessage(path, path.chopped(4) + QStringLiteral(".msg"));
    return true;
}

QString TTextThread::SourceText(const QString &html)
{
    const QString fragment = TYahooBase::GetSourceUser(html);
    if (fragment.isEmpty() || !m_htmlToText)
        return {};
    const QString preformatted = PreformattedSourceCell(fragment);
    QString text;
    InMainThread([&] { text = m_htmlToText(preformatted); });
    return WithMailLineEnds(text);
}

void TTextThread::CollectNamesAndAddresses(const QString &html)
{
    const TYahooDownloadOptions &options = *Options();
    if (options.boolGrabOtherGroups) {
        QStringList names;
        GetValidYahooGroupNamesFrom(html, names);
        for (const QString &name : names) {
            if (!Trim(name).isEmpty())
                AddGrabbedGroup(Trim(name));
        }
    }
    if (options.boolGrabOtherURLs) {
        for (const QString &address : GrabbedURLs(TYahooBase::PageLinks(html), options.IgnoreEmbbededSites)) {
            if (!Trim(address).isEmpty())
                AddGrabbedUrl(Trim(address));
        }
    }
}

} // namespace brindle
