#pragma once
// Temporary stand-in for the group site model until site/model lands.

#include "common/download_status.h"
#include "settings/options/download_options.h"
#include "site/page_access.h"

#include <QString>
#include <QStringList>

namespace brindle {

class TYahooBase {
public:
    TYahooBase(PageAccess *worker, bool debug, TYahooDownloadOptions *options, const QString &password,
               const QString &userName, const QString &groupName);
    virtual ~TYahooBase() = default;

    QString Host() const { return m_host; }
    QString GroupName() const { return m_groupName; }
    QString Prefix() const { return m_prefix; }
    int FirstMessage() const { return m_firstMessage; }
    int LastMessage() const { return m_lastMessage; }
    void SetLastMessage(int n) { m_lastMessage = n; }

    QString GroupHomeURL() const;
    QString MessagesFirstPageURL() const;
    QString MessagesURL() const;
    QString MessageURL(int n) const;

    TDownloadStatus FetchPage(const QString &address, QStringList &lines);
    bool CheckAdultPage(QStringList &lines);
    TDownloadStatus InitMessageRange();
    bool GetMessagePage(bool source, int n, QString &html);
    int NextMessageNumber(bool firstPass, int n, const QString &html);

    static void PageLinks(const QString &html, QStringList &links);
    static QString GetSourceUser(const QString &html);
    void DumpPage(const QString &text, const QString &fileName) const;

    // Number of a message link of this group, or -1.
    int MessageLinkNumber(const QString &link) const;

    QStringList PageLines;

protected:
    PageAccess *Worker() const { return m_worker; }

private:
    QString Normalise(const QString &link) const;
    void DetectPrefix();
    void FixGroupNameCase(const QString &html);
    int FindMessage(const QString &html, bool smallest) const;
    bool ResolveAuthPage(int n);
    bool PageLinksToMessage(int n, const QString &html) const;

    PageAccess *m_worker;
    bool m_debug;
    TYahooDownloadOptions *m_options;
    QString m_prefix;
    QString m_groupName;
    QString m_host;
    int m_firstMessage = -1;
    int m_lastMessage = -1;
};

} // namespace brindle
