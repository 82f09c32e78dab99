#include "platform/html/html_entities.h"
#include "platform/html/html_page.h"
#include "platform/html/nesting_guard.h"

#include <gtest/gtest.h>

using namespace brindle;

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Tags and texts of a page in one line: tags as <NAME a=v>, texts in brackets.
QString Render(const QList<HtmlItem> &items)
{
    QStringList parts;
    for (const HtmlItem &item : items) {
        if (item.IsText()) {
            parts << "[" + item.text + "]";
            continue;
        }
        QString tag = "<" + item.name;
        for (const HtmlAttribute &attribute : item.attributes)
            tag += " " + attribute.name + "=" + attribute.value;
        parts << tag + ">";
    }
    return parts.join("");
}

// The items of a page without the frame the parser adds around every document.
QString RenderBody(const QString &html)
{
    QString all = Render(HtmlPage(html).Items());
    all.remove("<HTML><HEAD></HEAD><BODY>");
    all.remove("</BODY></HTML>");
    return all;
}

} // namespace

TEST(HtmlLinks, TargetsInPageOrderWhateverTheMarkup)
{
    const struct {
        const char *html;
        QStringList links;
    } cases[] = {
        {"<a href=\"/group/foo/message/1\">1</a> <A HREF='/group/foo/message/2'>2</A>",
         {"/group/foo/message/1", "/group/foo/message/2"}},
        // unquoted values, unclosed anchors, references resolved, relative kept relative
        {"<a href=/x?a=1&amp;b=2>one<a href=rel.html>two<a href=\"http://h/p?q=%20\">", {"/x?a=1&b=2", "rel.html", "http://h/p?q=%20"}},
        // anchors without a target are skipped, an empty target is listed
        {"<a name=top>t</a><a href=\"\">e</a><a href=\"#x\">h</a>", {"", "#x"}},
        // a stray "<", a broken attribute and an unclosed comment at the end
        {"3 < 4 <a href=a>a</a> <a href=\"b>b</a><!-- <a href=c>", {"a"}},
        {"x <a\nhref=\"a\"\n>y</a> <<a href=b>b</a> <!-- <a href=c> --> <a href=d>", {"a", "b", "d"}},
        // an anchor the parser moves in front of its table stays where the page had it
        {"<a href=1>1</a><table><tr><td><a href=2>2</a></td></tr><a href=3>3</a></table><a href=4>4</a>",
         {"1", "2", "3", "4"}},
        // misnested formatting makes the parser repeat the anchor; it is listed once
        {"<p><a href=\"x\">a<p>b</a>c</p><b><a href=y>y</b>z</a>", {"x", "y"}},
        {"<div><table><tr><td><a href=1>", {"1"}},
        {"", {}},
        {"no markup at all", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HtmlPage(U(c.html)).LinkTargets(), c.links) << c.html;
}

TEST(HtmlLinks, NonAsciiTargetsAndImageSources)
{
    const HtmlPage page(U("<p>\xC3\xA9t\xC3\xA9</p><a href=\"/f/\xE6\x97\xA5\xE6\x9C\xAC.jpg\">\xE2\x82\xAC</a>"
                          "<img src=\"/i/1.gif\"><IMG SRC=2.png alt=x><img alt=nosrc><image src=old.gif>"
                          "<svg><image href=v.svg /></svg><img src='q?a=1&amp;b=2'>"));
    EXPECT_EQ(page.LinkTargets(), QStringList{U("/f/\xE6\x97\xA5\xE6\x9C\xAC.jpg")});
    EXPECT_EQ(page.ImageSources(), (QStringList{"/i/1.gif", "2.png", "old.gif", "q?a=1&b=2"}));
}

TEST(HtmlItems, TagsAndTextsInDocumentOrder)
{
    const struct {
        const char *html;
        const char *items;
    } cases[] = {
        {"<a href=\"/x\" class=k>Name</a>", "<A HREF=/x CLASS=k>[Name]</A>"},
        // unquoted and single-quoted values, upper-case attribute names, references resolved in both
        {"<A Href=/a?b=1&amp;c=2 TITLE='T &amp; J'>Tom &amp; Jerry&nbsp;!</A>",
         "<A HREF=/a?b=1&c=2 TITLE=T & J>[Tom & Jerry\xC2\xA0!]</A>"},
        // an unclosed anchor ends where the parser ends it; void elements have no end tag
        {"<a href=1>one<br>two<img src=i>", "<A HREF=1>[one]<BR>[two]<IMG SRC=i></A>"},
        // white space alone is no text item; comments are not items
        {"<a href=1>\n  <b>Name</b>\n</a><!-- c -->", "<A HREF=1><B>[Name]</B></A>"},
        // a stray "<" is text
        {"<td>3 < 4</td><p>a <= b", "[3 < 4]<P>[a <= b]</P>"},
        // an end tag without a start tag is dropped
        {"x</b>y", "[xy]"},
        // unknown tags keep their name
        {"<wbr><my-tag data=1>t</my-tag>", "<WBR><MY-TAG DATA=1>[t]</MY-TAG>"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RenderBody(U(c.html)), U(c.items)) << c.html;
}

TEST(HtmlItems, AttributeLookupIgnoresCase)
{
    const QList<HtmlItem> items = HtmlPage("<a hReF=\"/p\" Class=\"source user\">t</a>").Items();
    const auto anchor = std::find_if(items.begin(), items.end(), [](const HtmlItem &i) { return i.IsTag("a"); });
    ASSERT_NE(anchor, items.end());
    EXPECT_EQ(anchor->Attribute("HREF"), "/p");
    EXPECT_EQ(anchor->Attribute("class"), "source user");
    EXPECT_TRUE(anchor->HasAttribute("Class"));
    EXPECT_FALSE(anchor->HasAttribute("id"));
    EXPECT_EQ(anchor->Attribute("id"), QString());
}

TEST(HtmlCells, InnerHtmlIsTheOriginalMarkup)
{
    const struct {
        const char *html;
        QStringList cells;
    } cases[] = {
        {"<table><tr><td class=\"source user\">a &amp; <b>b</b><br>\r\nc</td></tr></table>",
         {"a &amp; <b>b</b><br>\r\nc"}},
        // ended by the next cell, by the row, by the table and by the end of the page
        {"<table><tr><td>1<td>2</tr><tr><td>3</table>x", {"1", "2", "3"}},
        {"<table><tr><td>unclosed <i>at end", {"unclosed <i>at end"}},
        {"<table><tr><td>a</b>b</td></table>", {"a</b>b"}},
        // an end tag in upper case, and an empty cell
        {"<TABLE><TR><TD>x</TD><TD></TD></TR></TABLE>", {"x", ""}},
        // a nested table is part of the outer cell; its own cells follow
        {"<table><tr><td>o<table><tr><td>i</td></tr></table>p</td></tr></table>",
         {"o<table><tr><td>i</td></tr></table>p", "i"}},
        // multi-byte characters before and inside the cell
        {"\xC3\xA9\xE6\x97\xA5<table><tr><td>\xE2\x82\xAC \xF0\x9F\x98\x80 &euro;</td></tr></table>",
         {"\xE2\x82\xAC \xF0\x9F\x98\x80 &euro;"}},
        // a cell outside any table is no cell
        {"<td>stray</td>", {}},
    };
    for (const auto &c : cases) {
        QStringList inner;
        for (const TableCell &cell : HtmlPage(U(c.html)).TableCells())
            inner << cell.innerHtml;
        EXPECT_EQ(inner, c.cells) << c.html;
    }
}

TEST(HtmlCells, AttributesOfCells)
{
    const QList<TableCell> cells =
        HtmlPage("<table><tr><td class=\"source user\" id=1>a</td><td CLASS=plain>b</td></tr></table>").TableCells();
    ASSERT_EQ(cells.size(), 2);
    EXPECT_EQ(cells[0].Attribute("CLASS"), "source user");
    EXPECT_EQ(cells[0].Attribute("id"), "1");
    EXPECT_EQ(cells[1].Attribute("class"), "plain");
}

TEST(HtmlEntities, DecodesReferencesAndLeavesMarkup)
{
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {"Tom &amp; Jerry", "Tom & Jerry"},
        {"&lt;b&gt; &quot;q&quot; &#65;&#x42;&nbsp;", "<b> \"q\" AB\xC2\xA0"},
        {"&amp legacy &copy", "& legacy \xC2\xA9"},
        {"&bogus; & alone", "&bogus; & alone"},
        {"<b>markup</b> &amp; </textarea>", "<b>markup</b> & </textarea>"},
        {"line\r\nbreaks &amp;\rkept\n", "line\r\nbreaks &\rkept\n"},
        {"no references", "no references"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeCharacterReferences(U(c.in)), U(c.out)) << c.in;
}

TEST(NestingGuard, OrdinaryPagesPassUnchanged)
{
    QByteArray page = "<!DOCTYPE html><html><body>";
    for (int i = 0; i < 200; ++i)
        page += "<div class=\"a>b\"><span>x</span><p>unclosed<li>item";
    for (int i = 0; i < 200; ++i)
        page += "</div>";
    page += "<script>for (i = 0; i < 5000; i++) document.write('<div>');</script>";
    page += "<svg>";
    for (int i = 0; i < 2000; ++i)
        page += "<path d=\"M0 0\"/>";
    page += "</svg><!-- <div><div><div> --><div>end</div>";
    const QByteArray limited = LimitNesting(page, 512);
    EXPECT_EQ(limited, page);
    EXPECT_EQ(limited.constData(), page.constData()) << "an unchanged page is not copied";
}

TEST(NestingGuard, RunawayNestingIsFlattenedKeepingPositions)
{
    QByteArray page;
    for (int i = 0; i < 10; ++i)
        page += "<div>";
    page += "<b>x</b></div>";
    const QByteArray limited = LimitNesting(page, 4);
    ASSERT_EQ(limited.size(), page.size());
    EXPECT_EQ(limited, QByteArray("<div><div><div><div>") + QByteArray(6 * 5 + 3, ' ') + "x" + QByteArray(4 + 6, ' '));
}

TEST(NestingGuard, DeeplyNestedPageIsReadQuickly)
{
    // Far deeper than any browser keeps; the parser alone takes minutes on this or
    // runs out of stack.
    QString page = "<table><tr><td class=\"source user\">cell</td></tr></table>";
    for (int i = 0; i < 300000; ++i)
        page += "<div><span>";
    page += "<a href=\"/deep\">deep</a><table><tr><td>inner</td></tr></table>";
    const HtmlPage parsed(page);
    EXPECT_EQ(parsed.LinkTargets(), QStringList{"/deep"});
    const QList<TableCell> cells = parsed.TableCells();
    ASSERT_EQ(cells.size(), 1) << "a table opened below the cap loses its tags";
    EXPECT_EQ(cells[0].innerHtml, "cell");
    const QList<HtmlItem> items = parsed.Items();
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const HtmlItem &i) { return i.IsText() && i.text.trimmed() == "inner"; }))
        << "but keeps its text";
}
