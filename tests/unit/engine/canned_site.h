#pragma once

#include "engine_fakes.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace brindle::test {

// A group of the service as canned pages, in the shape the site model reads:
// message lists, message pages linking to other messages, and source pages whose
// "source user" cell holds the raw message.
struct CannedMessage {
    int number = 0;
    QList<int> links;     // message numbers the page links to
    QString extra;        // more HTML for the page
};

inline QString GroupUrl(const QString &group)
{
    return "http://groups.yahoo.com/group/" + group;
}

inline QString MessageAddress(const QString &group, int n, bool source)
{
    return GroupUrl(group) + "/message/" + QString::number(n) + (source ? "?source=1" : "");
}

// The raw message the source page of message n shows (before HTML escaping).
inline QString RawMessage(const QString &group, int n)
{
    return QStringLiteral("From: Sender %1 <sender%1@example.org>\r\nSubject: Message %1\r\n\tof %2\r\n\r\n"
                          "Body of message %1 & more <text>.\r\n  Indented  twice.\r\n")
        .arg(n).arg(group);
}

inline QString Escaped(const QString &text)
{
    return text.toHtmlEscaped().replace("\r\n", "<br>");
}

// What the HTML engine makes of a source cell: line breaks, no tags, entities resolved.
inline QString SimpleHtmlToText(const QString &html)
{
    QString text = html;
    text.replace("<pre>", "").replace("</pre>", "");
    text.replace("<br>", "\n");
    text.remove(QRegularExpression("<[^>]*>"));
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    return text;
}

inline void AddGroup(FakePageAccess &pages, const QString &group, const QList<CannedMessage> &messages)
{
    const auto links = [&](const QList<int> &numbers) {
        QString html;
        for (int n : numbers)
            html += QStringLiteral("<a href=\"/group/%1/message/%2\">%2</a>\n").arg(group).arg(n);
        return html;
    };
    QList<int> all;
    for (const CannedMessage &m : messages)
        all.append(m.number);
    const QString list = "<html><body><a href=\"/\">Home</a>\n" + links(all) + "</body></html>";
    pages.pages[GroupUrl(group)] = "<html><body>Home of " + group + "</body></html>";
    pages.pages[GroupUrl(group) + "/messages/1"] = list;
    pages.pages[GroupUrl(group) + "/messages/"] = list;
    const int newest = all.isEmpty() ? 0 : *std::max_element(all.begin(), all.end());
    for (int from = 2; from <= newest + 1; ++from) {
        QList<int> shown;
        for (int n : all)
            if (n >= from)
                shown.append(n);
        pages.pages[GroupUrl(group) + "/messages/" + QString::number(from)] =
            "<html><body>\n" + links(shown) + "</body></html>";
    }
    for (const CannedMessage &m : messages) {
        const QString head = QStringLiteral("<html><body><h1>%1</h1>\n<b>Date:</b>&nbsp;Mon Jan 5, 2004 10:23 am<br>\n")
                                 .arg(group)
            + links(m.links) + m.extra;
        pages.pages[MessageAddress(group, m.number, false)] =
            head + "<div class=\"msg\">" + Escaped(RawMessage(group, m.number)) + "</div></body></html>";
        pages.pages[MessageAddress(group, m.number, true)] = head
            + "<table><tr><td class=\"source user\">" + Escaped(RawMessage(group, m.number))
            + "</td></tr></table></body></html>";
    }
}

// Messages first..last, each linking to its neighbours.
inline QList<CannedMessage> Chain(int first, int last)
{
    QList<CannedMessage> messages;
    for (int n = first; n <= last; ++n) {
        CannedMessage m{n, {}, {}};
        if (n > first)
            m.links.append(n - 1);
        if (n < last)
            m.links.append(n + 1);
        messages.append(m);
    }
    return messages;
}

} // namespace brindle::test
