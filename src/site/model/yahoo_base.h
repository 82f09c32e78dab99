#pragma once

#include "common/download_status.h"
#include "platform/html/html_item.h"
#include "settings/options/download_options.h"
#include "site/model/site_addresses.h"
#include "site/model/url_return_value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace brindle {

class PageAccess;

// What identifies one group on the service (name, regional prefix, host) and the
// rules every section shares: the addresses of the group's pages, the regional
// prefix, the adult-content confirmation, the first and last message numbers, the
// fetch of one message page, and reading links out of pages. Base of every
// section's site model; one instance per group and run, used by the run's worker
// thread only. Page operations report failure as values, never by throwing.
class TYahooBase {
public:
    // A bare model without worker and options, for the page readers alone.
    TYahooBase();
    // worker serves every page fetch and click of the model; options are not owned.
    TYahooBase(PageAccess *worker, bool debug, TYahooDownloadOptions *options, const QString &password,
               const QString &userName, const QString &groupName);
    virtual ~TYahooBase();
    TYahooBase(const TYahooBase &) = delete;
    TYahooBase &operator=(const TYahooBase &) = delete;

    QString GetHost() const { return Host; }
    QString GetGroupName() const { return GroupName; }
    QString GetPrefix() const { return Prefix; }
    int GetFirstMessage() const { return FirstMessage; }
    int GetLastMessage() const { return LastMessage; }
    void SetLastMessage(int number) { LastMessage = number; }

    // Addresses of the group's pages; all but GroupHomeURL carry the regional prefix.
    QString GroupHomeURL() const;
    QString MessagesFirstPageURL() const;
    QString MessagesURL() const;
    QString MessageURL(int number) const;
    QString PhotoAlbumURL(const QString &tail) const;
    QString AttachmentsFolderURL(const QString &tail) const;
    QString FilesURL(const QString &tail) const;

    // Upper-case keys that recognise, in upper-cased links, the links of a section.
    QString FilesKey() const;
    QString GroupHostKey() const;
    QString PhotoHostKey() const;
    QString PhHostKey() const;

    // Loads the address through the worker into lines: dsOk, or dsError.
    TDownloadStatus FetchPage(const QString &address, QStringList &lines);
    // The browser's current address, after any redirect; empty without a worker.
    QString LocationURL() const;
    // Takes the regional prefix from the browser's current address.
    void DetectPrefix();
    // Passes the adult-content confirmation when the browser shows it (lines then
    // hold the page after the click). False when it is shown and cannot be passed.
    bool CheckAdultPage(QStringList &lines);
    // Whether the group lives on one of the regional sites.
    bool IsRegional() const;

    // Finds prefix, group name spelling and the first and last message numbers
    // from the group's message list pages: dsOk, or dsError when a page cannot be
    // fetched or the adult confirmation not passed. A number stays -1 when its page
    // holds no message link.
    TDownloadStatus InitMessageRange();
    void FindFirstMessage(const QString &html);
    void FindLastMessage(const QString &html);
    void FixGroupNameCase(const QString &html);
    // The number of the message after `number` among the message links of a page;
    // `number` itself when it is the greatest; -1 for an empty page, or on the first
    // pass when the page links to no other message.
    int NextMessageNumber(bool firstPass, int number, const QString &html) const;
    // Fetches a message page (its source form with sourceFlag), passing the sign-in
    // redirect of the service; html receives the page text even on failure.
    bool GetMessagePage(bool sourceFlag, int number, QString &html);
    bool ResolveAuthPage(int number);
    bool PageLinksToMessage(int number, const QString &html) const;

    // The start every section but Files shares: the message range, then the
    // section's first page into PageLines: on a regional site the address that
    // regionalAddress builds (after the range has set the prefix), else
    // normalAddress. Returns the range's failure unchanged, dsError when the page
    // fails, else dsOk. On the main site the section then reads the prefix from
    // its own host (PrefixBeforeHost of the browser's address).
    TDownloadStatus StartSection(const std::function<QString()> &regionalAddress, const QString &normalAddress);

    // Every link target of the page in document order, as written.
    static QStringList PageLinks(const QString &html);
    // PageLinks made absolute: against "http://" + host of baseAddress + tail, or the
    // group's site + tail when baseAddress is blank.
    QStringList AbsoluteLinks(const QString &html, const QString &tail, const QString &baseAddress) const;
    // Inner HTML of the last table cell of class "source user"; empty when none.
    static QString GetSourceUser(const QString &html);
    // The first text inside the link to address (or to its path, or their URL-decoded
    // forms). False, leaving text unchanged, when the page has no such link.
    static bool LinkTextOf(const QList<HtmlItem> &page, const QString &address, bool stripQuery, QString &text);

    // Writes a copy of a page for the group when the debug flag is set.
    void DumpPage(const QString &text, const QString &fileName) const;
    // Creates every missing folder of the path's folder part.
    static bool ForceFileDir(const QString &path);
    // Lines joined as a text file holds them, each ended by CR LF.
    static QString PageText(const QStringList &lines);

    // Where DumpPage writes (group, file name, text): the debug folder unless
    // replaced (tests); an empty writer switches page copies off.
    using PageDumpWriter = std::function<void(const QString &groupName, const QString &fileName, const QString &text)>;
    static void SetPageDumpWriter(PageDumpWriter writer);

    bool NoViewer = false;      // the download pools skip the picture viewer
    QString UserName;
    QString Password;
    QStringList PageLines;      // the page fetched last by the section's own requests
    bool Debug = false;         // page copies on or off
    TURLReturnValue URLResult;  // result of single file requests

protected:
    QString Prefix;             // regional prefix with its dot ("uk."), empty on the main site
    QString GroupName;
    QString Host;               // the group host, lower case, without prefix
    int FirstMessage = -1;
    int LastMessage = -1;
    TYahooDownloadOptions *Options = nullptr;
    PageAccess *Worker = nullptr;

private:
    QString SiteRoot() const;
    QString MessageKey() const;
    QString NormalisedLink(const QString &link) const;
    qsizetype MessageKeyPosition(const QString &httpLink) const;
    int MessageNumberOf(const QString &absoluteLink) const;
    QString MessagePageAddress(int number, bool sourceFlag) const;
    void FindMessageBound(const QString &html, bool first);
};

} // namespace brindle
