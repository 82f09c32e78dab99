#pragma once

#include "site/page_access.h"

namespace brindle {

class Dispatcher;
class PageRetrieval;

// A worker's way to the browser: every call runs in the main thread through the
// dispatcher while the worker waits. One object per worker; it keeps the result of
// its last call, which a call that fails in the main thread returns again.
class BrowserPageAccess final : public PageAccess {
public:
    BrowserPageAccess(PageRetrieval &retrieval, Dispatcher &dispatcher);

    // OpenURL, then the login check (in LoginMode, back to BrowseMode after it).
    bool FetchPageSync(const QString &address, QStringList &lines) override;
    bool ClickSync(const QString &elementName, const QString &caption, QStringList &lines) override;
    QString LocationURL() override;
    // The login check alone, as the sections run it between their page fetches.
    void LoginCheckSync();

private:
    PageRetrieval &m_retrieval;
    Dispatcher &m_dispatcher;
    bool m_result = false;
};

} // namespace brindle
