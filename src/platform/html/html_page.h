#pragma once

#include "platform/html/html_item.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct GumboInternalOutput;

namespace brindle {

// A page parsed once by an HTML5 parser, read in the ways the site models need.
// Any text is accepted: broken markup is repaired as a browser would repair it.
// Work and memory grow linearly with the page.
class HtmlPage {
public:
    explicit HtmlPage(const QString &html);
    ~HtmlPage();
    HtmlPage(const HtmlPage &) = delete;
    HtmlPage &operator=(const HtmlPage &) = delete;

    // The target of every "A" element that has one, in the order of the page, as
    // written (relative targets stay relative; character references resolved).
    QStringList LinkTargets() const;

    // The source of every "IMG" element that has one, in the order of the page.
    QStringList ImageSources() const;

    // The page as a sequence of tags and texts (see HtmlItem).
    QList<HtmlItem> Items() const;

    // Every table cell (TD), in the order of the page, nested cells included.
    QList<TableCell> TableCells() const;

private:
    QByteArray m_source; // the page as UTF-8; the parser's positions are byte offsets into it
    QByteArray m_parsed; // what the parser read: m_source with runaway nesting blanked
    GumboInternalOutput *m_output = nullptr;
};

} // namespace brindle
