#pragma once

#include "platform/browser/browser.h"

#include <QHash>
#include <QTimer>

#include <stdexcept>

namespace brindle::test {

// A browser that "loads" pages from a table at once. An address missing from the
// table is refused: the browser stays where it is. An address starting with "boom"
// makes Navigate throw.
class FakeBrowser final : public Browser {
public:
    QHash<QString, QString> pages;
    QList<FormElement> elements;
    int formCount = 0;
    bool throwOnForms = false;
    QStringList navigations;
    QList<QPair<int, int>> clicks;

    void Navigate(const QString &address) override
    {
        navigations.append(address);
        if (address.startsWith(QLatin1String("boom")))
            throw std::runtime_error("navigation failed");
        if (!pages.contains(address))
            return;
        m_location = address;
        QTimer::singleShot(0, this, [this] { emit documentComplete(m_location); });
    }
    void Stop() override {}
    void GoBack() override {}
    void GoForward() override {}
    void Refresh() override {}
    void RefreshDefault() override {}

    QString LocationURL() const override { return m_location; }
    bool Busy() const override { return false; }
    int ReadyState() const override { return HasDocument() ? ReadyStateComplete : ReadyStateUninitialized; }
    bool HasDocument() const override { return !m_location.isEmpty(); }
    std::optional<QString> DocumentHtml() override
    {
        if (!HasDocument())
            return std::nullopt;
        return pages.value(m_location);
    }

    int FormCount() override
    {
        if (throwOnForms)
            throw std::runtime_error("forms failed");
        return formCount;
    }
    QList<FormElement> FormElements() override
    {
        if (throwOnForms)
            throw std::runtime_error("forms failed");
        return elements;
    }
    bool ClickElement(int form, int index) override
    {
        clicks.append({form, index});
        return true;
    }
    bool SetElementValue(int, int, const QString &) override { return true; }
    bool SetElementChecked(int, int, bool) override { return true; }

    void SetDownloadControl(DownloadControl mode) override { m_mode = mode; }
    DownloadControl CurrentDownloadControl() const override { return m_mode; }
    void SetLoadImages(bool) override {}
    void ClearCache() override {}
    void EndSession() override {}

private:
    QString m_location;
    DownloadControl m_mode = DownloadControl::LoginMode;
};

} // namespace brindle::test
