#pragma once

#include <QString>
#include <QStringList>

namespace brindle {

// How a worker thread reads the service's pages. The browser lives in the main
// thread; every call here runs there (through the dispatcher) and blocks the
// worker until it has run. Unit tests give site models an in-memory fake.
class PageAccess {
public:
    virtual ~PageAccess() = default;

    // Loads the address in the browser and copies its HTML into lines (one entry a line),
    // then runs the login check. Returns the load's result.
    virtual bool FetchPageSync(const QString &address, QStringList &lines) = 0;

    // Clicks the form element found by caption (first) or name, waits, and copies the
    // resulting HTML into lines. Returns whether an element was found and clicked.
    virtual bool ClickSync(const QString &elementName, const QString &caption, QStringList &lines) = 0;

    // The browser's current address (after redirects).
    virtual QString LocationURL() = 0;
};

} // namespace brindle
