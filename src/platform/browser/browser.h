#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace brindle {

// One element of one form of the loaded document, as the form walks see it.
struct FormElement {
    int form = 0;      // position of the form in the document's forms, from 0
    int index = 0;     // position of the element within that form, from 0
    QString name;
    QString value;
    bool checked = false;
    QString tagName;   // upper case, e.g. "INPUT"
};

// The download-control settings. Neither loads images or plug-ins or runs page
// scripts; only LoginMode lets a page redirect itself with a refresh meta tag.
enum class DownloadControl { LoginMode, BrowseMode };

// The embedded web browser the program reads the service's pages with. It lives in
// the main thread and is used only there. Core code sees only this interface, so
// tests can drive it with a fake.
class Browser : public QObject {
    Q_OBJECT
public:
    // The ready state of a loaded document.
    static constexpr int ReadyStateUninitialized = 0;
    static constexpr int ReadyStateLoading = 1;
    static constexpr int ReadyStateComplete = 4;

    using QObject::QObject;
    ~Browser() override = default;

    // Starts loading an address: a plain GET without extra headers.
    virtual void Navigate(const QString &address) = 0;
    virtual void Stop() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;
    // Refresh that may answer from the cache (the "normal" level).
    virtual void RefreshDefault() = 0;

    // Address of the current document, after any redirect.
    virtual QString LocationURL() const = 0;
    // True from a navigation request until its load has ended.
    virtual bool Busy() const = 0;
    virtual int ReadyState() const = 0;
    virtual bool HasDocument() const = 0;

    // The current document's HTML, or nothing when there is no document or it
    // could not be read in time.
    virtual std::optional<QString> DocumentHtml() = 0;

    // The document's forms: how many there are, and every element of every form
    // in document order. An element that cannot be read is left out.
    virtual int FormCount() = 0;
    virtual QList<FormElement> FormElements() = 0;
    // Act on the element at (form, index) of FormElements(); false when it is gone.
    virtual bool ClickElement(int form, int index) = 0;
    virtual bool SetElementValue(int form, int index, const QString &value) = 0;
    virtual bool SetElementChecked(int form, int index, bool checked) = 0;

    // Applies from the next page on.
    virtual void SetDownloadControl(DownloadControl mode) = 0;
    virtual DownloadControl CurrentDownloadControl() const = 0;
    // The manual login shows the pictures of the login pages for a while.
    virtual void SetLoadImages(bool on) = 0;

    // Deletes every cookie and the visited links (ends the login).
    virtual void ClearCache() = 0;
    // Deletes the session cookies (ends the browser session).
    virtual void EndSession() = 0;

    enum class Command { NavigateForward, NavigateBack };
    Q_ENUM(Command)

signals:
    void documentComplete(const QString &url);
    void navigateComplete(const QString &url);
    void downloadBegin();
    void downloadComplete();
    void commandStateChange(brindle::Browser::Command command, bool enabled);
    void newWindow();
    void scriptError(const QString &url, const QString &message);
};

} // namespace brindle
