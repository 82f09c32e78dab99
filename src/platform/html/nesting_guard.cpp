#include "platform/html/nesting_guard.h"

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>

namespace brindle {

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Elements that never deepen the tree for long: those without content, and those
// that the next of their kind (or the parser's rules for their container) closes,
// so that unclosed ones, common in hand-written pages, are not mistaken for nesting.
bool OpensLevel(const std::string &name)
{
    static const std::unordered_set<std::string_view> flat = {
        "area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image", "img",
        "input", "isindex", "keygen", "link", "menuitem", "meta", "param", "source", "track", "wbr",
        "a", "nobr", "p", "li", "dd", "dt", "option", "optgroup", "select", "form", "button",
        "td", "th", "tr", "tbody", "thead", "tfoot", "caption", "colgroup", "html", "head", "body",
        "h1", "h2", "h3", "h4", "h5", "h6",
    };
    return !flat.contains(name);
}

// Elements whose content is text up to their own end tag.
bool IsRawText(const std::string &name)
{
    static const std::unordered_set<std::string_view> raw = {
        "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes",
    };
    return raw.contains(name);
}

bool IsForeignRoot(const std::string &name)
{
    return name == "svg" || name == "math";
}

class NestingScan {
public:
    NestingScan(const QByteArray &utf8, int maxDepth)
        : m_in(utf8.constData()), m_size(utf8.size()), m_maxDepth(maxDepth), m_out(utf8)
    {
    }

    QByteArray Run()
    {
        qsizetype i = 0;
        while (i < m_size) {
            const void *lt = std::memchr(m_in + i, '<', size_t(m_size - i));
            if (!lt)
                break;
            i = static_cast<const char *>(lt) - m_in;
            i = Markup(i);
        }
        return m_out;
    }

private:
    // Handles the markup that starts with the "<" at i; returns where scanning goes on.
    qsizetype Markup(qsizetype i)
    {
        if (i + 1 >= m_size)
            return m_size;
        const char next = m_in[i + 1];
        if (next == '!')
            return Declaration(i);
        if (next == '?')
            return AfterChar(i + 2, '>');
        const bool endTag = next == '/';
        const qsizetype nameStart = i + (endTag ? 2 : 1);
        if (nameStart >= m_size || !IsAsciiLetter(m_in[nameStart]))
            return i + 1; // a "<" in text
        std::string name;
        qsizetype p = nameStart;
        while (p < m_size && !IsSpace(m_in[p]) && m_in[p] != '/' && m_in[p] != '>')
            name += AsciiLower(m_in[p++]);
        const qsizetype tagEnd = TagEnd(p);
        if (endTag) {
            EndTag(name, i, tagEnd);
            return tagEnd;
        }
        if (IsRawText(name))
            return RawTextEnd(tagEnd, name);
        const bool selfClosing = tagEnd - 2 >= p && m_in[tagEnd - 1] == '>' && m_in[tagEnd - 2] == '/';
        StartTag(name, selfClosing, i, tagEnd);
        return tagEnd;
    }

    void StartTag(const std::string &name, bool selfClosing, qsizetype begin, qsizetype end)
    {
        if (!OpensLevel(name))
            return;
        // "/>" closes an element only inside SVG and MathML.
        if (selfClosing && (m_foreign > 0 || IsForeignRoot(name)))
            return;
        if (m_depth >= m_maxDepth) {
            Blank(begin, end);
            ++m_excess;
            return;
        }
        ++m_depth;
        if (IsForeignRoot(name))
            ++m_foreign;
    }

    void EndTag(const std::string &name, qsizetype begin, qsizetype end)
    {
        if (!OpensLevel(name))
            return;
        if (m_excess > 0) {
            Blank(begin, end);
            --m_excess;
            return;
        }
        if (m_depth > 0)
            --m_depth;
        if (IsForeignRoot(name) && m_foreign > 0)
            --m_foreign;
    }

    // Position after the ">" that ends the tag whose attributes start at p; quoted
    // attribute values may hold ">".
    qsizetype TagEnd(qsizetype p) const
    {
        while (p < m_size) {
            const char c = m_in[p];
            if (c == '>')
                return p + 1;
            ++p;
            if (c != '=')
                continue;
            while (p < m_size && IsSpace(m_in[p]))
                ++p;
            if (p < m_size && (m_in[p] == '"' || m_in[p] == '\''))
                p = AfterChar(p + 1, m_in[p]);
        }
        return m_size;
    }

    // "<!-- ... -->", "<!DOCTYPE ...>" and other declarations.
    qsizetype Declaration(qsizetype i) const
    {
        if (i + 3 < m_size && m_in[i + 2] == '-' && m_in[i + 3] == '-') {
            const std::string_view rest(m_in + i + 2, size_t(m_size - i - 2));
            const size_t close = rest.find("-->");
            return close == std::string_view::npos ? m_size : i + 2 + qsizetype(close) + 3;
        }
        return AfterChar(i + 2, '>');
    }

    // Position after the end tag of a raw text element that starts at p.
    qsizetype RawTextEnd(qsizetype p, const std::string &name) const
    {
        while (p < m_size) {
            const void *lt = std::memchr(m_in + p, '<', size_t(m_size - p));
            if (!lt)
                return m_size;
            p = static_cast<const char *>(lt) - m_in;
            if (ClosesRawText(p, name))
                return TagEnd(p + 2 + qsizetype(name.size()));
            ++p;
        }
        return m_size;
    }

    bool ClosesRawText(qsizetype p, const std::string &name) const
    {
        const qsizetype after = p + 2 + qsizetype(name.size());
        if (after > m_size || m_in[p + 1] != '/')
            return false;
        for (size_t k = 0; k < name.size(); ++k) {
            if (AsciiLower(m_in[p + 2 + qsizetype(k)]) != name[k])
                return false;
        }
        return after == m_size || IsSpace(m_in[after]) || m_in[after] == '/' || m_in[after] == '>';
    }

    qsizetype AfterChar(qsizetype p, char c) const
    {
        if (p >= m_size)
            return m_size;
        const void *found = std::memchr(m_in + p, c, size_t(m_size - p));
        return found ? static_cast<const char *>(found) - m_in + 1 : m_size;
    }

    void Blank(qsizetype begin, qsizetype end)
    {
        std::memset(m_out.data() + begin, ' ', size_t(end - begin));
    }

    const char *m_in;
    qsizetype m_size;
    int m_maxDepth;
    QByteArray m_out;
    int m_depth = 0;
    int m_excess = 0;
    int m_foreign = 0;
};

} // namespace

QByteArray LimitNesting(const QByteArray &utf8, int maxDepth)
{
    return NestingScan(utf8, maxDepth).Run();
}

} // namespace brindle
