#pragma once

#include "platform/browser/browser.h"

#include <QMetaObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace brindle {

// Loads pages into the browser and copies their HTML into lines. Main thread only;
// the waits keep processing events, so other main-thread work may run meanwhile.
class PageRetrieval {
public:
    explicit PageRetrieval(Browser &browser);
    ~PageRetrieval();
    PageRetrieval(const PageRetrieval &) = delete;
    PageRetrieval &operator=(const PageRetrieval &) = delete;

    Browser &browser() { return m_browser; }

    // Loads the address and copies the document into lines. False (and no lines)
    // only when the browser never leaves the previous address.
    bool OpenURL(const QString &address, QStringList &lines);
    // Clicks the form element found by caption or name, lets the result load and
    // copies it into lines. Returns whether an element was clicked.
    bool ClickAndWait(const QString &elementName, const QString &caption, QStringList &lines);
    // Clicks the first form element whose value is the caption or whose name is the
    // name (trimmed, without regard to case; the caption test first).
    bool ClickFormButton(const QString &elementName, const QString &caption);
    // The navigation the login uses: load, settle, read.
    bool NavigateAndRead(const QString &address, QStringList &lines);
    // Copies the current document's HTML into lines; leaves them alone when there is
    // no document or it cannot be read.
    void ReadDocument(QStringList &lines);

    void LoginMode();
    void BrowseMode();

    // The check after every worker page fetch that signs in again when the page asks
    // for a login. The session sets it; without one nothing happens.
    using LoginCheck = std::function<void()>;
    void SetLoginCheck(LoginCheck check);
    // Runs the login check in LoginMode and returns to BrowseMode afterwards, also
    // when the check fails. An exception of the check is swallowed.
    void RunLoginCheck();

    // Set by the browser when a document has loaded completely; the page loops clear it.
    bool DocumentComplete() const { return m_documentComplete; }
    void ClearDocumentComplete() { m_documentComplete = false; }

private:
    bool busy();
    bool waitForFirstDocument(const QString &address, const QString &old, bool same);
    void waitWhileBusy();
    void logReadyState(const QString &text, int times);

    Browser &m_browser;
    QMetaObject::Connection m_completeConnection;
    bool m_documentComplete = false;
    LoginCheck m_loginCheck;
};

} // namespace brindle
