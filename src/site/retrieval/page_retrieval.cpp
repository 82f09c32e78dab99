#include "site/retrieval/page_retrieval.h"

#include "common/log.h"
#include "common/pacing.h"
#include "common/text_utils.h"
#include "site/retrieval/event_wait.h"

#include <QDeadlineTimer>

namespace brindle {

namespace {

const Pacing &P()
{
    return CurrentPacing();
}

// The most often a navigation is repeated when the browser stays on the old address.
constexpr int kMaxRetries = 5;

} // namespace

PageRetrieval::PageRetrieval(Browser &browser)
    : m_browser(browser)
{
    m_completeConnection = QObject::connect(&m_browser, &Browser::documentComplete, &m_browser,
                                            [this] { m_documentComplete = true; });
}

PageRetrieval::~PageRetrieval()
{
    QObject::disconnect(m_completeConnection);
}

// A busy test that fails counts as "not busy", which ends the wait that asked.
bool PageRetrieval::busy()
{
    try {
        return m_browser.Busy();
    } catch (...) {
        return false;
    }
}

// Every "while busy" wait ends after the page wait limit at the latest, so a page
// that never finishes loading is read as far as it came instead of hanging the run.
void PageRetrieval::waitWhileBusy()
{
    const QDeadlineTimer limit(P().pageWaitLimit);
    while (busy() && !limit.hasExpired())
        PollEvents();
}

void PageRetrieval::logReadyState(const QString &text, int times)
{
    if (m_browser.ReadyState() != Browser::ReadyStateComplete)
        for (int i = 0; i < times; ++i)
            Log(text);
}

bool PageRetrieval::OpenURL(const QString &address, QStringList &lines)
{
    const QString target = Trim(address);
    const QString old = m_browser.LocationURL();
    Log(QStringLiteral("Entering frmMain.OpenURL= ") + target);
    const bool same = SameText(target, old);

    lines.clear();
    m_documentComplete = false;
    Log(QStringLiteral("Entering Delay -1"));
    Delay(P().openUrlDelay);
    Log(QStringLiteral("Exiting Delay -1"));

    m_browser.Stop();
    m_browser.Navigate(target);
    if (!waitForFirstDocument(target, old, same)) {
        Log(QStringLiteral("Tries Exceeded..."));
        lines.clear();
        return false;
    }

    Log(QStringLiteral("Before READYSTATE_COMPLETE"));
    logReadyState(QStringLiteral("Ready State is still not in ready state"), 1);
    waitWhileBusy();

    const QString lastRetry = QStringLiteral("In Last Retry Ready State is still not in ready state");
    const bool notReady = m_browser.ReadyState() != Browser::ReadyStateComplete;
    const bool stillBusy = busy();
    if (notReady)
        Log(lastRetry);
    if (stillBusy)
        Log(lastRetry);
    if (notReady || stillBusy)
        m_browser.Stop();

    ReadDocument(lines);
    return true;
}

// Waits until the document is complete, the browser rests on a new address, or the
// browser has refused every try to leave the old one (false).
bool PageRetrieval::waitForFirstDocument(const QString &address, const QString &old, bool same)
{
    const QDeadlineTimer limit(P().pageWaitLimit);
    int tries = 0;
    for (;;) {
        PollEvents();
        if (m_documentComplete)
            return true;
        if (busy()) {
            if (limit.hasExpired())
                return true;
            continue;
        }
        if (same || !SameText(m_browser.LocationURL(), old))
            return true;
        if (tries > kMaxRetries)
            return false;
        Delay(P().openUrlDelay);
        m_browser.Stop();
        m_documentComplete = false;
        m_browser.Navigate(address);
        ++tries;
    }
}

bool PageRetrieval::ClickAndWait(const QString &elementName, const QString &caption, QStringList &lines)
{
    lines.clear();
    m_documentComplete = false;
    m_browser.Stop();

    const bool clicked = ClickFormButton(elementName, caption);
    Log(QStringLiteral("After Button Click"));

    const QDeadlineTimer limit(P().pageWaitLimit);
    while (!limit.hasExpired()) {
        PollEvents();
        if (m_documentComplete)
            break;
        try {
            if (!m_browser.Busy()) {
                Log(QStringLiteral("Breaking on Busy"));
                break;
            }
        } catch (...) {
            Log(QStringLiteral("Inside Loop - After Button Click"));
        }
    }

    Log(QStringLiteral("After step -1 "));
    Delay(P().clickSettle);
    Log(QStringLiteral("After step -2 "));
    waitWhileBusy();
    Delay(P().clickSettle);

    Log(QStringLiteral("Before READYSTATE_COMPLETE"));
    logReadyState(QStringLiteral("Ready State is still not in ready state"), 2);

    ReadDocument(lines);
    Log(QStringLiteral("After step -3 "));
    const QString text = lines.join(QLatin1Char('\n'));
    if (ContainsText(text, QStringLiteral("HTTP-EQUIV")) && ContainsText(text, QStringLiteral("\"REFRESH\"")))
        Delay(P().clickSettle);

    Log(QStringLiteral("After step -4 "));
    if (busy()) {
        Log(QStringLiteral("After step -5 "));
        const QDeadlineTimer settle(P().pageWaitLimit);
        while (!m_documentComplete && busy() && !settle.hasExpired())
            PollEvents();
    }

    Log(QStringLiteral("After step -6 "));
    Delay(P().clickSettle);
    Log(QStringLiteral("After step -7 "));
    waitWhileBusy();

    ReadDocument(lines);
    Log(QStringLiteral("After step -9 "));
    return clicked;
}

bool PageRetrieval::ClickFormButton(const QString &elementName, const QString &caption)
{
    const QString name = Trim(elementName).toUpper();
    const QString text = Trim(caption).toUpper();
    try {
        if (m_browser.FormCount() == 0)
            return false;
        const QList<FormElement> elements = m_browser.FormElements();
        for (const FormElement &e : elements) {
            const bool byCaption = !text.isEmpty() && Trim(e.value).toUpper() == text;
            const bool byName = !name.isEmpty() && Trim(e.name).toUpper() == name;
            if (byCaption || byName)
                return m_browser.ClickElement(e.form, e.index);
        }
    } catch (...) {
    }
    return false;
}

bool PageRetrieval::NavigateAndRead(const QString &address, QStringList &lines)
{
    lines.clear();
    m_documentComplete = false;
    m_browser.Stop();
    m_browser.Navigate(address);

    const QDeadlineTimer limit(P().pageWaitLimit);
    int tries = 0;
    for (;;) {
        PollEvents();
        if (m_documentComplete)
            break;
        if (busy()) {
            if (limit.hasExpired())
                break;
            continue;
        }
        if (!SameText(m_browser.LocationURL(), address))
            break;
        if (tries > kMaxRetries) {
            Log(QStringLiteral("Tries Exceeded..."));
            return false;
        }
        ++tries;
        m_browser.Stop();
        m_documentComplete = false;
        m_browser.Navigate(address);
    }

    Delay(P().clickSettle);
    waitWhileBusy();
    ReadDocument(lines);
    return true;
}

void PageRetrieval::ReadDocument(QStringList &lines)
{
    try {
        m_browser.Stop();
        if (!m_browser.HasDocument())
            return;
        const std::optional<QString> html = m_browser.DocumentHtml();
        if (html)
            lines = SplitLines(*html);
    } catch (...) {
    }
}

void PageRetrieval::LoginMode()
{
    m_browser.SetDownloadControl(DownloadControl::LoginMode);
}

void PageRetrieval::BrowseMode()
{
    m_browser.SetDownloadControl(DownloadControl::BrowseMode);
}

void PageRetrieval::SetLoginCheck(LoginCheck check)
{
    m_loginCheck = std::move(check);
}

void PageRetrieval::RunLoginCheck()
{
    LoginMode();
    try {
        if (m_loginCheck)
            m_loginCheck();
    } catch (...) {
    }
    BrowseMode();
}

} // namespace brindle
