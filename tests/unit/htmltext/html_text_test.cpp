#include "platform/htmltext/html_text.h"

#include <gtest/gtest.h>

#include <thread>

using brindle::HtmlToPlainText;

TEST(HtmlText, BodyTextWithEntitiesAndLineBreaks)
{
    const struct {
        const char *html;
        const char *text;
    } cases[] = {
        {"plain", "plain"},
        {"A &amp; B &lt;c&gt; &quot;d&quot; &#233;&eacute;", "A & B <c> \"d\" \xC3\xA9\xC3\xA9"},
        {"one<br>two<BR/>three", "one\ntwo\nthree"},
        {"<p>first</p><p>second</p>", "first\nsecond"},
        {"a&nbsp;b", "a b"},
        {"<html><head><title>T</title><style>p{}</style></head><body><b>bold</b> <i>it</i></body></html>",
         "bold it"},
        {"<script>var x = 1;</script>shown", "shown"},
        {"unclosed <b>tag <i>here", "unclosed tag here"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HtmlToPlainText(QString::fromUtf8(c.html)), QString::fromUtf8(c.text)) << c.html;
}

TEST(HtmlText, WorksInAWorkerThread)
{
    QString text;
    std::thread worker([&] { text = HtmlToPlainText(QStringLiteral("x<br>y")); });
    worker.join();
    EXPECT_EQ(text, QStringLiteral("x\ny"));
}
