#pragma once

#include <QWebEnginePage>

#include <functional>

class QWebEngineView;

namespace brindle {

// A page under the program's security policy. Script errors are written to the log,
// script dialogs are answered here and never shown, and a page that opens a new
// window gets one (a separate browser window).
class BrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    // Decides whether a navigation may go ahead (true: it may).
    using NavigationFilter = std::function<bool(const QUrl &url, NavigationType type, bool isMainFrame)>;

    explicit BrowserPage(QWebEngineProfile *profile, QObject *parent = nullptr);

    void setNavigationFilter(NavigationFilter filter);

signals:
    // A page asked for a new window; the window is shown already.
    void newWindowOpened(QWebEngineView *window);
    void scriptErrorReported(const QString &url, const QString &message);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;

private:
    void answerCertificateError(const QWebEngineCertificateError &error);

    NavigationFilter m_filter;
};

} // namespace brindle
