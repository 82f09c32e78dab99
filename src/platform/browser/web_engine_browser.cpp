#include "platform/browser/web_engine_browser.h"

#include "common/pacing.h"
#include "common/service_hosts.h"
#include "platform/browser/browser_page.h"
#include "platform/browser/browser_profile.h"
#include "platform/browser/form_scripts.h"
#include "platform/http/cookie_share.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

namespace brindle {

QString WebEngineBrowser::DefaultFirstPage()
{
    return QStringLiteral("http://") + QLatin1String(hosts::GROUP_HOST);
}

WebEngineBrowser::WebEngineBrowser(const QString &firstPage, QObject *parent)
    : Browser(parent)
    , m_view(new QWebEngineView)
    , m_page(new BrowserPage(BrowserProfile(), this))
{
    m_page->setNavigationFilter([this](const QUrl &, QWebEnginePage::NavigationType type, bool) {
        return acceptNavigation(type);
    });
    m_view->setPage(m_page);

    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::urlChanged, this, &WebEngineBrowser::onUrlChanged);
    connect(m_page, &BrowserPage::scriptErrorReported, this, &Browser::scriptError);
    connect(m_page, &BrowserPage::newWindowOpened, this, [this](QWebEngineView *window) {
        m_newWindows.append(window);
        emit newWindow();
    });

    if (!firstPage.isEmpty())
        Navigate(firstPage);
}

WebEngineBrowser::~WebEngineBrowser()
{
    closeNewWindows();
    delete m_view.data();
    delete m_page;
}

QWebEngineView *WebEngineBrowser::view() const
{
    return m_view;
}

QWebEnginePage *WebEngineBrowser::page() const
{
    return m_page;
}

QList<QWebEngineView *> WebEngineBrowser::newWindows() const
{
    QList<QWebEngineView *> open;
    for (const auto &window : m_newWindows)
        if (window)
            open.append(window);
    return open;
}

void WebEngineBrowser::closeNewWindows()
{
    for (const auto &window : std::as_const(m_newWindows))
        if (window)
            delete window.data();
    m_newWindows.clear();
}

void WebEngineBrowser::startNavigation()
{
    m_navigationPending = true;
    m_pendingUntil.setRemainingTime(CurrentPacing().navigationStartLimit);
}

void WebEngineBrowser::Navigate(const QString &address)
{
    startNavigation();
    m_page->load(QUrl::fromUserInput(address));
}

void WebEngineBrowser::Stop()
{
    m_navigationPending = false;
    m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::GoBack()
{
    if (!m_page->history()->canGoBack())
        return;
    startNavigation();
    m_page->triggerAction(QWebEnginePage::Back);
}

void WebEngineBrowser::GoForward()
{
    if (!m_page->history()->canGoForward())
        return;
    startNavigation();
    m_page->triggerAction(QWebEnginePage::Forward);
}

void WebEngineBrowser::Refresh()
{
    if (!HasDocument())
        return;
    startNavigation();
    m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
}

void WebEngineBrowser::RefreshDefault()
{
    if (!HasDocument())
        return;
    startNavigation();
    m_page->triggerAction(QWebEnginePage::Reload);
}

QString WebEngineBrowser::LocationURL() const
{
    return m_page->url().toString();
}

bool WebEngineBrowser::Busy() const
{
    const bool pending = m_navigationPending && !m_pendingUntil.hasExpired();
    return m_loading || pending;
}

int WebEngineBrowser::ReadyState() const
{
    if (Busy())
        return ReadyStateLoading;
    return HasDocument() ? ReadyStateComplete : ReadyStateUninitialized;
}

bool WebEngineBrowser::HasDocument() const
{
    return !m_page->url().isEmpty();
}

// Waits in a local event loop for an answer of the engine, at most browserCallTimeout.
// The answer may come after the wait gave up, so it lands in shared state.
template <typename Start>
static std::optional<QVariant> AwaitAnswer(Start start)
{
    struct State {
        QEventLoop loop;
        std::optional<QVariant> answer;
    };
    auto state = std::make_shared<State>();
    std::weak_ptr<State> weak = state;
    start([weak](const QVariant &value) {
        if (auto s = weak.lock()) {
            s->answer = value;
            s->loop.quit();
        }
    });
    if (!state->answer) {
        QTimer::singleShot(CurrentPacing().browserCallTimeout, &state->loop, &QEventLoop::quit);
        state->loop.exec();
    }
    return state->answer;
}

std::optional<QString> WebEngineBrowser::DocumentHtml()
{
    if (!HasDocument())
        return std::nullopt;
    QPointer<QWebEnginePage> page = m_page;
    const auto answer = AwaitAnswer([page](auto done) {
        page->toHtml([done](const QString &html) { done(QVariant(html)); });
    });
    if (!answer)
        return std::nullopt;
    return answer->toString();
}

std::optional<QVariant> WebEngineBrowser::runScript(const QString &source)
{
    if (!HasDocument())
        return std::nullopt;
    QPointer<QWebEnginePage> page = m_page;
    return AwaitAnswer([page, &source](auto done) {
        page->runJavaScript(source, QWebEngineScript::ApplicationWorld, [done](const QVariant &v) { done(v); });
    });
}

int WebEngineBrowser::FormCount()
{
    const auto answer = runScript(form_scripts::CountForms());
    return answer ? answer->toInt() : 0;
}

QList<FormElement> WebEngineBrowser::FormElements()
{
    const auto answer = runScript(form_scripts::ListElements());
    return answer ? form_scripts::ParseElements(*answer) : QList<FormElement>{};
}

bool WebEngineBrowser::ClickElement(int form, int index)
{
    const auto answer = runScript(form_scripts::Click(form, index));
    return answer && answer->toBool();
}

bool WebEngineBrowser::SetElementValue(int form, int index, const QString &value)
{
    const auto answer = runScript(form_scripts::SetValue(form, index, value));
    return answer && answer->toBool();
}

bool WebEngineBrowser::SetElementChecked(int form, int index, bool checked)
{
    const auto answer = runScript(form_scripts::SetChecked(form, index, checked));
    return answer && answer->toBool();
}

void WebEngineBrowser::SetDownloadControl(DownloadControl mode)
{
    m_mode = mode;
}

DownloadControl WebEngineBrowser::CurrentDownloadControl() const
{
    return m_mode;
}

void WebEngineBrowser::SetLoadImages(bool on)
{
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, on);
}

// The profile's HTTP cache lives in memory only (see BrowserProfile). It is not
// cleared here: in this engine version clearing it rebuilds the network context,
// and a page load in flight at that moment never finishes.
void WebEngineBrowser::ClearCache()
{
    QWebEngineProfile *profile = m_page->profile();
    profile->cookieStore()->deleteAllCookies();
    profile->clearAllVisitedLinks();
    CookieShare::instance().clearAll();
}

void WebEngineBrowser::EndSession()
{
    m_page->profile()->cookieStore()->deleteSessionCookies();
    CookieShare::instance().clearSessionCookies();
}

// A page that redirects itself (a refresh meta tag) asks for a redirect once it
// has finished loading; a server's redirect arrives while the load is still going.
// Only a page loaded in LoginMode may redirect itself.
bool WebEngineBrowser::acceptNavigation(QWebEnginePage::NavigationType type)
{
    const bool selfRedirect = (type == QWebEnginePage::NavigationTypeRedirect ||
                               type == QWebEnginePage::NavigationTypeOther) &&
                              !Busy();
    return !(selfRedirect && m_pageMode == DownloadControl::BrowseMode);
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_loading = true;
        m_navigationPending = false;
        m_pageMode = m_mode;
        emit downloadBegin();
        return;
    }
    m_loading = false;
    updateCommandState();
    emit downloadComplete();
    // A stopped load (Stop, a refused or empty answer, a download) leaves no new document.
    if (info.status() != QWebEngineLoadingInfo::LoadStoppedStatus)
        emit documentComplete(info.url().toString());
}

void WebEngineBrowser::onUrlChanged(const QUrl &url)
{
    updateCommandState();
    emit navigateComplete(url.toString());
}

void WebEngineBrowser::updateCommandState()
{
    const bool back = m_page->history()->canGoBack();
    const bool forward = m_page->history()->canGoForward();
    if (back != m_canGoBack) {
        m_canGoBack = back;
        emit commandStateChange(Command::NavigateBack, back);
    }
    if (forward != m_canGoForward) {
        m_canGoForward = forward;
        emit commandStateChange(Command::NavigateForward, forward);
    }
}

} // namespace brindle
