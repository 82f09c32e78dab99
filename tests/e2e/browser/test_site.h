#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brindle::test {

// A small web site on 127.0.0.1 for the browser tests. It also answers requests
// made through it as an HTTP proxy (absolute-form request lines), so pages of any
// host name can be served without leaving the machine.
//
// Pages (any host):
//   /page            a few lines naming the path and query
//   /signin?order=   a form: "caption-first" or "name-first" decides whether the
//                    "Sign In" button or the ".save" button comes first; it submits
//                    (GET) to /welcome
//   /noform          a page without any form
//   /nocontent       204 No Content (the browser stays where it is)
//   /redirect        302 to /page?from=redirect
//   /refresh?delay=  a refresh meta tag to /page?from=refresh after delay seconds
//   /pictures        a page with an image /pic.png
//   /script          a page whose script would alert and write "scripted"
//   /cookies         sets a session cookie "session" and a persistent cookie "keep"
//   /popup           a form that submits into a new window
//   /slow?ms=        answers after ms milliseconds
//   /big?kb=         a page of about kb kilobytes
class TestSite {
public:
    struct Request {
        std::string host;
        std::string path;
        std::map<std::string, std::string> params;
        std::string cookie;
    };

    TestSite();
    ~TestSite();

    int port() const;
    // "http://127.0.0.1:<port>" + path
    QString url(const QString &path) const;
    // Requests seen for a path (without query), oldest first; any host.
    std::vector<Request> requests(const std::string &path) const;
    void clearRequests();

    // The site shared by a test program; the first call also points http_proxy at
    // it, before any browser exists, so the browser sends other hosts through it.
    static TestSite &shared();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace brindle::test
