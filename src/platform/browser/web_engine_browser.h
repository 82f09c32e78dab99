#pragma once

#include "platform/browser/browser.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>

class QWebEngineLoadingInfo;
class QWebEngineView;

namespace brindle {

class BrowserPage;

// The browser on Qt WebEngine. Its view is the widget the console window shows;
// the browser works the same while the view is hidden.
class WebEngineBrowser final : public Browser {
    Q_OBJECT
public:
    // "http://" + GROUP_HOST, the page the browser opens when it is created.
    static QString DefaultFirstPage();

    // Starts in LoginMode and opens firstPage (none when empty).
    explicit WebEngineBrowser(const QString &firstPage = DefaultFirstPage(), QObject *parent = nullptr);
    ~WebEngineBrowser() override;

    QWebEngineView *view() const;
    QWebEnginePage *page() const;
    // Windows that pages opened and that are still open.
    QList<QWebEngineView *> newWindows() const;
    void closeNewWindows();

    void Navigate(const QString &address) override;
    void Stop() override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void RefreshDefault() override;

    QString LocationURL() const override;
    bool Busy() const override;
    int ReadyState() const override;
    bool HasDocument() const override;
    std::optional<QString> DocumentHtml() override;

    int FormCount() override;
    QList<FormElement> FormElements() override;
    bool ClickElement(int form, int index) override;
    bool SetElementValue(int form, int index, const QString &value) override;
    bool SetElementChecked(int form, int index, bool checked) override;

    void SetDownloadControl(DownloadControl mode) override;
    DownloadControl CurrentDownloadControl() const override;
    void SetLoadImages(bool on) override;

    void ClearCache() override;
    void EndSession() override;

private:
    void startNavigation();
    bool acceptNavigation(QWebEnginePage::NavigationType type);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onUrlChanged(const QUrl &url);
    void updateCommandState();
    std::optional<QVariant> runScript(const QString &source);

    QPointer<QWebEngineView> m_view;
    BrowserPage *m_page = nullptr;
    QList<QPointer<QWebEngineView>> m_newWindows;

    DownloadControl m_mode = DownloadControl::LoginMode;
    // The setting in force when the current page started loading.
    DownloadControl m_pageMode = DownloadControl::LoginMode;
    bool m_loading = false;
    // A navigation asked for that has not started loading yet.
    bool m_navigationPending = false;
    QDeadlineTimer m_pendingUntil;
    bool m_canGoBack = false;
    bool m_canGoForward = false;
};

} // namespace brindle
