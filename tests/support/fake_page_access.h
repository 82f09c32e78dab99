#pragma once

#include "common/text_utils.h"
#include "site/page_access.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace brindle::test {

// The service's pages in memory, for site models and the code that drives them.
// A fetch follows the redirects, lands on the page stored for the final address
// and moves the browser's current address there; an address without a page fails
// and leaves the browser where it was. Every fetch and click is recorded.
class FakePageAccess : public PageAccess {
public:
    // A form on the page at an address: clicking the element named `element`
    // leads the browser to `leadsTo`.
    struct Form {
        QString element;
        QString leadsTo;
    };

    QMap<QString, QString> pages;     // final address -> page text
    QMap<QString, QString> redirects; // requested address -> where the service sends the browser
    QMap<QString, Form> forms;        // address -> the form on that page
    QString location;                 // the browser's current address
    QStringList requests;             // every fetched address, in order
    QStringList clicks;               // every click as "name|caption", in order
    std::function<void(const QString &address)> onFetch; // runs before each fetch (to change the service)

    bool FetchPageSync(const QString &address, QStringList &lines) override
    {
        requests << address;
        if (onFetch)
            onFetch(address);
        lines.clear();
        QString landed = address;
        for (int hops = 0; hops < 10 && redirects.contains(landed); ++hops)
            landed = redirects.value(landed);
        if (!pages.contains(landed))
            return false;
        location = landed;
        lines = SplitLines(pages.value(landed));
        return true;
    }

    // Like the browser, the document is read whether or not the click found its element.
    bool ClickSync(const QString &elementName, const QString &caption, QStringList &lines) override
    {
        clicks << elementName + "|" + caption;
        const auto form = forms.constFind(location);
        const bool clicked = form != forms.constEnd() && SameText(form->element, Trim(elementName));
        if (clicked)
            location = form->leadsTo;
        lines = SplitLines(pages.value(location));
        return clicked;
    }

    QString LocationURL() override { return location; }
};

} // namespace brindle::test
