#pragma once

#include <QString>
#include <QStringList>

namespace brindle {

class PageAccess;
class TYahooDownloadOptions;

// Small services of the main window and the Photos worker: a plain GET outside the
// browser, the browser's current host, and the debug dumps. Holds the options and
// the page access by pointer; owns neither.
class TGeneralUtils {
public:
    explicit TGeneralUtils(const TYahooDownloadOptions *options = nullptr, PageAccess *pages = nullptr);

    void SetOptions(const TYahooDownloadOptions *options) { m_options = options; }
    void SetPageAccess(PageAccess *pages) { m_pages = pages; }

    // GET through a fresh HTTP client with the options' time-out (intTimeOut seconds)
    // and the referrer. Hands back the body text and the client's error code (0 after
    // success, the status for an answer outside 200 to 299, else a system error number).
    bool HttpGet(const QString &address, const QString &referrer, int &code, QString &body) const;

    // The host of the browser's current address (read in the main thread); empty
    // without a page access.
    QString BrowserHost() const;

    // Page copies to the debug folder while boolDebugDownloads is set.
    void DumpText(const QString &fileName, const QString &text) const;
    void DumpLines(const QString &fileName, const QStringList &lines) const;

private:
    int timeoutSeconds() const;
    bool debugDownloads() const;

    const TYahooDownloadOptions *m_options = nullptr;
    PageAccess *m_pages = nullptr;
};

} // namespace brindle
