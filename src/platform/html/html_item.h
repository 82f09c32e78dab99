#pragma once

#include <QList>
#include <QString>

namespace brindle {

// One attribute of a start tag. The name is upper case; the value is what the
// browser reads: quotes removed and character references resolved.
struct HtmlAttribute {
    QString name;
    QString value;
};

// One element of a page read as a sequence of tags and texts, in document order.
// A start tag is named in upper case ("A", "TD"), an end tag with a leading "/"
// ("/A"). Elements without content ("IMG", "BR") have no end tag. Texts hold
// character references resolved; texts of white space alone are left out.
struct HtmlItem {
    enum class Kind { Tag, Text };

    Kind kind = Kind::Text;
    QString name;
    QList<HtmlAttribute> attributes;
    QString text;

    bool IsTag() const { return kind == Kind::Tag; }
    bool IsText() const { return kind == Kind::Text; }
    bool IsTag(const QString &tagName) const;
    // Value of the attribute with that name (without regard to case); empty when missing.
    QString Attribute(const QString &attributeName) const;
    bool HasAttribute(const QString &attributeName) const;
};

// A table cell (TD) with its attributes and its inner HTML: the page's own markup
// between the cell's start tag and the tag that ends the cell, unchanged.
struct TableCell {
    QList<HtmlAttribute> attributes;
    QString innerHtml;

    QString Attribute(const QString &attributeName) const;
};

} // namespace brindle
