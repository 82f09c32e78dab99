#include "site/retrieval/browser_page_access.h"

#include "platform/dispatcher/dispatcher.h"
#include "site/retrieval/page_retrieval.h"

namespace brindle {

BrowserPageAccess::BrowserPageAccess(PageRetrieval &retrieval, Dispatcher &dispatcher)
    : m_retrieval(retrieval)
    , m_dispatcher(dispatcher)
{
}

// Nothing may escape into the main thread's event loop: a failure there ends the
// call quietly and the worker sees the result of its previous call.
bool BrowserPageAccess::FetchPageSync(const QString &address, QStringList &lines)
{
    m_dispatcher.runInMainThread([&] {
        try {
            m_result = m_retrieval.OpenURL(address, lines);
            m_retrieval.RunLoginCheck();
        } catch (...) {
        }
    });
    return m_result;
}

bool BrowserPageAccess::ClickSync(const QString &elementName, const QString &caption, QStringList &lines)
{
    m_dispatcher.runInMainThread([&] {
        try {
            m_result = m_retrieval.ClickAndWait(elementName, caption, lines);
        } catch (...) {
        }
    });
    return m_result;
}

QString BrowserPageAccess::LocationURL()
{
    QString location;
    m_dispatcher.runInMainThread([&] {
        try {
            location = m_retrieval.browser().LocationURL();
        } catch (...) {
        }
    });
    return location;
}

void BrowserPageAccess::LoginCheckSync()
{
    m_dispatcher.runInMainThread([&] {
        try {
            m_retrieval.RunLoginCheck();
        } catch (...) {
        }
    });
}

} // namespace brindle
