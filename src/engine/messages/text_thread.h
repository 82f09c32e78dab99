#pragma once

#include "engine/driver/section_worker.h"

#include <QList>

#include <functional>

namespace brindle {

class TYahooAttachmentDownload;

// The Messages run: for each group, walks from message to message by the numbers
// each message page links to, and stores every message in the chosen format.
class TTextThread final : public SectionWorker {
public:
    // Turns an HTML fragment into the plain text of its body; runs in the main thread.
    using HtmlToText = std::function<QString(const QString &html)>;

    // toList and fromList hold each group's To and From numbers, in group order
    // (0: the group's own last or first message; a missing entry counts as 0).
    TTextThread(Setup setup, Services services, QList<int> toList, QList<int> fromList, HtmlToText htmlToText);

    // Fetches message n of the current group, collects names and addresses when the
    // options ask for it, and saves it. 3 (Completed) when the page was fetched,
    // 7 (Error) when not; html gets the page, sourceText the message source (mail formats).
    TDownloadStatus DownloadMessage(int n, QString &html, QString &sourceText);

    // Writes message n of the current group into its message folder; with convert,
    // the mail file is also turned into a message file. False when nothing was written.
    bool SaveMessage(bool mail, int n, bool convert, const QString &text);

    // The message source of a "?source=1" page: the text of its "source user" cell,
    // blanks kept as they are, lines ended by CR LF.
    QString SourceText(const QString &html);

    // Messages saved in this run so far.
    int SavedMessages() const { return m_TotalMsgDownloadedUntilCurrent + m_group.saved; }

protected:
    void DownloadGroup(int index, const QString &group) override;
    void ResetGroupCounters() override;
    RowCounters GroupCounters() const override;
    void FinalTexts() override;

private:
    struct GroupCounts {
        int first = -1;   // first and last message of this run's walk
        int last = -1;
        int current = -1;
        int saved = 0;
        int stored = 0;   // the last message saved with every message before it saved
        bool saveFailed = false;
    };

    TDownloadStatus Walk(int index, int &n, QString &html);
    void EndGroup(int index, const QString &group, TDownloadStatus status, int n);
    bool StopRequestedInWalk(int index, TDownloadStatus &status);
    void ItemTextDownloading(int n);
    void NoteSaved(int n, bool saved);
    void StoreProgress();
    // The walk's first and last message: the group's own, bounded by From and To.
    int StartNumber() const;
    int EndNumber() const;
    void CollectNamesAndAddresses(const QString &html);

    QList<int> m_toList;
    QList<int> m_fromList;
    HtmlToText m_htmlToText;
    TYahooAttachmentDownload *m_walker = nullptr;
    GroupCounts m_group;
    int m_TotalMsgDownloadedUntilCurrent = 0;
};

} // namespace brindle
