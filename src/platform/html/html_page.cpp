#include "platform/html/html_page.h"

#include "platform/html/nesting_guard.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace brindle {

namespace {

bool IsElement(const GumboNode *node)
{
    return node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
}

const GumboVector *ChildrenOf(const GumboNode *node)
{
    if (node->type == GUMBO_NODE_DOCUMENT)
        return &node->v.document.children;
    if (IsElement(node))
        return &node->v.element.children;
    return nullptr;
}

// Visits the tree in document order without recursion, since pages may nest deeply.
// The visitor has Enter(element), Leave(element) and Leaf(node) for everything else.
template <typename Visitor>
void WalkTree(const GumboNode *root, Visitor &visitor)
{
    struct Frame {
        const GumboNode *node;
        unsigned next;
    };
    std::vector<Frame> stack{{root, 0}};
    while (!stack.empty()) {
        const GumboNode *node = stack.back().node;
        const GumboVector *children = ChildrenOf(node);
        if (children && stack.back().next < children->length) {
            const auto *child = static_cast<const GumboNode *>(children->data[stack.back().next++]);
            if (IsElement(child)) {
                visitor.Enter(child);
                stack.push_back({child, 0});
            } else {
                visitor.Leaf(child);
            }
        } else {
            if (IsElement(node))
                visitor.Leave(node);
            stack.pop_back();
        }
    }
}

// Elements the parser creates on its own when it repairs misnested formatting
// (<b><p></b> and the like) repeat a tag of the page; they are not tags of their own.
bool IsWrittenInPage(const GumboNode *node)
{
    constexpr unsigned copies = GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT | GUMBO_INSERTION_ADOPTION_AGENCY_CLONED;
    return (node->parse_flags & copies) == 0 && node->v.element.original_tag.length > 0;
}

bool HasNoContent(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_AREA: case GUMBO_TAG_BASE: case GUMBO_TAG_BASEFONT: case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_BR: case GUMBO_TAG_COL: case GUMBO_TAG_EMBED: case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HR: case GUMBO_TAG_IMAGE: case GUMBO_TAG_IMG: case GUMBO_TAG_INPUT:
    case GUMBO_TAG_ISINDEX: case GUMBO_TAG_KEYGEN: case GUMBO_TAG_LINK: case GUMBO_TAG_MENUITEM:
    case GUMBO_TAG_META: case GUMBO_TAG_PARAM: case GUMBO_TAG_SOURCE: case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR:
        return true;
    default:
        return false;
    }
}

QString Utf8(const char *data, size_t length)
{
    return QString::fromUtf8(data, qsizetype(length));
}

QList<HtmlAttribute> AttributesOf(const GumboElement &element)
{
    QList<HtmlAttribute> attributes;
    attributes.reserve(element.attributes.length);
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto *attribute = static_cast<const GumboAttribute *>(element.attributes.data[i]);
        attributes.append({QString::fromUtf8(attribute->name).toUpper(), QString::fromUtf8(attribute->value)});
    }
    return attributes;
}

// Upper-case tag names; the known ones are made once per page and shared.
class TagNames {
public:
    QString Of(const GumboElement &element)
    {
        if (element.tag == GUMBO_TAG_UNKNOWN) {
            GumboStringPiece piece = element.original_tag;
            if (piece.length == 0)
                return QString();
            gumbo_tag_from_original_text(&piece);
            return Utf8(piece.data, piece.length).toUpper();
        }
        QString &name = m_known[element.tag];
        if (name.isNull())
            name = QString::fromLatin1(gumbo_normalized_tagname(element.tag)).toUpper();
        return name;
    }

private:
    std::array<QString, GUMBO_TAG_LAST + 1> m_known;
};

// Collects one attribute of every element of one tag that the page itself wrote,
// in the order of the page: the parser may move an element (tables, misnesting).
class AttributeCollector {
public:
    AttributeCollector(GumboTag tag, const char *attribute) : m_tag(tag), m_attribute(attribute) {}

    void Enter(const GumboNode *node)
    {
        const GumboElement &element = node->v.element;
        if (element.tag != m_tag || element.tag_namespace != GUMBO_NAMESPACE_HTML || !IsWrittenInPage(node))
            return;
        if (const GumboAttribute *found = gumbo_get_attribute(&element.attributes, m_attribute))
            m_found.emplace_back(element.start_pos.offset, QString::fromUtf8(found->value));
    }
    void Leave(const GumboNode *) {}
    void Leaf(const GumboNode *) {}

    QStringList InPageOrder()
    {
        std::stable_sort(m_found.begin(), m_found.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QStringList values;
        values.reserve(qsizetype(m_found.size()));
        for (auto &entry : m_found)
            values.append(std::move(entry.second));
        return values;
    }

private:
    GumboTag m_tag;
    const char *m_attribute;
    std::vector<std::pair<unsigned, QString>> m_found;
};

class ItemCollector {
public:
    void Enter(const GumboNode *node)
    {
        HtmlItem item;
        item.kind = HtmlItem::Kind::Tag;
        item.name = m_names.Of(node->v.element);
        item.attributes = AttributesOf(node->v.element);
        items.append(std::move(item));
    }

    void Leave(const GumboNode *node)
    {
        if (HasNoContent(node->v.element.tag))
            return;
        HtmlItem item;
        item.kind = HtmlItem::Kind::Tag;
        item.name = QLatin1Char('/') + m_names.Of(node->v.element);
        items.append(std::move(item));
    }

    void Leaf(const GumboNode *node)
    {
        if (node->type != GUMBO_NODE_TEXT && node->type != GUMBO_NODE_CDATA)
            return; // comments, and texts of white space alone
        HtmlItem item;
        item.kind = HtmlItem::Kind::Text;
        item.text = QString::fromUtf8(node->v.text.text);
        items.append(std::move(item));
    }

    QList<HtmlItem> items;

private:
    TagNames m_names;
};

class CellCollector {
public:
    explicit CellCollector(const QByteArray &source) : m_source(source) {}

    void Enter(const GumboNode *node)
    {
        const GumboElement &element = node->v.element;
        if (element.tag != GUMBO_TAG_TD || element.tag_namespace != GUMBO_NAMESPACE_HTML)
            return;
        cells.append({AttributesOf(element), InnerHtml(element)});
    }
    void Leave(const GumboNode *) {}
    void Leaf(const GumboNode *) {}

    QList<TableCell> cells;

private:
    // The markup between the end of the start tag and the start of whatever ended
    // the element: its own end tag, the next cell's or row's tag, the table's end,
    // or the end of the page.
    QString InnerHtml(const GumboElement &element) const
    {
        const qsizetype size = m_source.size();
        const qsizetype begin = std::min<qsizetype>(element.start_pos.offset + element.original_tag.length, size);
        const qsizetype end = std::clamp<qsizetype>(element.end_pos.offset, begin, size);
        return Utf8(m_source.constData() + begin, size_t(end - begin));
    }

    const QByteArray &m_source;
};

} // namespace

HtmlPage::HtmlPage(const QString &html)
    : m_source(html.toUtf8()), m_parsed(LimitNesting(m_source))
{
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // the parse errors of a broken page are of no use here
    m_output = gumbo_parse_with_options(&options, m_parsed.constData(), size_t(m_parsed.size()));
}

HtmlPage::~HtmlPage()
{
    if (m_output)
        gumbo_destroy_output(&kGumboDefaultOptions, m_output);
}

QStringList HtmlPage::LinkTargets() const
{
    AttributeCollector links(GUMBO_TAG_A, "href");
    WalkTree(m_output->document, links);
    return links.InPageOrder();
}

QStringList HtmlPage::ImageSources() const
{
    AttributeCollector images(GUMBO_TAG_IMG, "src");
    WalkTree(m_output->document, images);
    return images.InPageOrder();
}

QList<HtmlItem> HtmlPage::Items() const
{
    ItemCollector collector;
    WalkTree(m_output->document, collector);
    return std::move(collector.items);
}

QList<TableCell> HtmlPage::TableCells() const
{
    CellCollector collector(m_source);
    WalkTree(m_output->document, collector);
    return std::move(collector.cells);
}

} // namespace brindle
