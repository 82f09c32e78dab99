#include "platform/browser/browser_page.h"

#include "common/log.h"
#include "platform/browser/browser_profile.h"

#include <QWebEngineCertificateError>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace brindle {

BrowserPage::BrowserPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    ApplySecurityPolicy(settings());
    connect(this, &QWebEnginePage::certificateError, this, &BrowserPage::answerCertificateError);
}

void BrowserPage::setNavigationFilter(NavigationFilter filter)
{
    m_filter = std::move(filter);
}

bool BrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    return !m_filter || m_filter(url, type, isMainFrame);
}

QWebEnginePage *BrowserPage::createWindow(WebWindowType)
{
    Log(QStringLiteral("In new Windows2 procedure"));
    auto *window = new QWebEngineView;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto *page = new BrowserPage(profile(), window);
    window->setPage(page);
    window->show();
    emit newWindowOpened(window);
    return page;
}

// Page scripts are off, so only the program's own scripts could raise a dialog;
// either way nothing is shown and nothing is confirmed.
void BrowserPage::javaScriptAlert(const QUrl &, const QString &)
{
}

bool BrowserPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool BrowserPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int,
                                           const QString &sourceID)
{
    if (level != ErrorMessageLevel)
        return;
    Log(QStringLiteral(" Error In Script : ") + sourceID + QLatin1Char(' ') + message);
    emit scriptErrorReported(sourceID, message);
}

// A certificate the engine does not trust is refused without asking anyone: the
// login must never go to a server that cannot prove who it is.
void BrowserPage::answerCertificateError(const QWebEngineCertificateError &error)
{
    Log(QStringLiteral("Certificate refused for ") + error.url().toString() + QStringLiteral(": ") +
        error.description());
    QWebEngineCertificateError answer = error;
    answer.rejectCertificate();
}

} // namespace brindle
