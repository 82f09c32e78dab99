// The message source through the real HTML engine: the text must come back exactly
// as the message was, blanks, tabs, entities and all.
#include "engine/messages/message_source.h"
#include "platform/htmltext/html_text.h"

#include <QString>
#include <gtest/gtest.h>

namespace brindle {
namespace {

QString CellOf(const QString &raw)
{
    return raw.toHtmlEscaped().replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
}

TEST(SourceText, TheEngineKeepsTheMessageExactly)
{
    const QString raw = QStringLiteral(
        "Received: from unknown (66.218.66.216)\r\n"
        "\tby m3.grp.scd.yahoo.com with QMQP; Mon, 03 Feb 2003 18:02:00 +0000\r\n"
        "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
        " =?UTF-8?Q?_aus_M=C3=BCnchen?=\r\n"
        "From: \"O'Brien, Mary\" <mary@example.com>\r\n"
        "\r\n"
        "Two  blanks, a\ttab, <angle> & ampersand, caf\u00e9 \u65e5\u672c.\r\n"
        "    indented line\r\n"
        "\r\n"
        "-- \r\n"
        "signature\r\n");
    const QString text = WithMailLineEnds(HtmlToPlainText(PreformattedSourceCell(CellOf(raw))));
    EXPECT_EQ(text.toStdString(), raw.toStdString());
}

TEST(SourceText, MarkupLineBreaksAfterBreaksAreNotText)
{
    const QString cell = QStringLiteral("Subject: a<br>\n\tb<br>\r\n<br>\nbody  text\nmore<br>");
    EXPECT_EQ(WithMailLineEnds(HtmlToPlainText(PreformattedSourceCell(cell))).toStdString(),
              std::string("Subject: a\r\n\tb\r\n\r\nbody  text more\r\n"));
}

} // namespace
} // namespace brindle
