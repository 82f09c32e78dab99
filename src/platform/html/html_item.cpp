#include "platform/html/html_item.h"

namespace brindle {

static const HtmlAttribute *FindAttribute(const QList<HtmlAttribute> &attributes, const QString &name)
{
    for (const HtmlAttribute &attribute : attributes) {
        if (attribute.name.compare(name, Qt::CaseInsensitive) == 0)
            return &attribute;
    }
    return nullptr;
}

bool HtmlItem::IsTag(const QString &tagName) const
{
    return kind == Kind::Tag && name.compare(tagName, Qt::CaseInsensitive) == 0;
}

QString HtmlItem::Attribute(const QString &attributeName) const
{
    const HtmlAttribute *found = FindAttribute(attributes, attributeName);
    return found ? found->value : QString();
}

bool HtmlItem::HasAttribute(const QString &attributeName) const
{
    return FindAttribute(attributes, attributeName) != nullptr;
}

QString TableCell::Attribute(const QString &attributeName) const
{
    const HtmlAttribute *found = FindAttribute(attributes, attributeName);
    return found ? found->value : QString();
}

} // namespace brindle
